// The messages between the window and its helpers, framed and back.
#include <gtest/gtest.h>

#include "protocol/Framing.h"
#include "protocol/Messages.h"

namespace vistarel {
namespace {

using namespace Qt::StringLiterals;
using namespace helper_message;

TEST(HelperMessages, CarryEveryFieldAndNamesThatAreNotUtf8) {
  const QString path = u"/h/vid"_s + QChar(0xDCE9) + u"o.mp4"_s;
  FileFacts file;
  file.status.size = 9123;
  file.status.stamp = FileStamp{1, 2, 3, 4, 5};
  file.drive = u"/h"_s;
  file.mimeType = u"video/mp4"_s;
  file.remote = true;
  FolderFacts folder;
  folder.failure = Failure(u"no folder"_s, 76);
  folder.itemCount = 8;
  EntryFacts entry;
  entry.item = 7;
  entry.name = path.mid(3);
  entry.stamp = FileStamp{6, 7, 8, 9, 10};
  entry.attributes = 33;
  entry.comment = u"\U0001F3AC"_s;
  folder.entries = {entry};
  MediaAnswers answers;
  answers.noHandle = Failure(u"no library"_s, 53);
  answers.values = {u"MPEG-4"_s, QString()};
  answers.shell[3] = u"Title"_s;
  answers.identity = FileStamp{1, 2, 3, 4, 5};
  Request parse{.kind = Kind::Parse, .id = 44, .path = path};
  parse.withMedia = false;
  Request write{.kind = Kind::WriteText, .id = 45, .path = path};
  write.bytes = QByteArray("a\0b\r\n", 5);

  FrameReader reader;
  const QByteArray all =
      Encode(Request{.kind = Kind::ListFiles, .id = 41, .path = path, .pattern = u"*.avi"_s,
                     .mask = 6}) +
      Encode(Request{.kind = Kind::GetAttributesOfMany, .id = 43, .paths = {path, path}}) +
      Encode(parse) + Encode(write) + Encode(Answer{Kind::ParsedFile, 42, file}) +
      Encode(Answer{Kind::ParsedMedia, 42, answers}) +
      Encode(Answer{Kind::ParsedFolder, 42, folder}) +
      Doing(Activity::What::Listing, path, 12345) + Progress();
  reader.Append(all.left(5));
  EXPECT_FALSE(reader.Next());
  reader.Append(all.mid(5));
  const auto request = DecodeRequest(*reader.Next());
  ASSERT_TRUE(request);
  EXPECT_EQ(request->id, 41u);
  EXPECT_EQ(request->path, path);
  EXPECT_EQ(request->pattern, u"*.avi"_s);
  EXPECT_EQ(request->mask, 6);
  const auto many = DecodeRequest(*reader.Next());
  ASSERT_TRUE(many);
  EXPECT_EQ(many->paths, (QStringList{path, path}));
  const auto parseBack = DecodeRequest(*reader.Next());
  ASSERT_TRUE(parseBack);
  EXPECT_FALSE(parseBack->withMedia);
  EXPECT_TRUE(parseBack->withFolder);
  const auto writeBack = DecodeRequest(*reader.Next());
  ASSERT_TRUE(writeBack);
  EXPECT_EQ(writeBack->bytes, write.bytes);

  const auto fileBack = DecodeAnswer(*reader.Next());
  ASSERT_TRUE(fileBack && fileBack->kind == Kind::ParsedFile);
  const auto& facts = std::get<FileFacts>(fileBack->payload);
  EXPECT_EQ(facts.status.size, 9123);
  EXPECT_TRUE(facts.status.stamp == file.status.stamp);
  EXPECT_EQ(facts.mimeType, u"video/mp4"_s);
  EXPECT_TRUE(facts.remote);

  const auto mediaBack = DecodeAnswer(*reader.Next());
  ASSERT_TRUE(mediaBack && mediaBack->id == 42u);
  const auto& media = std::get<MediaAnswers>(mediaBack->payload);
  EXPECT_EQ(media.noHandle->description(), u"no library"_s);
  EXPECT_EQ(media.values, answers.values);
  EXPECT_EQ(media.shell, answers.shell);
  EXPECT_TRUE(*media.identity == *answers.identity);

  const auto folderBack = DecodeAnswer(*reader.Next());
  ASSERT_TRUE(folderBack && folderBack->kind == Kind::ParsedFolder);
  const auto& back = std::get<FolderFacts>(folderBack->payload);
  EXPECT_EQ(back.failure->number(), 76);
  ASSERT_EQ(back.entries.size(), 1);
  EXPECT_EQ(back.entries[0].name, entry.name);
  EXPECT_EQ(back.entries[0].item, 7);
  EXPECT_EQ(back.entries[0].attributes, 33);
  EXPECT_EQ(back.entries[0].comment, entry.comment);
  EXPECT_TRUE(*back.entries[0].stamp == *entry.stamp);

  const auto doing = DecodeAnswer(*reader.Next());
  ASSERT_TRUE(doing && doing->kind == Kind::Doing);
  EXPECT_EQ(std::get<Activity>(doing->payload).path, path);
  EXPECT_EQ(std::get<Activity>(doing->payload).what, Activity::What::Listing);
  EXPECT_EQ(std::get<Activity>(doing->payload).startedNs, 12345);
  EXPECT_EQ(DecodeAnswer(*reader.Next())->kind, Kind::Progress);
  EXPECT_FALSE(reader.Next());
  // A body cut short, or of a kind no one sends, is no message.
  EXPECT_FALSE(DecodeAnswer(Encode(Answer{Kind::ParsedMedia, 1, answers}).mid(4).chopped(1)));
  EXPECT_FALSE(DecodeRequest(Hello().mid(4)));
}

// A helper's bytes are a stranger's: whatever lies beyond what a helper of
// ours could say is no message, and costs the window nothing to find out.
TEST(HelperMessages, RefuseWhatNoHelperOfOursCouldSay) {
  const auto body = [](const QByteArray& message) { return message.mid(4); };
  FolderFacts outside;
  outside.itemCount = 2;
  outside.entries.append(EntryFacts{});
  outside.entries[0].item = 2;
  FileFacts longText;
  longText.mimeType = QString(64 * 1024 + 1, u'x');
  MediaAnswers manyValues;
  manyValues.values = QStringList(3, u"v"_s);
  // The count of the values, a 32-bit number after the two failures and the
  // flag, claims two thousand million.
  QByteArray lyingCount = body(Encode(Answer{Kind::ParsedMedia, 1, manyValues}));
  lyingCount.replace(lyingCount.indexOf(QByteArray::fromHex("00000003")), 4,
                     QByteArray::fromHex("7fffffff"));
  const struct {
    const char* what;
    QByteArray body;
  } refused[] = {
      {"an entry outside its folder", body(Encode(Answer{Kind::ParsedFolder, 1, outside}))},
      {"a text past the bound", body(Encode(Answer{Kind::ParsedFile, 1, longText}))},
      {"a note with a request's id", body(Encode(Answer{Kind::Progress, 9, std::monostate{}}))},
      {"a note of no place", body(Doing(Activity::What::Reading, {}, 1))},
      {"a count no bytes could hold", lyingCount},
      {"a kind no one sends", QByteArray::fromHex("63") + body(Progress()).mid(1)},
  };
  for (const auto& each : refused)
    EXPECT_FALSE(DecodeAnswer(each.body)) << each.what;
  EXPECT_TRUE(DecodeAnswer(body(Encode(Answer{Kind::ParsedMedia, 1, manyValues}))));

  // A frame that claims more than any message breaks the stream for good.
  FrameReader reader;
  reader.Append(Progress() + QByteArray::fromHex("7fffffff") + QByteArray(100, 'x'));
  EXPECT_TRUE(reader.Next());
  EXPECT_FALSE(reader.Next());
  EXPECT_TRUE(reader.IsBroken());
  reader.Append(Progress());
  EXPECT_FALSE(reader.Next());
}

}  // namespace
}  // namespace vistarel
