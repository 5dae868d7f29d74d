// Reading the dates of imported files.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "core/date.h"

namespace quidora::import {

// The four-digit year of a two-digit one: the century that puts it within 50 years of
// `todayYear`, from 50 years back to 49 years ahead (in 2026: 76 is 1976, 75 is 2075).
std::uint16_t PlaceTwoDigitYear(std::uint16_t twoDigits, std::uint16_t todayYear);

// A real calendar date the records accept: years 1000 to 9999, the month's own days.
std::optional<SystemTime> CalendarDate(int year, int month, int day);

// Reads `text` by a strftime-like `format`: %d, %m, %Y, %y (placed by PlaceTwoDigitYear), %b
// (an English month name or its first three letters), %% and literal characters; a space in the
// format matches any run of spaces. Single-digit days and months are accepted.
std::optional<SystemTime> ReadDateByFormat(std::u16string_view text, std::string_view format,
                                           std::uint16_t todayYear);

}  // namespace quidora::import
