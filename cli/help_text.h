// What `quidora-cli --help` prints.
#pragma once

#include <string_view>

namespace quidora::cli {

inline constexpr std::string_view kHelpText =
    R"(Usage: quidora-cli COMMAND [OPTIONS]
       quidora-cli --help | --version

Reads the Quidora store (the device program's data). The reading commands
(accounts, categories, records, export) never change it and may run while the
device program runs; import, backup and restore write, and refuse while the
device program runs.

Commands:
  accounts [--from DATE] [--to DATE]
      Every account's balance over the range (income added, expenses
      subtracted), by account name, and the total of all accounts.
  categories ACCOUNT [--from DATE] [--to DATE]
      The total of each category of one account over the range, by category
      name; categories without a total are left out.
  records ACCOUNT [--from DATE] [--to DATE]
      The account's records over the range in date order; expenses negative.
  export ACCOUNT FILE [--force] [--unicode] [--date-form N] [--grouping N] [--descending]
      Writes every record of the account to FILE in the device program's
      transactions file format: the bytes its Export Transactions writes when
      the account's list is sorted by date. Records go oldest first, records
      of one day in the order they were stored; --descending writes the exact
      reverse (newest first). FILE - is standard output. FILE is a new file,
      or an existing regular file with --force; links, FIFOs, devices and the
      data folder's files are refused. --unicode writes UTF-16 (default: Windows-1252
      text); --date-form 0..3 picks dd-mm-yy, dd/mm/yy, mm-dd-yy or mm/dd/yy
      (default 0); --grouping 1 writes 1.234,56 instead of 1,234.56. A new
      FILE may be read by its owner only (mode 0600); a replaced FILE keeps
      its mode.

  import FILE --account NAME [options]
      Adds the records of FILE to the account, all or none: this program's
      transactions file (either encoding, any date form), OFX/QFX, QIF, or any
      CSV with --columns. Records already in the account are skipped.
      --dry-run             check and tell what would be added; write nothing
      --create-account      make the account (and a store) when there is none
      --category NAME       for records without one (required for OFX)
      --keep-duplicates     add records equal to ones already there
      --format quidora|ofx|qfx|qif|csv   instead of reading it from the file
      --date-form 0..3, --notation 0|1   transactions file whose dates or
                            amounts do not tell
      --date-order dmy|mdy|ymd           QIF dates that do not tell
      --columns LIST        CSV: date,amount,debit,credit,category,memo,payee
                            or - per column, or ROLE=N / ROLE=HEADING
      --date-format F       CSV: %d %m %Y %y %b (default %Y-%m-%d)
      --decimal . or ,      CSV and QIF amounts
      --delimiter C         CSV: , (default) ; tab ...
      --skip N              CSV: lines before the records
      --encoding utf-8|utf-16le|cp1252   CSV (default utf-8)
      Two-digit years fall within 50 years of today.

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
the largest amount possible, an export file that could not be written, or a
file that cannot be imported (its first 20 problems are listed); 2 the store is
missing, damaged, of a later version of Quidora, or cannot be read or written;
3 the device program runs on the data folder (import, backup, restore). A
refused import leaves the store exactly as it was.
)";

}  // namespace quidora::cli
