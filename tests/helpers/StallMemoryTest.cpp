#include <gtest/gtest.h>

#include "helpers/StallMemory.h"

namespace vistarel {
namespace {

using namespace Qt::StringLiterals;
using Request = StallMemory::Request;

// What stalled is remembered by the exact place: a look-up bars what lies
// within it, a listing only the listing; a mount dies of three paths.
TEST(StallMemory, RemembersEachStallByTheExactPlaceThatStalled) {
  StallMemory memory;
  memory.Note(u"/share/deadstat.mp4"_s, Request::LookUp, Failure(u"file"_s, 57));
  memory.Note(u"/share/deadlist/"_s, Request::Listing, Failure(u"listing"_s, 57));
  memory.Note(u"/share/gone"_s, Request::LookUp, Failure(u"folder"_s, 57), false);

  struct Case {
    QString path;
    Request request;
    QString known;  // the failure's text, or empty when it is asked again
  };
  const std::vector<Case> cases = {
      {u"/share/deadstat.mp4"_s, Request::LookUp, u"file"_s},
      {u"/share/deadstat.mp4"_s, Request::Listing, u"file"_s},
      // Its folder and its siblings are not dead.
      {u"/share"_s, Request::Listing, {}},
      {u"/share/live.mp4"_s, Request::LookUp, {}},
      // A folder whose listing stalled: not listed again, but what is in it
      // may still be looked up, and the folder itself too.
      {u"/share/deadlist"_s, Request::Listing, u"listing"_s},
      {u"/share/deadlist"_s, Request::LookUp, {}},
      {u"/share/deadlist/c.mp4"_s, Request::LookUp, {}},
      // Within a path whose look-up stalled: nothing.
      {u"/share/gone/inner/x.mp4"_s, Request::LookUp,
       u"/share/gone/inner/x.mp4 was not looked at: the folder /share/gone made no progress "
       u"before."_s},
  };
  for (const Case& each : cases) {
    const std::optional<Failure> known = memory.Known(each.path, each.request);
    EXPECT_EQ(known ? known->description() : QString(), each.known) << each.path.toStdString();
  }
}

TEST(StallMemory, AMountCountsAsDeadOnlyAfterThreeDifferentPathsOnItStalled) {
  StallMemory memory;
  const auto dead = [&] { return memory.Known(u"/proc/self/other"_s, Request::LookUp).has_value(); };
  memory.Note(u"/proc/self/a"_s, Request::LookUp, Failure(u"a"_s));
  memory.Note(u"/proc/self/a"_s, Request::Listing, Failure(u"a"_s));
  memory.Note(u"/proc/self/b"_s, Request::LookUp, Failure(u"b"_s));
  // A helper that computed rather than waited tells nothing of the mount.
  memory.Note(u"/proc/self/c"_s, Request::LookUp, Failure(u"c"_s), false);
  EXPECT_FALSE(dead());
  memory.Note(u"/proc/self/d"_s, Request::LookUp, Failure(u"d"_s));
  EXPECT_TRUE(dead());
  memory.Clear();
  EXPECT_TRUE(memory.IsEmpty());
  EXPECT_FALSE(dead());
}

}  // namespace
}  // namespace vistarel
