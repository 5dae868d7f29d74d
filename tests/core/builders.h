// Small record builders shared by the core tests.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/account_record.h"
#include "core/category_record.h"
#include "core/date.h"
#include "core/money_record.h"

namespace quidora::testing {

inline SystemTime Day(std::uint16_t year, std::uint16_t month, std::uint16_t day) {
  SystemTime date;
  date.year = year;
  date.month = month;
  date.day = day;
  return date;
}

// A date given as its number yyyymmdd.
inline SystemTime DayOf(std::uint32_t dateNumber) {
  return Day(static_cast<std::uint16_t>(dateNumber / 10000),
             static_cast<std::uint16_t>(dateNumber / 100 % 100),
             static_cast<std::uint16_t>(dateNumber % 100));
}

inline MoneyRecord Money(std::uint32_t dateNumber, std::int32_t amount,
                         std::uint32_t type = kIncome, std::uint32_t accountKey = 1,
                         std::u16string_view category = u"Food") {
  MoneyRecord record;
  record.SetDate(DayOf(dateNumber));
  record.amount = amount;
  record.SetAmount(amount);
  record.type = type;
  record.accountKey = accountKey;
  record.SetCategory(category);
  record.SetMemo(u"");
  return record;
}

inline AccountRecord Account(std::uint32_t key, std::u16string_view name,
                             std::uint32_t createdDateNumber = 20050101) {
  AccountRecord account;
  account.key = key;
  account.SetName(name);
  account.SetDescription(u"");
  account.SetDate(DayOf(createdDateNumber));
  return account;
}

inline CategoryRecord Category(std::u16string_view name, std::int32_t total = 0) {
  CategoryRecord category;
  category.SetName(name);
  category.total = total;
  return category;
}

}  // namespace quidora::testing
