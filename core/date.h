// Calendar dates as the platform delivers them, the date number yyyymmdd that orders them, and
// the four date texts.
#pragma once

#include <cstdint>
#include <optional>

#include "core/formatted_text.h"

namespace quidora {

// The platform's system-time layout. Only year, month and day carry meaning; the rest is kept
// unchanged wherever a date is copied.
struct SystemTime {
  std::uint16_t year = 0;
  std::uint16_t month = 0;
  std::uint16_t dayOfWeek = 0;
  std::uint16_t day = 0;
  std::uint16_t hour = 0;
  std::uint16_t minute = 0;
  std::uint16_t second = 0;
  std::uint16_t milliseconds = 0;

  friend bool operator==(const SystemTime&, const SystemTime&) = default;
};

// Date view types (the `DateTypeView` setting); any other value reads as type 0.
inline constexpr std::uint32_t kDateDayMonthDash = 0;   // "29-10-05"
inline constexpr std::uint32_t kDateDayMonthSlash = 1;  // "29/10/05"
inline constexpr std::uint32_t kDateMonthDayDash = 2;   // "10-29-05"
inline constexpr std::uint32_t kDateMonthDaySlash = 3;  // "10/29/05"

// The date number yyyymmdd of `date`, or nothing when a record would refuse the date: a year
// outside 1000..9999, a month above 12 or a day above 31. Nothing else is checked: day 0 and
// 31 February are accepted.
std::optional<std::uint32_t> DateNumberOf(const SystemTime& date);

// The text of view type `viewType` for a date number made by DateNumberOf; the empty text for
// date number 0 (no date set).
FormattedText FormatDate(std::uint32_t dateNumber, std::uint32_t viewType);

// Both ends are included; a start after the end contains nothing.
constexpr bool IsInDateRange(std::uint32_t dateNumber, std::uint32_t startDateNumber,
                             std::uint32_t endDateNumber) {
  return startDateNumber <= dateNumber && dateNumber <= endDateNumber;
}

}  // namespace quidora
