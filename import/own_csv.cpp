#include "import/own_csv.h"

#include <optional>
#include <string>

#include "import/date_reading.h"
#include "import/text_decoding.h"
#include "platform/code_page.h"
#include "resources/strings/string_table.h"

namespace quidora::import {

namespace {

constexpr std::u16string_view kFieldBreak = u"\",\"";

std::u16string HeadingStart() {
  return u"\"" + std::u16string(LoadString(StringId::CsvReportDate)) + u" ";
}

// Walks the lines of the file with their numbers, each decoded on its own: a large file is
// never held twice, as bytes and as text.
class Lines {
 public:
  Lines(std::string_view bytes, bool unicode) : bytes_(bytes), unicode_(unicode) {}
  bool Next(std::u16string_view& line, std::uint32_t& number) {
    if (at_ >= bytes_.size()) return false;
    std::size_t end = std::string_view::npos;
    if (unicode_) {
      for (std::size_t i = at_; i + 3 < bytes_.size(); i += 2) {
        if (bytes_[i] == '\r' && bytes_[i + 1] == '\0' && bytes_[i + 2] == '\n' && bytes_[i + 3] == '\0') {
          end = i;
          break;
        }
      }
    } else {
      end = bytes_.find("\r\n", at_);
    }
    const std::size_t stop = end == std::string_view::npos ? bytes_.size() : end;
    const std::string_view raw = bytes_.substr(at_, stop - at_);
    text_ = unicode_ ? DecodeText(raw, TextEncoding::Utf16Le).value_or(std::u16string())
                     : platform::DecodeWindows1252(raw);
    line = text_;
    at_ = end == std::string_view::npos ? bytes_.size() : end + (unicode_ ? 4 : 2);
    number = ++number_;
    return true;
  }

