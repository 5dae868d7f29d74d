#include "import/mapped_csv.h"

#include <array>
#include <optional>
#include <string>

#include "core/amount_text.h"
#include "core/text_ops.h"
#include "import/csv_rows.h"
#include "import/date_reading.h"
#include "import/record_rules.h"
#include "import/text_decoding.h"

namespace quidora::import {

namespace {

constexpr std::size_t kPieceBytes = 1 << 20;

enum Role : std::size_t { kDate, kAmount, kDebit, kCredit, kCategory, kMemo, kPayee, kRoles };
constexpr std::array<std::string_view, kRoles> kRoleNames = {
    "date", "amount", "debit", "credit", "category", "memo", "payee"};

std::optional<std::size_t> RoleNamed(std::string_view name) {
  for (std::size_t i = 0; i < kRoles; ++i) {
    if (kRoleNames[i] == name) return i;
  }
  return std::nullopt;
}

// Where each role is: a position from 0, or a heading text still to be found.
struct Place {
  std::optional<std::size_t> position;
  std::optional<std::u16string> heading;
};

struct Mapping {
  std::array<std::optional<Place>, kRoles> places;
  bool needsHeading = false;
};

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

std::optional<Mapping> ReadMapping(std::string_view columns, std::vector<Problem>& problems) {
  Mapping mapping;
  std::size_t position = 0;
  auto fail = [&](std::string message) {
    problems.push_back({0, "--columns", std::move(message)});
    return std::nullopt;
  };
  while (true) {
    const std::size_t comma = columns.find(',');
    const std::string_view item = Trimmed(columns.substr(0, comma));
    const std::size_t equals = item.find('=');
    const std::string_view roleName = Trimmed(item.substr(0, equals));
    if (roleName != "-") {
      const std::optional<std::size_t> role = RoleNamed(roleName);
      if (!role) return fail("\"" + std::string(roleName) + "\" is none of date, amount, debit, credit, category, memo, payee, -");
      if (mapping.places[*role]) return fail("\"" + std::string(roleName) + "\" is given twice");
      Place place;
      if (equals == std::string_view::npos) {
        place.position = position;
      } else {
        const std::string_view where = Trimmed(item.substr(equals + 1));
        std::size_t number = 0;
        bool digits = !where.empty();
        for (const char c : where) {
          if (c < '0' || c > '9') digits = false;
          else number = number * 10 + static_cast<std::size_t>(c - '0');
        }
        if (digits && number >= 1 && number < 10000) {
          place.position = number - 1;
        } else {
          const std::optional<std::u16string> heading = DecodeText(where, TextEncoding::Utf8);
          if (!heading || heading->empty()) return fail("no column given for \"" + std::string(roleName) + "\"");
          place.heading = *heading;
          mapping.needsHeading = true;
        }
      }
      mapping.places[*role] = place;
    }
    ++position;
    if (comma == std::string_view::npos) break;
    columns.remove_prefix(comma + 1);
  }
  if (!mapping.places[kDate]) return fail("no date column");
  const bool amount = mapping.places[kAmount].has_value();
  const bool debitCredit = mapping.places[kDebit].has_value() || mapping.places[kCredit].has_value();
  if (amount == debitCredit) return fail("give either an amount column or debit and credit columns");
  return mapping;
}

const std::u16string* FieldAt(const CsvRow& row, const std::optional<Place>& place) {
  if (!place || !place->position || *place->position >= row.fields.size()) return nullptr;
  return &row.fields[*place->position];
}

std::u16string_view FieldText(const CsvRow& row, const std::optional<Place>& place) {
  const std::u16string* field = FieldAt(row, place);
  return field != nullptr ? TrimSpaces(*field) : std::u16string_view();
}

// A bank's field on several lines is one line of text in a memo.
std::u16string OnOneLine(std::u16string_view text) {
  std::u16string line(text);
  for (char16_t& unit : line) {
    if (unit == u'\r' || unit == u'\n' || unit == u'\t') unit = u' ';
  }
  return line;
}

// The amount as written without the spaces some banks group digits with.
std::u16string WithoutSpaces(std::u16string_view text) {
  std::u16string kept;
  for (const char16_t c : text) {
    if (c != u' ' && c != 0x00A0 && c != 0x202F) kept.push_back(c);
  }
  return kept;
}

}  // namespace

std::vector<Problem> ParseMappedCsv(std::string_view bytes, const ParseOptions& options,
                                    const std::function<void(RawRecord&)>& take) {
  std::vector<Problem> problems;
  const CsvMapping& csv = options.csv;
  if (csv.columns.empty()) {
    problems.push_back({0, "--columns", "a CSV file needs --columns (for example date,amount,category,memo)"});
    return problems;
  }
  std::optional<Mapping> mapping = ReadMapping(csv.columns, problems);
  if (!mapping) return problems;
  const std::uint32_t grouping = csv.decimal == u',' ? kGroupingCommaDecimal : kGroupingDotDecimal;
  const TextEncoding encoding = csv.encoding.value_or(TextEncoding::Utf8);
  const std::uint32_t skip = mapping->needsHeading && csv.skip == 0 ? 1 : csv.skip;

  std::uint32_t rowNumber = 0;
  RawRecord record;
  const auto takeRow = [&](CsvRow& row) {
    ++rowNumber;
    if (rowNumber <= skip) {
      if (rowNumber == skip && mapping->needsHeading) {
        for (auto& place : mapping->places) {
          if (!place || !place->heading) continue;
          for (std::size_t i = 0; i < row.fields.size(); ++i) {
            if (TrimSpaces(row.fields[i]) == *place->heading) place->position = i;
          }
          if (!place->position) {
            problems.push_back({row.line, "--columns", "no column \"" + ToUtf8(*place->heading) + "\" in the heading line"});
          }
        }
      }
      return true;
    }
    if (!problems.empty() && problems.front().line == 0) return false;
    for (const auto& place : mapping->places) {
      if (place && place->heading && !place->position) return false;
    }
    record.line = row.line;
    const std::u16string_view dateText = FieldText(row, mapping->places[kDate]);
    const std::optional<SystemTime> date = ReadDateByFormat(dateText, csv.dateFormat, options.today.year);
    if (!date) {
      problems.push_back({row.line, "date", "\"" + ToUtf8(dateText) + "\" does not fit --date-format " + csv.dateFormat});
      return true;
    }
    record.date = *date;
    std::u16string amount;
    if (mapping->places[kAmount]) {
      const SignedText split = SplitSign(FieldText(row, mapping->places[kAmount]));
      record.negative = split.negative;
      amount = WithoutSpaces(split.digits);
    } else {
      const SignedText debit = SplitSign(FieldText(row, mapping->places[kDebit]));
      const SignedText credit = SplitSign(FieldText(row, mapping->places[kCredit]));
      if (!debit.digits.empty() && !credit.digits.empty()) {
        problems.push_back({row.line, "amount", "both debit and credit are filled in"});
        return true;
      }
      record.negative = !debit.digits.empty();
      amount = WithoutSpaces(record.negative ? debit.digits : credit.digits);
    }
    record.amountText = std::move(amount);
    record.grouping = grouping;
    record.category.assign(FieldText(row, mapping->places[kCategory]));
    const std::u16string_view payee = FieldText(row, mapping->places[kPayee]);
    const std::u16string_view memo = FieldText(row, mapping->places[kMemo]);
    record.memo.assign(payee);
    if (!payee.empty() && !memo.empty()) record.memo.push_back(u' ');
    record.memo.append(memo);
    record.memo = OnOneLine(record.memo);
    take(record);
    return true;
  };

  // A large file is decoded a piece at a time: it is never held as bytes and as text at once.
  std::optional<std::uint32_t> openQuote;
  bool decoded = true;
  const auto readPiece = [&](std::string_view piece, std::uint32_t firstLine) {
    const std::optional<std::u16string> text = DecodeText(piece, encoding);
    if (!text) {
      decoded = false;
      return false;
    }
    openQuote = ReadCsvRows(*text, csv.delimiter, takeRow, firstLine);
    return !openQuote;
  };
  if (encoding == TextEncoding::Utf16Le) {
    readPiece(bytes, 1);
  } else {
    if (encoding == TextEncoding::Utf8 && bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
    ForEachCsvPiece(bytes, static_cast<char>(csv.delimiter), kPieceBytes, readPiece);
  }
  if (!decoded) {
    problems.push_back({0, "", csv.encoding ? "the bytes do not fit the encoding given by --encoding"
                                            : "not UTF-8 text: give --encoding cp1252 or utf-16le"});
    return problems;
  }
  if (openQuote) {
    problems.push_back({*openQuote, "", "a quoted field opened here is never closed"});
  }
  return problems;
}

}  // namespace quidora::import
