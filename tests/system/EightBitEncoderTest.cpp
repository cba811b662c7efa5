#include <gtest/gtest.h>

#include "system/EightBitEncoder.h"

namespace vistarel {
namespace {

using namespace Qt::StringLiterals;

// What a character the encoding cannot hold becomes: one "?" per character,
// a pair of surrogates (🎬) included, and a lone surrogate (a byte of a file
// name that was not UTF-8) too.
TEST(EightBitEncoder, WritesTheLocalesEncodingWithAQuestionMarkForWhatItCannotHold) {
  const QString line = u"Artiste é € 🎬 caf"_s + QChar(0xDCE9) + u"\t"_s;
  EXPECT_EQ(EightBitEncoder("ISO-8859-1").Encode(line), QByteArray("Artiste \xe9 ? ? caf?\t"));
  EXPECT_EQ(EightBitEncoder("ISO-8859-15").Encode(line), QByteArray("Artiste \xe9 \xa4 ? caf?\t"));
  EXPECT_EQ(EightBitEncoder("KOI8-R").Encode(u"Привет é"_s),
            QByteArray("\xf0\xd2\xc9\xd7\xc5\xd4 ?"));
  EXPECT_EQ(EightBitEncoder("EUC-JP").Encode(u"日本 é €"_s),
            QByteArray("\xc6\xfc\xcb\xdc \x8f\xab\xb1 ?"));
  EXPECT_EQ(EightBitEncoder("UTF-8").Encode(line),
            QByteArray("Artiste \xc3\xa9 \xe2\x82\xac \xf0\x9f\x8e\xac caf?\t"));
  // A name the system does not know is no reason to lose the text.
  EXPECT_EQ(EightBitEncoder("NO-SUCH-ENCODING").Encode(u"é"_s), QByteArray("\xc3\xa9"));
}

// A stateful encoding leaves each line, and each "?", in plain text, so that
// the line end that follows reads as one.
TEST(EightBitEncoder, EndsEachLineOfAStatefulEncodingInItsInitialState) {
  EightBitEncoder encoder("ISO-2022-JP");
  EXPECT_EQ(encoder.Encode(u"a日b"_s), QByteArray("a\x1b$BF|\x1b(Bb"));
  EXPECT_EQ(encoder.Encode(u"日"_s), QByteArray("\x1b$BF|\x1b(B"));
  EXPECT_EQ(encoder.Encode(u"日é日"_s), QByteArray("\x1b$BF|\x1b(B?\x1b$BF|\x1b(B"));
  EXPECT_EQ(encoder.Encode(QString()), QByteArray());
}

}  // namespace
}  // namespace vistarel
