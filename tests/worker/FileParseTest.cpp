// The helper's answers to a run's file and to the text save, in the order the
// window reads them: a file's own cells never wait behind its folder.
#include <QFile>

#include <gtest/gtest.h>

#include <vector>

#include "base/PathHelpers.h"
#include "support/FakeMediaLibrary.h"
#include "support/SpecialFiles.h"
#include "support/TempTree.h"
#include "worker/Requests.h"

namespace vistarel {
namespace {

using namespace Qt::StringLiterals;
using namespace helper_message;

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// What the helper says to each request: each answer by its kind, what it
// starts on as what and where.
class HelperAnswers : public testing::Test {
 protected:
  HelperAnswers()
      : server(library, [this](const QByteArray& message) {
          const std::optional<Answer> answer = DecodeAnswer(message.mid(4));
          ASSERT_TRUE(answer);
          if (answer->kind == Kind::Progress)
            return;
          if (const auto* doing = std::get_if<Activity>(&answer->payload))
            words.append(u"%1 %2"_s.arg(int(doing->what)).arg(FileNameOf(doing->path)));
          else
            words.append(QString::number(int(answer->kind)));
          answers.push_back(*answer);
        }) {}

  template <class T>
  const T& Last(Kind kind) {
    for (auto at = answers.rbegin(); at != answers.rend(); ++at) {
      if (at->kind == kind)
        return std::get<T>(at->payload);
    }
    ADD_FAILURE() << "no answer of kind " << int(kind);
    static const T none{};
    return none;
  }

  test::TempTree tree;
  test::FakeMediaLibrary library;
  QStringList words;
  std::vector<Answer> answers;
  RequestServer server;
};

TEST_F(HelperAnswers, AFilesOwnFactsAndParseComeBeforeItsFolderAndItsSiblings) {
  const QString clip = tree.Path(u"folder/clip.mp4"_s);
  tree.Folder(u"folder"_s);
  ASSERT_TRUE(test::CopyFileTo(test::TestDataPath(u"media/mp4-h264-aac.mp4"_s), clip));
  ASSERT_TRUE(test::CopyFileTo(test::TestDataPath(u"media/mp4-tagged.mp4"_s),
                               tree.Path(u"folder/clip.mov"_s)));
  const auto kind = [](Kind each) { return QString::number(int(each)); };
  const QString lookUp = u"1 "_s;
  const QString listing = u"2 "_s;
  const QString reading = u"3 "_s;
  struct Case {
    bool withMedia;
    bool withFolder;
    QStringList said;
  };
  const std::vector<Case> cases = {
      {true, true, {lookUp + u"clip.mp4"_s, kind(Kind::ParsedFile), reading + u"clip.mp4"_s,
                    kind(Kind::ParsedMedia), lookUp + u"folder"_s, listing + u"folder"_s,
                    lookUp + u"clip.mov"_s, kind(Kind::ParsedFolder), reading + u"clip.mov"_s,
                    kind(Kind::ParsedSiblings)}},
      // A parse lost before: the folder alone, its file left out of the siblings;
      // the listing of the folder, unchanged, is not made again.
      {false, true, {lookUp + u"clip.mp4"_s, kind(Kind::ParsedFile), lookUp + u"folder"_s,
                     lookUp + u"clip.mov"_s, kind(Kind::ParsedFolder), reading + u"clip.mov"_s,
                     kind(Kind::ParsedSiblings)}},
      // A folder whose listing stalled before is not listed.
      {true, false, {lookUp + u"clip.mp4"_s, kind(Kind::ParsedFile), reading + u"clip.mp4"_s,
                     kind(Kind::ParsedMedia)}},
  };
  for (const Case& each : cases) {
    words.clear();
    answers.clear();
    Request request{.kind = Kind::Parse, .id = 7, .path = clip};
    request.withMedia = each.withMedia;
    request.withFolder = each.withFolder;
    server.Serve(request);
    EXPECT_EQ(words, each.said) << each.withMedia << each.withFolder;
    for (const Answer& answer : answers) EXPECT_EQ(answer.id, answer.kind == Kind::Doing ? 0u : 7u);
    if (!each.withMedia || !each.withFolder)
      continue;
    // The file's own entry of its folder is the file looked up, not looked up again.
    const FolderFacts& folder = Last<FolderFacts>(Kind::ParsedFolder);
    ASSERT_EQ(folder.entries.size(), 2);
    EXPECT_EQ(folder.entries[1].name, u"clip.mp4"_s);
    EXPECT_TRUE(*folder.entries[1].stamp == Last<FileFacts>(Kind::ParsedFile).status.stamp);
    EXPECT_EQ(Last<MediaAnswers>(Kind::ParsedMedia).values.value(0), u"MPEG-4"_s);
  }
}

TEST_F(HelperAnswers, TheTextSaveCreatesWritesAndPutsTheFileInPlaceOrSaysWhyNot) {
  const QString path = tree.Path(u"out/results.txt"_s);
  tree.Folder(u"out"_s);
  tree.File(u"out/results.txt"_s, "earlier");
  const auto written = [&](Kind kind, QByteArray bytes = {}, QString at = {}) {
    Request request{.kind = kind, .id = 1, .path = at.isEmpty() ? path : at};
    request.overwrite = true;
    request.bytes = std::move(bytes);
    server.Serve(request);
    const std::optional<Failure>& failure = Last<WriteResult>(Kind::Written).failure;
    return failure ? failure->number() : 0;
  };
  EXPECT_EQ(written(Kind::CreateTextFile), 0);
  EXPECT_EQ(written(Kind::WriteText, "a\tb\r\n"), 0);
  EXPECT_EQ(ReadAll(path), QByteArray("earlier"));  // in place only when closed
  EXPECT_EQ(written(Kind::CloseTextFile), 0);
  EXPECT_EQ(ReadAll(path), QByteArray("a\tb\r\n"));
  // Nothing open: a write or a close fails, and so does a folder that is missing.
  EXPECT_EQ(written(Kind::WriteText, "x"), failure_number::kBadFileNameOrNumber);
  EXPECT_EQ(written(Kind::CloseTextFile), failure_number::kBadFileNameOrNumber);
  EXPECT_EQ(written(Kind::CreateTextFile, {}, tree.Path(u"missing/x.txt"_s)),
            failure_number::kPathNotFound);
}

}  // namespace
}  // namespace vistarel
