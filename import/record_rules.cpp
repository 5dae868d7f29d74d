#include "import/record_rules.h"

#include "core/text_ops.h"
#include "core/unicode_text.h"

namespace quidora::import {

namespace {

// The length of the text's first `limit` units, shortened by one where the cut would split a
// surrogate pair.
std::size_t CutPoint(std::u16string_view text, std::size_t limit) {
  if (text.size() <= limit) return text.size();
  const char16_t last = text[limit - 1];
  return last >= 0xD800 && last <= 0xDBFF ? limit - 1 : limit;
}

}  // namespace

std::u16string CleanCategoryName(std::u16string_view text) {
  std::u16string cleaned;
  cleaned.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const unicode::Decoded c = unicode::DecodeAt(text, i);
    const std::u16string_view character = text.substr(i, c.units);
    i += c.units;
    const bool kept = character != u" " && IsValidName(character);
    if (kept) {
      cleaned.append(character);
    } else if (!cleaned.empty() && cleaned.back() != u' ') {
      cleaned.push_back(u' ');
    }
  }
  std::u16string_view name = TrimSpaces(cleaned);
  name = TrimSpaces(name.substr(0, CutPoint(name, kCategoryNameLimit)));
  if (name.empty() || !IsValidName(name)) return {};
  return StoredCategoryName(name);
}

FittedMemo FitMemo(std::u16string_view text) {
  FittedMemo fitted;
  fitted.cut = text.size() > kMemoLimit;
  std::u16string_view kept = text.substr(0, CutPoint(text, kMemoLimit));
  // A cut that ends on a space would leave it dangling at the memo's end.
  if (fitted.cut) {
    while (!kept.empty() && kept.back() == u' ') kept.remove_suffix(1);
  }
  fitted.memo = std::u16string(kept);
  return fitted;
}

AmountReading ReadAmount(std::u16string_view text, std::uint32_t grouping) {
  AmountReading reading;
  reading.check = ValidateAmountText(text, grouping);
  if (reading.check == AmountCheck::Accepted) reading.cents = AmountFromText(text, grouping);
  return reading;
}

std::string AmountProblem(AmountCheck check) {
  switch (check) {
    case AmountCheck::TooLarge:
      return "above the largest amount, 1,000,000.00";
    case AmountCheck::Zero:
      return "zero or empty (the smallest amount is 0.01)";
    default:
      return "not an amount";
  }
}

SignedText SplitSign(std::u16string_view text) {
  SignedText split{false, TrimSpaces(text)};
  if (split.digits.size() >= 2 && split.digits.front() == u'(' && split.digits.back() == u')') {
    split.negative = true;
    split.digits = TrimSpaces(split.digits.substr(1, split.digits.size() - 2));
  }
  if (!split.digits.empty() && (split.digits.front() == u'-' || split.digits.front() == u'+')) {
    if (split.digits.front() == u'-') split.negative = true;
    split.digits = TrimSpaces(split.digits.substr(1));
  }
  return split;
}

}  // namespace quidora::import
