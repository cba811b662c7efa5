// The window's reading of what helpers say, tried on real answers mutated
// every way a broken or hostile helper could: nothing it reads may crash the
// window or make it take more than a message's worth of memory. Run under the
// sanitizers by scripts/test, for a bounded time.
#include <QDir>
#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "desktop/FactsFile.h"
#include "desktop/FactsShellFolder.h"
#include "extract/ExtractionRun.h"
#include "protocol/Framing.h"
#include "protocol/Messages.h"
#include "support/TempTree.h"
#include "worker/FileParse.h"
#include "worker/MediaInfoLibrary.h"

namespace vistarel {
namespace {

using namespace Qt::StringLiterals;
using namespace helper_message;

// What helpers really say: the answers to the parse of every test file, and
// the walk's and the save's answers.
std::vector<QByteArray> RealAnswers() {
  MediaInfoLibrary library;
  FileParser parser(library);
  const FileParser::Doing doing = [](Activity::What, const QString&) {};
  std::vector<QByteArray> answers = {Hello(), Progress(), Doing(Activity::What::Listing, u"/a"_s, 5)};
  const QDir media(test::TestDataPath(u"media"_s));
  for (const QString& name : media.entryList(QDir::Files, QDir::Name)) {
    const FileParser::LookedUp file = parser.LookUp(media.filePath(name), doing);
    const MediaAnswers values = parser.Read(file, doing);
    const FolderFacts folder = parser.Folder(file, doing);
    answers.push_back(Encode(Answer{Kind::ParsedFile, 1, file.facts}));
    answers.push_back(Encode(Answer{Kind::ParsedMedia, 1, values}));
    answers.push_back(Encode(Answer{Kind::ParsedFolder, 1, folder}));
    answers.push_back(
        Encode(Answer{Kind::ParsedSiblings, 1, parser.Siblings(folder, values, doing)}));
  }
  FileList list;
  list.files = {{u"a.mp4"_s, 0, std::nullopt}, {u"b.avi"_s, 0, Failure(u"gone"_s, 53)}};
  answers.push_back(Encode(Answer{Kind::Files, 2, list}));
  answers.push_back(Encode(Answer{Kind::SubFolders, 3, Names{std::nullopt, {u"x"_s, u"y"_s}}}));
  answers.push_back(Encode(Answer{Kind::FolderLookedUp, 4, FolderLookup{}}));
  answers.push_back(Encode(Answer{Kind::Attributes, 5, AttributeValue{std::nullopt, 34}}));
  answers.push_back(Encode(Answer{Kind::Written, 6, WriteResult{Failure(u"full"_s, 57)}}));
  return answers;
}

// Uses a decoded answer as the run and the walk do.
void Use(const Answer& answer) {
  const auto swallow = [](auto&& call) {
    try {
      call();
    } catch (const Failure&) {
    }
  };
  if (const auto* file = std::get_if<FileFacts>(&answer.payload)) {
    swallow([&] {
      const auto object = MakeFactsFile(u"/v/clip.mp4"_s, *file);
      for (const char16_t* property : {u"name", u"DateCreated", u"DateLastAccessed",
                                       u"DateLastModified", u"Drive", u"Size", u"Type"})
        object->Property(QString::fromUtf16(property));
    });
  } else if (const auto* media = std::get_if<MediaAnswers>(&answer.payload)) {
    swallow([&] { RequireOpened(*media); });
    for (int subItem = 1; subItem <= kMediaColumnCount; ++subItem)
      swallow([&] { MediaCell(*media, subItem); });
  } else if (const auto* folder = std::get_if<FolderFacts>(&answer.payload)) {
    AccountNames accounts;
    const FileAnswer whole{{}, {}, *folder, {SiblingValues{0, {}}}};
    swallow([&] {
      const auto shown = MakeFactsShellFolder(
          *folder, [&](const EntryFacts& entry) { return whole.MediaValuesOf(entry); }, accounts);
      shown->ItemCount();
      for (const int item : shown->ItemsNamed(folder->lowerName)) {
        shown->DisplayName(item);
        for (int column = 0; column < kShellPropertyCount; ++column)
          shown->GetDetailsOf(item, column);
      }
    });
  }
}

QByteArray Mutated(const std::vector<QByteArray>& corpus, std::mt19937& random) {
  const auto pick = [&](size_t size) { return size_t(random() % std::max<size_t>(size, 1)); };
  QByteArray bytes = corpus[pick(corpus.size())];
  const int mutations = 1 + int(random() % 4);
  for (int m = 0; m < mutations && !bytes.isEmpty(); ++m) {
    const qsizetype at = qsizetype(pick(size_t(bytes.size())));
    switch (random() % 6) {
      case 0:  // a bit flipped
        bytes[at] = char(bytes[at] ^ char(1 << (random() % 8)));
        break;
      case 1:  // a byte of any value
        bytes[at] = char(random());
        break;
      case 2: {  // a count or length made extreme
        static const char* extremes[] = {"\x00\x00\x00\x00", "\x7f\xff\xff\xff", "\xff\xff\xff\xff",
                                         "\x80\x00\x00\x00", "\x00\x01\x00\x00"};
        bytes.replace(at, 4, QByteArray(extremes[random() % 5], 4));
        break;
      }
      case 3:  // cut short
        bytes.truncate(at);
        break;
      case 4:  // a piece taken out or put twice
        if (random() % 2)
          bytes.remove(at, qsizetype(pick(64)));
        else
          bytes.insert(at, bytes.mid(at, qsizetype(pick(64))));
        break;
      default:  // spliced with another answer
        bytes = bytes.left(at) + corpus[pick(corpus.size())].mid(qsizetype(pick(256)));
        break;
    }
  }
  return bytes;
}

TEST(HelperMessagesFuzz, NoMutationOfRealAnswersCrashesTheWindowOrGrowsItsMemory) {
  const std::vector<QByteArray> corpus = RealAnswers();
  ASSERT_GT(corpus.size(), 40u);
  std::mt19937 random(20261209);
  QElapsedTimer running;
  running.start();
  int decoded = 0;
  int tried = 0;
  for (; tried < 200000 && running.elapsed() < 20'000; ++tried) {
    FrameReader reader;
    // Several messages, as a pipe brings them, in pieces of any size.
    QByteArray stream;
    for (int n = 0; n < 3; ++n) stream += Mutated(corpus, random);
    for (qsizetype at = 0; at < stream.size();) {
      const qsizetype piece = 1 + qsizetype(random() % 512);
      reader.Append(stream.mid(at, piece));
      at += piece;
      while (const std::optional<QByteArray> body = reader.Next()) {
        ASSERT_LE(body->size(), kMaxFrame);
        if (const std::optional<Answer> answer = DecodeAnswer(*body)) {
          ++decoded;
          Use(*answer);
        }
      }
    }
  }
  // Some mutations keep a valid message: what the window then uses is tried too.
  EXPECT_GT(decoded, tried / 20) << tried << " streams";
}

}  // namespace
}  // namespace vistarel
