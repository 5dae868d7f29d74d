// Typed amounts: checking, conversion to cents, and the two written notations.
//
// Amounts are whole cents in signed 32-bit numbers. The grouping setting (`MoneyTypeView`)
// chooses the notation: 1 means "." grouping with "," decimals ("1.000,87"); any other value
// means "," grouping with "." decimals ("1,000.87").
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "core/formatted_text.h"
#include "resources/strings/string_table.h"

namespace quidora {

inline constexpr std::uint32_t kGroupingDotDecimal = 0;    // "1,000.87"
inline constexpr std::uint32_t kGroupingCommaDecimal = 1;  // "1.000,87"

// The largest amount a user can type: 1,000,000.00.
inline constexpr std::int32_t kLargestTypedAmount = 100000000;

// The program's own result codes of an amount check.
enum class AmountCheck : std::uint32_t {
  Accepted = 560,
  Invalid = 561,   // a character other than digits and the two symbols, two decimal symbols,
                   // or no digit at all
  TooLarge = 562,  // above 1,000,000.00, or more than ten integer digits
  Zero = 563,      // empty, or rounds to 0 cents
};

// Checks a typed text (already trimmed of spaces by the caller) in the given grouping.
// Grouping symbols are ignored wherever they stand; a third fraction digit rounds, later ones
// are ignored.
AmountCheck ValidateAmountText(std::optional<std::u16string_view> text, std::uint32_t grouping);

// The message shown for a refused amount: AmountInvalid, AmountTooLarge..., AmountZero... in
// the notation of `grouping`. Not meant for Accepted (gives AmountInvalid).
StringId AmountCheckMessage(AmountCheck result, std::uint32_t grouping);

// The cents of a text that ValidateAmountText accepted. For other texts the result is defined
// (never undefined behaviour) but meaningless.
std::int32_t AmountFromText(std::u16string_view text, std::uint32_t grouping);

// `cents` written in the notation of `grouping`: "0.05", "1,234,567.89" / "1.234.567,89".
// A negative number gets a leading "-" before its magnitude.
FormattedText FormatAmount(std::int64_t cents, std::uint32_t grouping);

}  // namespace quidora
