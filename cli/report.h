// What a command prints, and the three ways to print it: an aligned table for people, CSV and
// JSON for programs. Amounts are cents throughout; the table writes them as the device program
// does ("-1,234.56"), CSV as plain decimals ("-1234.56"), JSON as whole numbers of cents.
// Dates are date numbers, written ISO style ("2010-01-31"; nothing for a record without a
// valid date: an empty field, or null in JSON).
#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "cli/arguments.h"

namespace quidora::cli {

enum class ColumnKind : std::uint8_t { Text, Date, Cents, Count };

struct Column {
  std::string_view key;      // CSV heading and JSON member name
  std::string_view heading;  // table heading
  ColumnKind kind;
};

// Text (UTF-8) for Text columns; a number for Date, Cents and Count (a plain whole number)
// columns.
using Value = std::variant<std::string, std::int64_t>;

struct Report {
  std::string_view listName;  // the JSON member that holds the rows
  // Members of the JSON object before the rows ("account", "from", "to"); a missing value is
  // null. Not shown in the table or CSV.
  std::vector<std::pair<std::string_view, std::optional<Value>>> about;
  std::vector<Column> columns;
  std::vector<std::vector<Value>> rows;
  // A total under the table's last column and a "total" member in JSON; CSV has rows only.
  std::optional<std::int64_t> total;
};

void WriteTable(const Report& report, std::ostream& out);
void WriteCsv(const Report& report, std::ostream& out);
void WriteJson(const Report& report, std::ostream& out);
// The report in the form the command line asked for, flushed.
void WriteReport(const Report& report, Format format, std::ostream& out);

}  // namespace quidora::cli
