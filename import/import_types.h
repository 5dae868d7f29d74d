// What the import parsers hand on and what the user is told about a file.
//
// A parser reads one file into raw records: a date already read, the amount as written (its
// sign apart) and the category and memo texts as found. The program's rules (amount range,
// category names, memo length) are applied afterwards, in one place, for every format.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/date.h"

namespace quidora::import {

enum class FileFormat : std::uint8_t { Own, Ofx, Qif, Csv };

struct RawRecord {
  std::uint32_t line = 0;  // the record's first line in the file, from 1
  std::uint32_t amountLine = 0;  // the amount's own line, where a record spans several
  SystemTime date;
  bool negative = false;     // an expense
  std::u16string amountText;  // digits and symbols, no sign
  std::uint32_t grouping = 0;  // the notation of amountText, as ValidateAmountText takes it
  std::u16string category;    // as found; may be empty
  std::u16string memo;        // as found
};

// One refused record or line. `field` names what is wrong ("date", "amount", ...); empty for a
// problem of the whole line or file.
struct Problem {
  std::uint32_t line = 0;  // 0: the file as a whole
  std::string field;
  std::string message;
};

struct ParsedFile {
  FileFormat format = FileFormat::Own;
  std::vector<RawRecord> records;
  std::vector<Problem> problems;
};

enum class DateOrder : std::uint8_t { DayMonthYear, MonthDayYear, YearMonthDay };
enum class TextEncoding : std::uint8_t { Utf8, Utf16Le, Windows1252 };

// The mapping of a CSV file that is not this program's own.
struct CsvMapping {
  std::string columns;                   // --columns
  std::string dateFormat = "%Y-%m-%d";   // --date-format
  char16_t decimal = u'.';               // --decimal
  char16_t delimiter = u',';             // --delimiter
  std::uint32_t skip = 0;                // --skip: lines before the records
  std::optional<TextEncoding> encoding;  // --encoding; UTF-8 when not given
};

struct ParseOptions {
  std::optional<FileFormat> format;        // --format; detected from the bytes when not given
  std::optional<std::uint32_t> dateForm;   // --date-form 0..3 (own CSV)
  std::optional<std::uint32_t> notation;   // --notation 0|1 (own CSV)
  std::optional<DateOrder> dateOrder;      // --date-order (QIF)
  CsvMapping csv;
  SystemTime today;  // places two-digit years
};

}  // namespace quidora::import
