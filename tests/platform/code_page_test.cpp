#include "platform/code_page.h"

#include <gtest/gtest.h>

namespace quidora::platform {
namespace {

TEST(CodePageTest, Windows1252BytesAndReplacements) {
  EXPECT_EQ(EncodeWindows1252(u"Date,Amount 1,000.87"), "Date,Amount 1,000.87");
  EXPECT_EQ(EncodeWindows1252(u"caf\x00E9 \x00FF\x00A0"), "caf\xE9 \xFF\xA0");
  EXPECT_EQ(EncodeWindows1252(u"\x20AC\x201A\x0192\x2122\x0178\x017E"), "\x80\x82\x83\x99\x9F\x9E");
  // Outside the code page: CJK, a C1 control the page maps elsewhere, Cyrillic.
  EXPECT_EQ(EncodeWindows1252(u"\x4E2D\x0080\x0416"), "???");
  // The bytes the page leaves undefined come back as themselves.
  EXPECT_EQ(EncodeWindows1252(u"\x0081\x008D"), "\x81\x8D");
}

TEST(CodePageTest, EveryUnitGivesOneByteSoLengthsMatch) {
  const std::u16string text = u"a\xD83D\xDE00z\xDC00";
  const std::string bytes = EncodeWindows1252(text);
  EXPECT_EQ(bytes, "a??z?");
  EXPECT_EQ(bytes.size(), text.size());
  EXPECT_EQ(EncodeWindows1252(std::u16string(u"a\0b", 3)), std::string("a\0b", 3));
}

TEST(CodePageTest, DecodingGivesBackEveryByteTheEncoderWrites) {
  for (int value = 0; value < 256; ++value) {
    const std::string byte(1, static_cast<char>(value));
    const std::u16string text = DecodeWindows1252(byte);
    ASSERT_EQ(text.size(), 1u);
    EXPECT_EQ(EncodeWindows1252(text), byte) << value;
  }
  EXPECT_EQ(DecodeWindows1252("\x80 caf\xE9 \x9F"), u"\x20AC caf\x00E9 \x0178");
}

}  // namespace
}  // namespace quidora::platform
