#include "platform/property.h"

#include <gtest/gtest.h>

namespace quidora::platform {
namespace {

std::vector<std::uint8_t> Encode(const Record& record) {
  std::vector<std::uint8_t> bytes;
  EncodeRecord(record, bytes);
  return bytes;
}

TEST(PropertyTest, IdentifiersJoinNumberAndType) {
  EXPECT_EQ(kKeyPropId, 0x00000013u);
  EXPECT_EQ(MakePropId(8, kTypeLpwstr), 0x0008001Fu);
  EXPECT_EQ(PropNumber(0x0005001F), 5);
  EXPECT_EQ(PropType(0x0005001F), 31);
}

TEST(PropertyTest, TheStoredFormatIsTheDocumentedOne) {
  const Record record = {PropValue::Ui4(kKeyPropId, 0x01020304),
                         PropValue::Text(0x0001001F, u"A\x00E9"),
                         PropValue::Raw(0x00020041, std::vector<std::uint8_t>{0xAA})};
  const std::vector<std::uint8_t> expected = {3,                                      // count
                                              0x13, 0, 0, 0, 0x04, 0x03, 0x02, 0x01,  // UI4
                                              0x1F, 0, 1, 0, 2,    'A',  0,    0xE9,
                                              0,                           // LPWSTR, 2 units
                                              0x41, 0, 2, 0, 1,    0xAA};  // other type, 1 byte
  EXPECT_EQ(Encode(record), expected);
}

TEST(PropertyTest, LongTextsUseMultiByteLengths) {
  const Record record = {PropValue::Text(0x0008001F, std::u16string(300, u'x'))};
  const auto bytes = Encode(record);
  EXPECT_EQ(bytes[5], 0xAC);  // 300 = 0b10_0101100
  EXPECT_EQ(bytes[6], 0x02);
  Record decoded;
  ASSERT_TRUE(DecodeRecord(bytes, decoded));
  EXPECT_EQ(decoded, record);
}

TEST(PropertyTest, DamagedBytesAreRefusedWhole) {
  const auto good = Encode({PropValue::Ui4(kKeyPropId, 5), PropValue::Text(0x0008001F, u"memo")});
  Record out;
  ASSERT_TRUE(DecodeRecord(good, out));
  for (std::size_t cut = 0; cut < good.size(); ++cut) {
    EXPECT_FALSE(DecodeRecord(std::span(good).first(cut), out)) << "cut at " << cut;
  }
  auto trailing = good;
  trailing.push_back(0);
  EXPECT_FALSE(DecodeRecord(trailing, out));

  // A count far beyond the bytes must not size anything.
  EXPECT_FALSE(DecodeRecord(std::vector<std::uint8_t>{0xFF, 0xFF, 0xFF, 0xFF, 0x0F}, out));
  // A varint longer than five bytes, or above 32 bits.
  EXPECT_FALSE(DecodeRecord(std::vector<std::uint8_t>{0x80, 0x80, 0x80, 0x80, 0x80, 0x00}, out));
  EXPECT_FALSE(DecodeRecord(std::vector<std::uint8_t>{0xFF, 0xFF, 0xFF, 0xFF, 0x1F}, out));
  // A text length of 2^31 units.
  EXPECT_FALSE(DecodeRecord(
      std::vector<std::uint8_t>{1, 0x1F, 0, 0, 0, 0x80, 0x80, 0x80, 0x80, 0x08, 'a', 0}, out));
  // The empty record is well formed.
  EXPECT_TRUE(DecodeRecord(std::vector<std::uint8_t>{0}, out));
  EXPECT_TRUE(out.empty());
}

TEST(PropertyTest, NumbersAloneAreDecodedFromWhatDecodesWhole) {
  const Record record = {PropValue::Ui4(kKeyPropId, 7), PropValue::Text(0x0007001F, u"Food"),
                         PropValue::Raw(0x00020041, std::vector<std::uint8_t>{1, 2}),
                         PropValue::Ui4(0x00050013, 1250), PropValue::Text(0x0008001F, u"")};
  const auto good = Encode(record);
  std::vector<std::pair<PropId, std::uint32_t>> numbers;
  const auto take = [&numbers](PropId id, std::uint32_t value) { numbers.emplace_back(id, value); };
  ASSERT_TRUE(ForEachNumber(good, take));
  EXPECT_EQ(numbers, (decltype(numbers){{kKeyPropId, 7}, {0x00050013, 1250}}));

  // Whatever DecodeRecord refuses, ForEachNumber refuses too, and nothing else.
  std::vector<std::vector<std::uint8_t>> samples = {
      {0xFF, 0xFF, 0xFF, 0xFF, 0x0F}, {0x80, 0x80, 0x80, 0x80, 0x80, 0x00}, {0}, {1, 0x13, 0, 0}};
  for (std::size_t cut = 0; cut <= good.size(); ++cut)
    samples.emplace_back(good.begin(), good.begin() + cut);
  samples.push_back(good);
  samples.back().push_back(0);
  Record whole;
  for (const auto& bytes : samples) {
    EXPECT_EQ(ForEachNumber(bytes, take), DecodeRecord(bytes, whole)) << bytes.size() << " bytes";
  }
}

TEST(PropertyTest, TheSortKeyIsTheFirstUi4PropertyZero) {
  EXPECT_FALSE(SortKeyOf({}).present);
  EXPECT_FALSE(SortKeyOf(Record{PropValue::Text(MakePropId(0, kTypeLpwstr), u"1")}).present);
  const SortKey key =
      SortKeyOf(Record{PropValue::Ui4(MakePropId(1, kTypeUi4), 4), PropValue::Ui4(kKeyPropId, 9),
                       PropValue::Ui4(kKeyPropId, 2)});
  EXPECT_TRUE(key.present);
  EXPECT_EQ(key.value, 9u);
}

}  // namespace
}  // namespace quidora::platform
