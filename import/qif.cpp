#include "import/qif.h"

#include <cctype>
#include <optional>
#include <string>

#include "core/amount_text.h"
#include "core/text_ops.h"
#include "import/date_reading.h"
#include "import/record_rules.h"
#include "import/text_decoding.h"

namespace quidora::import {

namespace {

struct QifDate {
  int first = 0, second = 0, third = 0;
  std::size_t firstDigits = 0, thirdDigits = 0;
  bool apostrophe = false;  // before the year: 2000 and later
};

std::optional<QifDate> SplitQifDate(std::u16string_view text) {
  int numbers[3] = {0, 0, 0};
  std::size_t digits[3] = {0, 0, 0};
  int count = 0;
  bool apostrophe = false;
  bool inNumber = false;
  for (const char16_t c : text) {
    if (c >= u'0' && c <= u'9') {
      if (!inNumber) {
        if (count == 3) return std::nullopt;
        ++count;
        inNumber = true;
      }
      numbers[count - 1] = numbers[count - 1] * 10 + (c - u'0');
      if (++digits[count - 1] > 4) return std::nullopt;
    } else if (c == u'/' || c == u'.' || c == u'-' || c == u' ' || c == u'\'') {
      inNumber = false;
      if (c == u'\'') apostrophe = true;
    } else {
      return std::nullopt;
    }
  }
  if (count != 3) return std::nullopt;
  return QifDate{numbers[0], numbers[1], numbers[2], digits[0], digits[2], apostrophe};
}

std::optional<SystemTime> QifCalendarDate(const QifDate& d, DateOrder order, std::uint16_t todayYear) {
  if (d.firstDigits == 4) return CalendarDate(d.first, d.second, d.third);
  int year = d.third;
  if (d.thirdDigits <= 2) {
    year = d.apostrophe ? 2000 + d.third : PlaceTwoDigitYear(static_cast<std::uint16_t>(d.third), todayYear);
  }
  if (order == DateOrder::DayMonthYear) return CalendarDate(year, d.second, d.first);
  if (order == DateOrder::MonthDayYear) return CalendarDate(year, d.first, d.second);
  const int firstYear = d.firstDigits <= 2 ? PlaceTwoDigitYear(static_cast<std::uint16_t>(d.first), todayYear) : d.first;
  return CalendarDate(firstYear, d.second, d.third);
}

std::u16string CategoryOfQif(std::u16string_view text) {
  text = TrimSpaces(text);
  if (text.size() >= 2 && text.front() == u'[') {
    const std::size_t close = text.find(u']');
    return std::u16string(text.substr(1, close == std::u16string_view::npos ? text.size() - 1 : close - 1));
  }
  text = text.substr(0, text.find(u'/'));
  return std::u16string(text.substr(0, text.find(u':')));
}

enum class Section { None, Transactions, Skipped, Refused };

Section SectionOf(std::u16string_view header) {
  std::u16string lower;
  for (const char16_t c : TrimSpaces(header)) lower.push_back(c < 128 ? static_cast<char16_t>(std::tolower(c)) : c);
  if (lower == u"!type:bank" || lower == u"!type:cash" || lower == u"!type:ccard") return Section::Transactions;
  if (lower.starts_with(u"!type:invst") || lower.starts_with(u"!type:oth")) return Section::Refused;
  return Section::Skipped;
}

// Calls `each(line, number)` for every line of the text.
template <typename Each>
void ForEachLine(std::u16string_view text, Each each) {
  std::uint32_t number = 0;
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = text.find_first_of(u"\r\n", at);
    if (end == std::u16string_view::npos) end = text.size();
    each(text.substr(at, end - at), ++number);
    at = end;
    if (at < text.size() && text[at] == u'\r') ++at;
    if (at < text.size() && text[at] == u'\n') ++at;
  }
}

}  // namespace

bool LooksLikeQif(std::string_view bytes) {
  std::size_t at = 0;
  if (bytes.starts_with("\xEF\xBB\xBF")) at = 3;
  while (at < bytes.size() && (bytes[at] == ' ' || bytes[at] == '\r' || bytes[at] == '\n')) ++at;
  return bytes.substr(at, 6) == "!Type:" || bytes.substr(at, 6) == "!type:" ||
         bytes.substr(at, 7) == "!Option" || bytes.substr(at, 8) == "!Account";
}

