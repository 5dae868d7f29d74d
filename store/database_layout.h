// The stored format of the three databases: names, property identifiers and value types. Data
// written by one version of the program is read by the next, so none of these may change.
#pragma once

#include <cstdint>
#include <string_view>

namespace quidora::store {

inline constexpr std::u16string_view kMoneyDatabaseName = u"Vesko Quidbook";
inline constexpr std::u16string_view kAccountsDatabaseName = u"Vesko QuidbookAccs";
inline constexpr std::u16string_view kCategoriesDatabaseName = u"Vesko QuidbookCustom";

// A property identifier holds the property number in its high 16 bits and the value type in
// its low 16 bits.
inline constexpr std::uint16_t kTypeUInt32 = 0x13;  // CEVT_UI4
inline constexpr std::uint16_t kTypeText = 0x1F;    // CEVT_LPWSTR

constexpr std::uint32_t PropertyId(std::uint16_t number, std::uint16_t type) {
  return (static_cast<std::uint32_t>(number) << 16) | type;
}

// Property 0 is the key and the one ascending sort order in every database.
inline constexpr std::uint32_t kKeyProperty = PropertyId(0, kTypeUInt32);

namespace money {
inline constexpr std::uint32_t kKey = PropertyId(0, kTypeUInt32);
inline constexpr std::uint32_t kAccountKey = PropertyId(1, kTypeUInt32);
inline constexpr std::uint32_t kDay = PropertyId(2, kTypeUInt32);
inline constexpr std::uint32_t kMonth = PropertyId(3, kTypeUInt32);
inline constexpr std::uint32_t kYear = PropertyId(4, kTypeUInt32);
inline constexpr std::uint32_t kAmount = PropertyId(5, kTypeUInt32);
inline constexpr std::uint32_t kType = PropertyId(6, kTypeUInt32);
inline constexpr std::uint32_t kCategory = PropertyId(7, kTypeText);
inline constexpr std::uint32_t kMemo = PropertyId(8, kTypeText);
}  // namespace money

namespace account {
inline constexpr std::uint32_t kKey = PropertyId(0, kTypeUInt32);
inline constexpr std::uint32_t kDay = PropertyId(1, kTypeUInt32);
inline constexpr std::uint32_t kMonth = PropertyId(2, kTypeUInt32);
inline constexpr std::uint32_t kYear = PropertyId(3, kTypeUInt32);
inline constexpr std::uint32_t kName = PropertyId(4, kTypeText);
inline constexpr std::uint32_t kDescription = PropertyId(5, kTypeText);
}  // namespace account

namespace category {
inline constexpr std::uint32_t kPosition = PropertyId(0, kTypeUInt32);
inline constexpr std::uint32_t kName = PropertyId(1, kTypeText);
}  // namespace category

}  // namespace quidora::store
