#include <gtest/gtest.h>

#include <string>

#include "core/text_ops.h"

namespace quidora {
namespace {

TEST(TrimSpaces, RemovesOnlyOuterSpaceCharacters) {
  EXPECT_EQ(TrimSpaces(u"  Food  "), u"Food");
  EXPECT_EQ(TrimSpaces(u"My car"), u"My car");
  EXPECT_EQ(TrimSpaces(u"   "), u"");
  EXPECT_EQ(TrimSpaces(u""), u"");
  EXPECT_EQ(TrimSpaces(u"\tFood \t"), u"\tFood \t");
  EXPECT_EQ(TrimSpaces(u" a b ").size(), 3u);
}

struct NameCase {
  std::u16string_view text;
  bool valid;
};

class Names : public ::testing::TestWithParam<NameCase> {};

TEST_P(Names, LettersDigitsAndSpacesOnly) {
  EXPECT_EQ(IsValidName(GetParam().text), GetParam().valid);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, Names,
    ::testing::Values(NameCase{u"Food", true}, NameCase{u"My car 2", true}, NameCase{u"Café", true},
                      NameCase{u"Ωμέγα", true}, NameCase{u"Книги", true}, NameCase{u"日本", true},
                      NameCase{u" ", true},            // characters only: trimming is the dialog's
                      NameCase{u"\U00010400", true},   // a letter outside the BMP
                      NameCase{u"\U0001F600", false},  // a symbol outside the BMP
                      NameCase{u"Food!", false}, NameCase{u"a\tb", false}, NameCase{u"a-b", false},
                      NameCase{u"a_b", false}, NameCase{u"", false},
                      NameCase{u"\u00A0", false},  // no-break space is not a space here
                      NameCase{std::u16string_view(u"a\0b", 3), false},
                      NameCase{u"\xD801", false},     // lone high surrogate
                      NameCase{u"a\xDC00", false}));  // lone low surrogate

TEST(StoredCategoryName, CapitalFirstSmallRest) {
  EXPECT_EQ(StoredCategoryName(u"fOOD"), u"Food");
  EXPECT_EQ(StoredCategoryName(u"café"), u"Café");
  EXPECT_EQ(StoredCategoryName(u"ÉCOLE"), u"École");
  EXPECT_EQ(StoredCategoryName(u"my CAR 2"), u"My car 2");
  EXPECT_EQ(StoredCategoryName(u"2nd HAND"), u"2nd hand");
  EXPECT_EQ(StoredCategoryName(u"\U00010428\U00010400"), u"\U00010400\U00010428");
  EXPECT_EQ(StoredCategoryName(u""), u"");
  EXPECT_EQ(StoredCategoryName(u"\xD801x"), u"\xD801x");
}

}  // namespace
}  // namespace quidora
