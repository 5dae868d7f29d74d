#include "core/date.h"

namespace quidora {

std::optional<std::uint32_t> DateNumberOf(const SystemTime& date) {
  if (date.day > 31 || date.month > 12 || date.year < 1000 || date.year > 9999) {
    return std::nullopt;
  }
  return static_cast<std::uint32_t>(date.year) * 10000u +
         static_cast<std::uint32_t>(date.month) * 100u + date.day;
}

namespace {

void AppendTwoDigits(FormattedText& text, std::uint32_t value) {
  text.push_back(static_cast<char16_t>(u'0' + value / 10 % 10));
  text.push_back(static_cast<char16_t>(u'0' + value % 10));
}

}  // namespace

FormattedText FormatDate(std::uint32_t dateNumber, std::uint32_t viewType) {
  FormattedText text;
  if (dateNumber == 0) return text;
  const std::uint32_t day = dateNumber % 100;
  const std::uint32_t month = dateNumber / 100 % 100;
  const std::uint32_t shortYear = dateNumber / 10000 % 100;
  const bool monthFirst = viewType == kDateMonthDayDash || viewType == kDateMonthDaySlash;
  const char16_t separator =
      viewType == kDateDayMonthSlash || viewType == kDateMonthDaySlash ? u'/' : u'-';
  AppendTwoDigits(text, monthFirst ? month : day);
  text.push_back(separator);
  AppendTwoDigits(text, monthFirst ? day : month);
  text.push_back(separator);
  AppendTwoDigits(text, shortYear);
  return text;
}

}  // namespace quidora
