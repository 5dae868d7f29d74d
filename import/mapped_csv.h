// Any bank's CSV file, read by a mapping from the command line.
//
// --columns lists what each column holds, in order: date, amount, debit, credit, category,
// memo, payee or "-" for a column to pass over ("date,-,memo,amount"). Or it names where each
// is: role=N (a position from 1) or role=HEADING (the text of that column in the heading line,
// the last of the --skip lines, one by default): "date=Booking date,amount=4,memo=Text".
// Either amount (signed: "-" or parentheses make an expense), or debit and credit (a debit is
// an expense, a credit income; the one that is filled in counts). Payee and memo are joined by
// one space into the memo.
#pragma once

#include <functional>
#include <string_view>

#include "import/import_types.h"

namespace quidora::import {

std::vector<Problem> ParseMappedCsv(std::string_view bytes, const ParseOptions& options,
                                    const std::function<void(RawRecord&)>& take);

}  // namespace quidora::import
