// The device program's rules, applied to every imported record: the amounts the transaction
// dialog accepts, category names as the categories dialogs store them, memos within the memo
// field.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/amount_text.h"

namespace quidora::import {

// The limits of the dialogs' fields: a category name, a memo and an account name, in 16-bit
// units; the number of accounts a device may hold.
inline constexpr std::size_t kCategoryNameLimit = 20;
inline constexpr std::size_t kMemoLimit = 30;
inline constexpr std::size_t kAccountNameLimit = 40;
inline constexpr std::size_t kAccountLimit = 15;

// A category name cleaned to the name rules: every character that is not a letter, a digit or
// a space becomes a space, runs of spaces become one, the ends are trimmed, the name is cut to
// the limit (never inside a character) and put in the stored form ("fOOD" -> "Food"). Empty
// when nothing usable is left.
std::u16string CleanCategoryName(std::u16string_view text);

// The memo cut to the limit (never inside a character, and without spaces left at the cut);
// `cut` tells whether anything was lost.
// Nothing else changes: a memo read back from an export keeps its spaces and line breaks, so
// that exporting it again gives the same bytes.
struct FittedMemo {
  std::u16string memo;
  bool cut = false;
};
FittedMemo FitMemo(std::u16string_view text);

// The cents of an amount text in `grouping`, by the transaction dialog's check: nothing, with
// `check` telling why, unless it is accepted (0.01 to 1,000,000.00).
struct AmountReading {
  AmountCheck check = AmountCheck::Invalid;
  std::int32_t cents = 0;
};
AmountReading ReadAmount(std::u16string_view text, std::uint32_t grouping);

// What the user is told for a refused amount, in plain words.
std::string AmountProblem(AmountCheck check);

// Splits a leading sign off an amount: "-12.50" -> negative, "12.50". A "+" is dropped.
// Parentheses around the number, as some banks write debits, count as "-".
struct SignedText {
  bool negative = false;
  std::u16string_view digits;
};
SignedText SplitSign(std::u16string_view text);

}  // namespace quidora::import
