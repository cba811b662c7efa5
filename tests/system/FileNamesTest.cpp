#include <gtest/gtest.h>

#include "system/FileNames.h"

namespace vistarel {
namespace {

using namespace Qt::StringLiterals;

TEST(FileNames, ValidNamesDecodeAsUtf8AndComeBackUnchanged) {
  for (const QByteArray& bytes :
       {QByteArray("clip.avi"), QByteArray("vid\xc3\xa9o \xe6\x97\xa5\xe6\x9c\xac.mp4"),
        QByteArray("e\xcc\x81t\xc3\xa9.mkv"),     // decomposed accent
        QByteArray("\xf0\x9f\x8e\xac film.mov"),  // emoji beyond U+FFFF
        QByteArray("\xef\xbf\xbd real replacement char")}) {
    const QString name = DecodeFileName(bytes);
    EXPECT_EQ(name, QString::fromUtf8(bytes));
    EXPECT_FALSE(HasUndecodableBytes(name));
    EXPECT_EQ(EncodeFileName(name), bytes);
  }
}

TEST(FileNames, InvalidBytesRoundTripAndAreRecognised) {
  for (const QByteArray& bytes :
       {QByteArray("bad\xff\xfe name.avi"), QByteArray("latin1 caf\xe9.mp4"),
        QByteArray("\xed\xa0\x80 encoded surrogate"), QByteArray("overlong \xc0\xaf"),
        QByteArray("cut short \xe6\x97"), QByteArray("\xf0\x9f\x8e\xac\xff mixed")}) {
    const QString name = DecodeFileName(bytes);
    EXPECT_TRUE(HasUndecodableBytes(name)) << bytes.toHex().constData();
    EXPECT_FALSE(name.contains(QChar(0xFFFD)));
    EXPECT_EQ(EncodeFileName(name), bytes) << bytes.toHex().constData();
  }
}

}  // namespace
}  // namespace vistarel
