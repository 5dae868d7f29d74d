// The transactions file this program exports (Export Transactions, `quidora-cli export`): a
// heading line with the report date and the account, the column line, then one line per record
// of four quoted fields, date, category, amount ("-" first for an expense) and memo. Code page
// Windows-1252 or UTF-16 little-endian without a byte-order mark; lines end with CR LF, and a
// memo may hold a lone CR or LF. Nothing inside a field is escaped (the export turns quotes in
// memos into spaces).
//
// The date form (0..3) and the notation (0 "1,234.56", 1 "1.234,56") are read from the data
// where they decide them: a separator tells "-" from "/", a number above 12 in either place
// tells day-month from month-day, the decimal symbol of any amount tells the notation. What the
// data leave open comes from the options, else the file is refused with a problem asking for
// them.
#pragma once

#include <functional>
#include <string_view>

#include "import/import_types.h"

namespace quidora::import {

// Whether the bytes start as an exported transactions file.
bool IsOwnTransactionsFile(std::string_view bytes);

// Hands each record to `take` and returns the problems of the file and its lines.
std::vector<Problem> ParseOwnTransactions(std::string_view bytes, const ParseOptions& options,
                                          const std::function<void(RawRecord&)>& take);

}  // namespace quidora::import
