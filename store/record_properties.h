// Money, account and category records as the property lists stored in their databases, and
// back. Unknown properties of a stored record are ignored on read.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include "core/account_record.h"
#include "core/money_record.h"
#include "platform/property.h"

namespace quidora {

// All nine properties of a money record, key first, with `key` as property 0. A memo the
// record does not hold at all is written as one space.
std::array<platform::PropValue, 9> MoneyProperties(const MoneyRecord& record, std::uint32_t key);
// All six properties of an account record, key first. A missing name or description is
// written as one space.
std::array<platform::PropValue, 6> AccountProperties(const AccountRecord& record,
                                                     std::uint32_t key);
std::array<platform::PropValue, 2> CategoryProperties(std::uint32_t position,
                                                      std::u16string_view name);

// Fills a reset record from stored properties: key, account key, type and amount as read, the
// amount texts built from the amount, category and memo through their setters, the date from
// day, month and year (a refused date leaves the record without date texts).
void FillMoneyRecord(std::span<const platform::PropValue> props, MoneyRecord& record);

// The account key and date number FillMoneyRecord would give a reset record from these stored
// bytes, read without decoding or building anything; nothing when the bytes are not a
// well-formed record.
struct MoneyRecordPlace {
  std::uint32_t accountKey = 0;
  std::uint32_t dateNumber = 0;
};
std::optional<MoneyRecordPlace> PeekMoneyRecord(std::span<const std::uint8_t> bytes);
void FillAccountRecord(std::span<const platform::PropValue> props, AccountRecord& record);

// The account key that FillMoneyRecord gives a record from these properties: the last
// account-key property, kNoKey without one.
std::uint32_t MoneyAccountKeyOf(std::span<const platform::PropValue> props);

}  // namespace quidora
