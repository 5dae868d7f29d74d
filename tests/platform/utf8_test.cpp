#include "platform/utf8.h"

#include <gtest/gtest.h>

namespace quidora::platform {
namespace {

TEST(Utf8Test, DecodingTakesWellFormedTextOnlyAndStepsOneCharacterAtATime) {
  // One, two, three and four bytes; the last becomes a surrogate pair.
  EXPECT_EQ(Utf8ToUtf16("a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"),
            std::u16string(u"a\x00E9\x20AC\xD83D\xDE00"));
  EXPECT_EQ(Utf8ToUtf16("\xF4\x8F\xBF\xBF"), std::u16string(u"\xDBFF\xDFFF"));  // U+10FFFF
  EXPECT_EQ(Utf8ToUtf16(""), std::u16string());

  for (const char* bad : {
           "\xC0\xAF",          // overlong "/"
           "\xE0\x80\xAF",      // overlong, three bytes
           "\xF0\x80\x80\xAF",  // overlong, four bytes
           "\xED\xA0\x80",      // an encoded surrogate
           "\xF4\x90\x80\x80",  // above U+10FFFF
           "\xC3\x28",          // a lead byte without its continuation
           "\x80",              // a continuation without a lead byte
           "\xF8\x88\x80\x80",  // five-byte form
           "ab\xF0\x9F\x98",    // cut short at the end
       }) {
    EXPECT_EQ(Utf8ToUtf16(bad), std::nullopt) << bad;
  }

  const std::string_view text = "\xE2\x82\xAC\xF0\x9F\x98";
  std::size_t pos = 0;
  char32_t c = 0;
  ASSERT_TRUE(NextUtf8CodePoint(text, pos, c));
  EXPECT_EQ(c, U'\x20AC');
  EXPECT_EQ(pos, 3u);
  EXPECT_FALSE(NextUtf8CodePoint(text, pos, c)) << "the next character is cut short";
  EXPECT_EQ(pos, 3u) << "a refused character leaves the position where it was";
  EXPECT_EQ(c, U'\x20AC');
}

}  // namespace
}  // namespace quidora::platform
