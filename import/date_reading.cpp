#include "import/date_reading.h"

#include <array>
#include <cctype>

namespace quidora::import {

namespace {

bool IsLeapYear(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
  static constexpr std::array<int, 12> kDays = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[static_cast<std::size_t>(month - 1)];
}

// Reads 1 to `maxDigits` decimal digits at `at`; nothing when there is none.
std::optional<int> ReadNumber(std::u16string_view text, std::size_t& at, std::size_t maxDigits) {
  int value = 0;
  std::size_t digits = 0;
  while (at < text.size() && digits < maxDigits && text[at] >= u'0' && text[at] <= u'9') {
    value = value * 10 + (text[at] - u'0');
    ++at;
    ++digits;
  }
  if (digits == 0) return std::nullopt;
  return value;
}

std::optional<int> ReadMonthName(std::u16string_view text, std::size_t& at) {
  static constexpr std::array<std::string_view, 12> kNames = {
      "january", "february", "march",     "april",   "may",      "june",
      "july",    "august",   "september", "october", "november", "december"};
  std::string word;
  while (at < text.size() && text[at] < 128 && std::isalpha(static_cast<int>(text[at]))) {
    word.push_back(static_cast<char>(std::tolower(static_cast<int>(text[at]))));
    ++at;
  }
  if (word.size() < 3) return std::nullopt;
  for (std::size_t i = 0; i < kNames.size(); ++i) {
    if (word == kNames[i] || word == kNames[i].substr(0, 3)) return static_cast<int>(i + 1);
  }
  return std::nullopt;
}

}  // namespace

std::uint16_t PlaceTwoDigitYear(std::uint16_t twoDigits, std::uint16_t todayYear) {
  int year = todayYear / 100 * 100 + twoDigits % 100;
  if (year > todayYear + 49) year -= 100;
  if (year < todayYear - 50) year += 100;
  return static_cast<std::uint16_t>(year);
}

std::optional<SystemTime> CalendarDate(int year, int month, int day) {
  if (year < 1000 || year > 9999 || month < 1 || month > 12) return std::nullopt;
  if (day < 1 || day > DaysInMonth(year, month)) return std::nullopt;
  SystemTime date;
  date.year = static_cast<std::uint16_t>(year);
  date.month = static_cast<std::uint16_t>(month);
  date.day = static_cast<std::uint16_t>(day);
  // The day of the week, as a date picker gives it (Sunday 0): Sakamoto's method.
  static constexpr std::array<int, 12> kOffsets = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
  const int y = month < 3 ? year - 1 : year;
  date.dayOfWeek = static_cast<std::uint16_t>(
      (y + y / 4 - y / 100 + y / 400 + kOffsets[static_cast<std::size_t>(month - 1)] + day) % 7);
  return date;
}

std::optional<SystemTime> ReadDateByFormat(std::u16string_view text, std::string_view format,
                                           std::uint16_t todayYear) {
  int year = -1;
  int month = -1;
  int day = -1;
  std::size_t at = 0;
  for (std::size_t f = 0; f < format.size(); ++f) {
    const char c = format[f];
    if (c == ' ') {
      while (at < text.size() && text[at] == u' ') ++at;
      continue;
    }
    if (c != '%' || f + 1 == format.size()) {
      if (at >= text.size() || text[at] != static_cast<unsigned char>(c)) return std::nullopt;
      ++at;
      continue;
    }
    std::optional<int> value;
    switch (format[++f]) {
      case 'd':
        value = ReadNumber(text, at, 2);
        day = value.value_or(-1);
        break;
      case 'm':
        value = ReadNumber(text, at, 2);
        month = value.value_or(-1);
        break;
      case 'b':
        value = ReadMonthName(text, at);
        month = value.value_or(-1);
        break;
      case 'Y':
        value = ReadNumber(text, at, 4);
        year = value.value_or(-1);
        break;
      case 'y':
        value = ReadNumber(text, at, 2);
        if (value) year = PlaceTwoDigitYear(static_cast<std::uint16_t>(*value), todayYear);
        break;
      case '%':
        if (at < text.size() && text[at] == u'%') value = ++at;
        break;
      default:
        return std::nullopt;
    }
    if (!value) return std::nullopt;
  }
  if (at != text.size()) return std::nullopt;
  return CalendarDate(year, month, day);
}

}  // namespace quidora::import