 private:
  std::string_view bytes_;
  bool unicode_;
  std::size_t at_ = 0;
  std::uint32_t number_ = 0;
  std::u16string text_;
};

struct Fields {
  std::u16string_view date, category, amount, memo;
};

std::optional<Fields> SplitRecordLine(std::u16string_view line) {
  if (line.size() < 2 || line.front() != u'"' || line.back() != u'"') return std::nullopt;
  std::u16string_view rest = line.substr(1, line.size() - 2);
  std::u16string_view parts[4];
  for (int i = 0; i < 3; ++i) {
    const std::size_t cut = rest.find(kFieldBreak);
    if (cut == std::u16string_view::npos) return std::nullopt;
    parts[i] = rest.substr(0, cut);
    rest.remove_prefix(cut + kFieldBreak.size());
  }
  parts[3] = rest;
  return Fields{parts[0], parts[1], parts[2], parts[3]};
}

// A date text "dd-mm-yy" in its parts; nothing when it has another shape.
struct DateParts {
  int first = 0, second = 0, year = 0;
  char16_t separator = u'-';
};

std::optional<DateParts> SplitDate(std::u16string_view text) {
  if (text.size() != 8 || text[2] != text[5] || (text[2] != u'-' && text[2] != u'/')) {
    return std::nullopt;
  }
  auto two = [&](std::size_t at) -> int {
    const char16_t a = text[at];
    const char16_t b = text[at + 1];
    if (a < u'0' || a > u'9' || b < u'0' || b > u'9') return -1;
    return (a - u'0') * 10 + (b - u'0');
  };
  DateParts parts{two(0), two(3), two(6), text[2]};
  if (parts.first < 0 || parts.second < 0 || parts.year < 0) return std::nullopt;
  return parts;
}

// What the dates and amounts of the file decide.
struct Evidence {
  std::optional<char16_t> separator;
  bool dayFirst = false;    // a first number above 12
  bool monthFirst = false;  // a second number above 12
  std::optional<std::uint32_t> notation;
  std::size_t records = 0;
  void See(std::u16string_view date) {
    const std::optional<DateParts> parts = SplitDate(date);
    if (!parts) return;
    if (!separator) separator = parts->separator;
    if (parts->first > 12) dayFirst = true;
    if (parts->second > 12) monthFirst = true;
  }
  void SeeAmount(std::u16string_view amount) {
    if (notation || amount.size() < 4) return;
    const char16_t symbol = amount[amount.size() - 3];
    if (symbol == u'.') notation = 0;
    if (symbol == u',') notation = 1;
  }
};

std::u16string_view ReportDateOf(std::u16string_view heading) {
  const std::u16string start = HeadingStart();
  if (!heading.starts_with(start)) return {};
  heading.remove_prefix(start.size());
  return heading.substr(0, heading.find(u'"'));
}

}  // namespace

bool IsOwnTransactionsFile(std::string_view bytes) {
  const std::string_view head = bytes.substr(0, 200);
  const std::optional<std::u16string> text =
      DecodeText(head.substr(0, head.size() & ~std::size_t{1}),
                 LooksLikeUtf16Le(bytes) ? TextEncoding::Utf16Le : TextEncoding::Windows1252);
  return text && text->starts_with(HeadingStart());
}

std::vector<Problem> ParseOwnTransactions(std::string_view bytes, const ParseOptions& options,
                                          const std::function<void(RawRecord&)>& take) {
  std::vector<Problem> problems;
  const bool unicode = LooksLikeUtf16Le(bytes);
  if (unicode && bytes.size() % 2 != 0) {
    problems.push_back({0, "", "UTF-16 text with an odd number of bytes: the file is cut short"});
    return problems;
  }
  if (unicode && bytes.starts_with("\xFF\xFE")) bytes.remove_prefix(2);

  // First pass: what the data decide.
  Evidence evidence;
  {
    Lines lines(bytes, unicode);
    std::u16string_view line;
    std::uint32_t number = 0;
    while (lines.Next(line, number)) {
      if (number == 1) {
        evidence.See(ReportDateOf(line));
      } else if (number > 2) {
        ++evidence.records;
        if (const std::optional<Fields> fields = SplitRecordLine(line)) {
          evidence.See(fields->date);
          evidence.SeeAmount(fields->amount);
        }
      }
    }
  }
  std::optional<std::uint32_t> dateForm = options.dateForm;
  // A file without records has nothing to read, whatever its report date leaves open.
  if (!dateForm && evidence.separator && evidence.records > 0) {
    const bool dash = *evidence.separator == u'-';
    if (evidence.dayFirst && evidence.monthFirst) {
      problems.push_back({0, "date", "some dates are day-month and others month-day"});
      return problems;
    }
    if (evidence.dayFirst) dateForm = dash ? 0 : 1;
    if (evidence.monthFirst) dateForm = dash ? 2 : 3;
    if (!dateForm) {
      problems.push_back({0, "date",
                          "the dates could be day-month or month-day: give --date-form (" +
                              std::string(dash ? "0 dd-mm-yy or 2 mm-dd-yy" : "1 dd/mm/yy or 3 mm/dd/yy") +
                              ")"});
      return problems;
    }
  }
  const std::uint32_t notation = options.notation.value_or(evidence.notation.value_or(0));
  const char16_t separator = dateForm && (*dateForm == 1 || *dateForm == 3) ? u'/' : u'-';
  const bool dayFirst = !dateForm || *dateForm <= 1;

  Lines lines(bytes, unicode);
  std::u16string_view line;
  std::uint32_t number = 0;
  RawRecord record;
  while (lines.Next(line, number)) {
    if (number == 1) {
      if (ReportDateOf(line).empty()) {
        problems.push_back({1, "", "not the heading of an exported transactions file"});
        return problems;
      }
      continue;
    }
    if (number == 2) continue;  // the column names
    const std::optional<Fields> fields = SplitRecordLine(line);
    if (!fields) {
      problems.push_back({number, "", "not four quoted fields"});
      continue;
    }
    record.line = number;
    const std::optional<DateParts> parts = SplitDate(fields->date);
    std::optional<SystemTime> date;
    if (parts && parts->separator == separator) {
      date = CalendarDate(PlaceTwoDigitYear(static_cast<std::uint16_t>(parts->year),
                                            options.today.year),
                          dayFirst ? parts->second : parts->first,
                          dayFirst ? parts->first : parts->second);
    }
    if (!date) {
      problems.push_back({number, "date", "\"" + ToUtf8(fields->date) + "\" is not a date of the file's form"});
      continue;
    }
    record.date = *date;
    std::u16string_view amount = fields->amount;
    record.negative = amount.starts_with(u'-');
    if (record.negative) amount.remove_prefix(1);
    record.amountText.assign(amount);
    record.grouping = notation;
    record.category.assign(fields->category);
    record.memo.assign(fields->memo);
    take(record);
  }
  return problems;
}

}  // namespace quidora::import