std::vector<Problem> ParseQif(std::string_view bytes, const ParseOptions& options,
                              const std::function<void(RawRecord&)>& take) {
  std::vector<Problem> problems;
  const std::u16string text = DecodeUtf8OrWindows1252(bytes);
  const std::uint32_t grouping = options.csv.decimal == u',' ? kGroupingCommaDecimal : kGroupingDotDecimal;

  // What the dates decide.
  std::optional<DateOrder> order = options.dateOrder;
  bool dayFirst = false;
  bool monthFirst = false;
  bool anyAmbiguous = false;
  ForEachLine(text, [&](std::u16string_view line, std::uint32_t) {
    if (!line.starts_with(u'D')) return;
    const std::optional<QifDate> d = SplitQifDate(line.substr(1));
    if (!d || d->firstDigits == 4) return;
    if (d->first > 12) dayFirst = true;
    if (d->second > 12) monthFirst = true;
    anyAmbiguous = true;
  });
  if (!order && anyAmbiguous) {
    if (dayFirst && monthFirst) {
      problems.push_back({0, "date", "some dates are day-month and others month-day"});
      return problems;
    }
    if (dayFirst) order = DateOrder::DayMonthYear;
    if (monthFirst) order = DateOrder::MonthDayYear;
    if (!order) {
      problems.push_back({0, "date", "the dates could be day-month or month-day: give --date-order dmy or mdy"});
      return problems;
    }
  }

  Section section = Section::None;
  RawRecord record;
  bool open = false;
  std::optional<std::u16string> date;
  std::uint32_t dateLine = 0;
  std::optional<std::u16string> amount;
  std::u16string payee;
  std::u16string memo;
  auto reset = [&] {
    open = false;
    date.reset();
    amount.reset();
    payee.clear();
    memo.clear();
    record.category.clear();
  };
  ForEachLine(text, [&](std::u16string_view line, std::uint32_t number) {
    if (line.empty()) return;
    if (line.front() == u'!') {
      section = SectionOf(line);
      if (section == Section::Refused) {
        problems.push_back({number, "", "\"" + ToUtf8(line) + "\": only Bank, Cash and CCard records can be imported"});
      }
      reset();
      return;
    }
    if (section != Section::Transactions) return;
    if (!open) {
      open = true;
      record.line = number;
    }
    const std::u16string_view value = line.substr(1);
    switch (line.front()) {
      case u'D':
        date = std::u16string(TrimSpaces(value));
        dateLine = number;
        break;
      case u'T':
      case u'U':
        amount = std::u16string(value);
        record.amountLine = number;
        break;
      case u'L':
        record.category = CategoryOfQif(value);
        break;
      case u'P':
        payee = TrimSpaces(value);
        break;
      case u'M':
        memo = TrimSpaces(value);
        break;
      case u'^': {
        if (!date) {
          problems.push_back({record.line, "date", "the record has no D line"});
        } else if (!amount) {
          problems.push_back({record.line, "amount", "the record has no T line"});
        } else {
          const std::optional<QifDate> split = SplitQifDate(*date);
          const std::optional<SystemTime> calendar =
              split ? QifCalendarDate(*split, order.value_or(DateOrder::YearMonthDay), options.today.year)
                    : std::nullopt;
          if (!calendar) {
            problems.push_back({dateLine, "date", "\"" + ToUtf8(*date) + "\" is not a date"});
          } else {
            const SignedText signedAmount = SplitSign(*amount);
            record.date = *calendar;
            record.negative = signedAmount.negative;
            record.amountText.assign(signedAmount.digits);
            record.grouping = grouping;
            record.memo = payee;
            if (!payee.empty() && !memo.empty()) record.memo.push_back(u' ');
            record.memo += memo;
            take(record);
          }
        }
        reset();
        break;
      }
      default:
        break;
    }
  });
  if (open && section == Section::Transactions && (date || amount)) {
    problems.push_back({record.line, "", "the last record does not end with a ^ line"});
  }
  return problems;
}

}  // namespace quidora::import
