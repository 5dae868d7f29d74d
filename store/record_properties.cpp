#include "store/record_properties.h"

#include "core/keys.h"
#include "core/stored_date.h"
#include "store/database_layout.h"

namespace quidora {

namespace {

using platform::PropValue;

constexpr std::u16string_view kNoText = u" ";

std::u16string_view TextOrSpace(bool held, std::u16string_view text) {
  return held ? text : kNoText;
}

SystemTime DateFrom(std::uint32_t year, std::uint32_t month, std::uint32_t day) {
  SystemTime date;
  date.year = static_cast<std::uint16_t>(year);
  date.month = static_cast<std::uint16_t>(month);
  date.day = static_cast<std::uint16_t>(day);
  // A stored number too wide for the date field must not wrap into an acceptable date.
  if (year > 0xFFFF) date.year = 0;
  if (month > 0xFFFF) date.month = 0xFFFF;
  if (day > 0xFFFF) date.day = 0xFFFF;
  return date;
}

}  // namespace

std::array<PropValue, 9> MoneyProperties(const MoneyRecord& record, std::uint32_t key) {
  namespace m = store::money;
  const SystemTime& date = record.Date();
  return {
      PropValue::Ui4(m::kKey, key),
      PropValue::Ui4(m::kAccountKey, record.accountKey),
      PropValue::Ui4(m::kDay, date.day),
      PropValue::Ui4(m::kMonth, date.month),
      PropValue::Ui4(m::kYear, date.year),
      PropValue::Ui4(m::kAmount, static_cast<std::uint32_t>(record.amount)),
      PropValue::Ui4(m::kType, record.type),
      PropValue::Text(m::kCategory, record.Category()),
      PropValue::Text(m::kMemo, TextOrSpace(record.HasMemo(), record.Memo())),
  };
}

std::array<PropValue, 6> AccountProperties(const AccountRecord& record, std::uint32_t key) {
  namespace a = store::account;
  const SystemTime& date = record.Date();
  return {
      PropValue::Ui4(a::kKey, key),
      PropValue::Ui4(a::kDay, date.day),
      PropValue::Ui4(a::kMonth, date.month),
      PropValue::Ui4(a::kYear, date.year),
      PropValue::Text(a::kName, TextOrSpace(record.HasName(), record.Name())),
      PropValue::Text(a::kDescription, TextOrSpace(record.HasDescription(), record.Description())),
  };
}

std::array<PropValue, 2> CategoryProperties(std::uint32_t position, std::u16string_view name) {
  return {PropValue::Ui4(store::category::kPosition, position),
          PropValue::Text(store::category::kName, name)};
}

void FillMoneyRecord(std::span<const PropValue> props, MoneyRecord& record) {
  namespace m = store::money;
  std::uint32_t day = 0;
  std::uint32_t month = 0;
  std::uint32_t year = 0;
  for (const PropValue& prop : props) {
    switch (prop.id) {
      case m::kKey:
        record.key = prop.number;
        break;
      case m::kAccountKey:
        record.accountKey = prop.number;
        break;
      case m::kDay:
        day = prop.number;
        break;
      case m::kMonth:
        month = prop.number;
        break;
      case m::kYear:
        year = prop.number;
        break;
      case m::kAmount:
        record.amount = static_cast<std::int32_t>(prop.number);
        record.SetAmount(record.amount);
        break;
      case m::kType:
        record.type = prop.number;
        break;
      case m::kCategory:
        record.SetCategory(prop.text);
        break;
      case m::kMemo:
        record.SetMemo(prop.text);
        break;
      default:
        break;
    }
  }
  record.SetDate(DateFrom(year, month, day));
}

std::optional<MoneyRecordPlace> PeekMoneyRecord(std::span<const std::uint8_t> bytes) {
  namespace m = store::money;
  MoneyRecordPlace place{kNoKey, 0};
  std::uint32_t day = 0;
  std::uint32_t month = 0;
  std::uint32_t year = 0;
  const bool readable =
      platform::ForEachNumber(bytes, [&](platform::PropId id, std::uint32_t value) {
        switch (id) {
          case m::kAccountKey:
            place.accountKey = value;
            break;
          case m::kDay:
            day = value;
            break;
          case m::kMonth:
            month = value;
            break;
          case m::kYear:
            year = value;
            break;
          default:
            break;
        }
      });
  if (!readable) return std::nullopt;
  place.dateNumber = StoredDateNumber(year, month, day);
  return place;
}

void FillAccountRecord(std::span<const PropValue> props, AccountRecord& record) {
  namespace a = store::account;
  std::uint32_t day = 0;
  std::uint32_t month = 0;
  std::uint32_t year = 0;
  for (const PropValue& prop : props) {
    switch (prop.id) {
      case a::kKey:
        record.key = prop.number;
        break;
      case a::kDay:
        day = prop.number;
        break;
      case a::kMonth:
        month = prop.number;
        break;
      case a::kYear:
        year = prop.number;
        break;
      case a::kName:
        record.SetName(prop.text);
        break;
      case a::kDescription:
        record.SetDescription(prop.text);
        break;
      default:
        break;
    }
  }
  record.SetDate(DateFrom(year, month, day));
}

std::uint32_t MoneyAccountKeyOf(std::span<const PropValue> props) {
  const platform::SortKey last = platform::LastValueOf(props, store::money::kAccountKey);
  return last.present ? last.value : kNoKey;
}

}  // namespace quidora
