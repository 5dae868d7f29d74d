#include "core/amount_text.h"

#include <string>

namespace quidora {
namespace {

struct Symbols {
  char16_t decimal;
  char16_t grouping;
};

Symbols SymbolsOf(std::uint32_t grouping) {
  if (grouping == kGroupingCommaDecimal) return {u',', u'.'};
  return {u'.', u','};
}

bool IsDigit(char16_t c) {
  return c >= u'0' && c <= u'9';
}

// The digits of a typed amount before and after its decimal symbol; grouping symbols and any
// other character are left out.
struct AmountDigits {
  std::u16string integer;
  std::u16string fraction;
};

AmountDigits SplitDigits(std::u16string_view text, char16_t decimal) {
  AmountDigits digits;
  bool afterDecimal = false;
  for (char16_t c : text) {
    if (c == decimal) {
      afterDecimal = true;
    } else if (IsDigit(c)) {
      (afterDecimal ? digits.fraction : digits.integer).push_back(c);
    }
  }
  return digits;
}

// The two cent digits as typed, before rounding: "00", "f0" or the first two fraction digits.
std::u16string UnroundedCentDigits(const std::u16string& fraction) {
  if (fraction.empty()) return u"00";
  if (fraction.size() == 1) return fraction + u'0';
  return fraction.substr(0, 2);
}

// Cents of the fraction digits, the third digit rounding: 0..100.
std::int64_t CentsOf(const std::u16string& fraction) {
  const std::u16string cents = UnroundedCentDigits(fraction);
  std::int64_t value = (cents[0] - u'0') * 10 + (cents[1] - u'0');
  if (fraction.size() >= 3 && fraction[2] >= u'5') ++value;
  return value;
}

// The value of a digit string, held at a ceiling far above any amount so that no text can
// overflow it.
std::int64_t ValueOf(std::u16string_view digits) {
  constexpr std::int64_t kCeiling = 1'000'000'000'000'000;
  std::int64_t value = 0;
  for (char16_t c : digits) {
    value = value * 10 + (c - u'0');
    if (value > kCeiling) return kCeiling;
  }
  return value;
}

}  // namespace

AmountCheck ValidateAmountText(std::optional<std::u16string_view> text, std::uint32_t grouping) {
  if (!text || text->empty()) return AmountCheck::Zero;
  const Symbols symbols = SymbolsOf(grouping);

  int decimals = 0;
  bool anyDigit = false;
  for (char16_t c : *text) {
    if (IsDigit(c)) {
      anyDigit = true;
    } else if (c == symbols.decimal) {
      ++decimals;
    } else if (c != symbols.grouping) {
      return AmountCheck::Invalid;
    }
  }
  if (decimals > 1 || !anyDigit) return AmountCheck::Invalid;

  const AmountDigits digits = SplitDigits(*text, symbols.decimal);
  if (digits.integer.size() > 10) return AmountCheck::TooLarge;
  // The integer digits and the unrounded cents, read as one number, must stay below the
  // largest signed 32-bit value; equal length texts compare as numbers.
  const std::u16string asCents = digits.integer + UnroundedCentDigits(digits.fraction);
  if (asCents.size() > 10 || (asCents.size() == 10 && asCents >= u"2147483647")) {
    return AmountCheck::TooLarge;
  }
  const std::int64_t cents = ValueOf(digits.integer) * 100 + CentsOf(digits.fraction);
  if (cents > kLargestTypedAmount) return AmountCheck::TooLarge;
  if (cents == 0) return AmountCheck::Zero;
  return AmountCheck::Accepted;
}

StringId AmountCheckMessage(AmountCheck result, std::uint32_t grouping) {
  const bool comma = grouping == kGroupingCommaDecimal;
  switch (result) {
    case AmountCheck::TooLarge:
      return comma ? StringId::AmountTooLargeComma : StringId::AmountTooLargeDot;
    case AmountCheck::Zero:
      return comma ? StringId::AmountZeroComma : StringId::AmountZeroDot;
    case AmountCheck::Accepted:
    case AmountCheck::Invalid:
      break;
  }
  return StringId::AmountInvalid;
}

std::int32_t AmountFromText(std::u16string_view text, std::uint32_t grouping) {
  const AmountDigits digits = SplitDigits(text, SymbolsOf(grouping).decimal);
  const std::int64_t cents = ValueOf(digits.integer) * 100 + CentsOf(digits.fraction);
  constexpr std::int64_t kLargest = INT32_MAX;
  return static_cast<std::int32_t>(cents > kLargest ? kLargest : cents);
}

FormattedText FormatAmount(std::int64_t cents, std::uint32_t grouping) {
  const Symbols symbols = SymbolsOf(grouping);
  FormattedText text;
  std::uint64_t magnitude = static_cast<std::uint64_t>(cents);
  if (cents < 0) {
    text.push_back(u'-');
    magnitude = 0 - magnitude;
  }
  char16_t digits[20];
  std::size_t count = 0;
  do {
    digits[count++] = static_cast<char16_t>(u'0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  // digits[] holds the number from its last digit to its first.
  if (count <= 2) {
    text.push_back(u'0');
    text.push_back(symbols.decimal);
    text.push_back(count == 1 ? u'0' : digits[1]);
    text.push_back(digits[0]);
    return text;
  }
  for (std::size_t i = count; i-- > 2;) {
    text.push_back(digits[i]);
    const std::size_t integerDigitsLeft = i - 2;
    if (integerDigitsLeft > 0 && integerDigitsLeft % 3 == 0) text.push_back(symbols.grouping);
  }
  text.push_back(symbols.decimal);
  text.push_back(digits[1]);
  text.push_back(digits[0]);
  return text;
}

}  // namespace quidora
