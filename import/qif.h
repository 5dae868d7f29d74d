// QIF bank downloads: the !Type:Bank, !Type:Cash and !Type:CCard sections. Each record ends
// with "^"; of its lines D (date), T or U (amount, "-" for an expense), L (category), P (payee)
// and M (memo) are read and the others (N, C, A, S, $, E, ...) passed over. A category
// "[Savings]" is a transfer and keeps the account's name; "Car:Fuel" keeps "Car"; a class after
// "/" is dropped. Payee and memo are joined by one space into the memo. Other sections
// (!Account, !Option, category and class lists) are passed over; an investment or asset
// section is refused.
//
// Dates: "12/31/2024", "31.12.24", "12/31'24" (the apostrophe stands for 2000 and later),
// " 1/ 5/98", "2024-12-31". Whether the first number is the day or the month is decided by a
// number above 12, else by --date-order.
#pragma once

#include <functional>
#include <string_view>

#include "import/import_types.h"

namespace quidora::import {

bool LooksLikeQif(std::string_view bytes);

// UTF-8, or Windows-1252 where the bytes are not UTF-8.
std::vector<Problem> ParseQif(std::string_view bytes, const ParseOptions& options,
                              const std::function<void(RawRecord&)>& take);

}  // namespace quidora::import
