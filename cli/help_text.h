// What `quidora-cli --help` prints.
#pragma once

#include <string_view>

namespace quidora::cli {

inline constexpr std::string_view kHelpText =
    R"(Usage: quidora-cli COMMAND [OPTIONS]

Reads the Quidora store (the device program's data) and never changes it. It may
run while the device program runs.

Commands:
  accounts [--from DATE] [--to DATE]
      Every account's balance over the range (income added, expenses
      subtracted), by account name, and the total of all accounts.
  categories ACCOUNT [--from DATE] [--to DATE]
      The total of each category of one account over the range, by category
      name; categories without a total are left out.
  records ACCOUNT [--from DATE] [--to DATE]
      The account's records over the range in date order; expenses negative.
  export ACCOUNT FILE [--unicode] [--date-form N] [--grouping N] [--descending]
      Writes every record of the account to FILE in the device program's
      transactions file format: the bytes its Export Transactions writes when
      the account's list is sorted by date. Records go oldest first, records
      of one day in the order they were stored; --descending writes the exact
      reverse (newest first). --unicode writes UTF-16 (default: Windows-1252
      text); --date-form 0..3 picks dd-mm-yy, dd/mm/yy, mm-dd-yy or mm/dd/yy
      (default 0); --grouping 1 writes 1.234,56 instead of 1,234.56. A new
      FILE may be read by its owner only (mode 0600); a replaced FILE keeps
      its mode.

Options of accounts, categories and records:
  --from DATE, --to DATE
      Dates written YYYY-MM-DD; both days are included. Without them the range
      is open on that side.
  --format table|csv|json
      table (default): aligned columns, amounts as 1,234.56.
      csv: a heading line, then one line per row; amounts as -1234.56.
      json: one object; amounts in cents, dates YYYY-MM-DD.

The store is QUIDORA_HOME/objectstore.db when QUIDORA_HOME is set, else
$XDG_DATA_HOME/quidora/objectstore.db (~/.local/share/quidora/objectstore.db).

Exit status: 0 done; 1 a wrong command line, an unknown account, a sum beyond
the largest amount possible or an export file that could not be written; 2 the
store is missing, damaged, of a later version of Quidora, or cannot be read.
)";

}  // namespace quidora::cli
