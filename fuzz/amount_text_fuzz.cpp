// Typed amounts: whatever the text, the check and the conversion stay defined, every accepted
// text is 1 to 100000000 cents, and the written form of any cents reads back to the same cents
// in both notations, written as a plain reference writes it.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/amount_text.h"
#include "core/money_record.h"

namespace {

using quidora::AmountCheck;

[[noreturn]] void Fail(const char* what, std::int64_t value) {
  std::fprintf(stderr, "amount_text_fuzz: %s (%lld)\n", what, static_cast<long long>(value));
  std::abort();
}

// Most bytes become characters an amount is made of, so that the fuzzer reaches the deep
// branches; the rest become characters that must be refused.
std::u16string TextOf(const std::uint8_t* data, std::size_t size) {
  static constexpr char16_t kAmountCharacters[] = u"0123456789.,";
  static constexpr char16_t kOthers[] = {u' ',   u'-',   u'+',   u'e',   u'\t',  u'\0',
                                         0x0665, 0x00A0, 0xD800, 0xDC00, 0xFF10, u'/',
                                         u':',   0x2212, 0x066B, 0x066C};
  std::u16string text;
  for (std::size_t i = 0; i < size; ++i) {
    const std::uint8_t b = data[i];
    if (b < 240) {
      text.push_back(kAmountCharacters[b % 12]);
    } else {
      text.push_back(kOthers[b - 240]);
    }
  }
  return text;
}

void CheckTypedText(const std::u16string& text, std::uint32_t grouping) {
  const AmountCheck check = quidora::ValidateAmountText(text, grouping);
  if (check != AmountCheck::Accepted) return;
  const std::int32_t cents = quidora::AmountFromText(text, grouping);
  if (cents < 1 || cents > quidora::kLargestTypedAmount) Fail("accepted text out of range", cents);
  quidora::MoneyRecord record;
  if (!record.SetAmountFromText(text, grouping)) Fail("accepted text not converted", cents);
  if (record.amount != cents) Fail("record amount differs", record.amount);
  // What is shown can be typed back.
  for (std::uint32_t g : {quidora::kGroupingDotDecimal, quidora::kGroupingCommaDecimal}) {
    const std::u16string shown = record.AmountText(g).str();
    if (quidora::ValidateAmountText(shown, g) != AmountCheck::Accepted) {
      Fail("shown amount refused", cents);
    }
  }
}

// The dot-decimal text written the plain way: digits, a "," before every third integer digit
// from the right, at least "0.00".
std::u16string ReferenceDotText(std::int32_t cents) {
  std::string digits = std::to_string(cents);
  if (digits.size() < 3) digits.insert(0, 3 - digits.size(), '0');
  const std::string integer = digits.substr(0, digits.size() - 2);
  std::string grouped;
  for (std::size_t i = 0; i < integer.size(); ++i) {
    if (i > 0 && (integer.size() - i) % 3 == 0) grouped += ',';
    grouped += integer[i];
  }
  grouped += '.' + digits.substr(digits.size() - 2);
  return std::u16string(grouped.begin(), grouped.end());
}

void CheckWrittenCents(std::int32_t cents) {
  quidora::MoneyRecord record;
  if (!record.SetAmount(cents)) Fail("SetAmount failed", cents);
  const std::u16string dot = ReferenceDotText(cents);
  std::u16string comma = dot;
  for (char16_t& c : comma) c = c == u',' ? u'.' : c == u'.' ? u',' : c;
  if (record.AmountText(quidora::kGroupingDotDecimal).view() != dot) Fail("dot text", cents);
  if (record.AmountText(quidora::kGroupingCommaDecimal).view() != comma) Fail("comma text", cents);
  for (std::uint32_t g : {quidora::kGroupingDotDecimal, quidora::kGroupingCommaDecimal}) {
    quidora::MoneyRecord reader;
    if (!reader.SetAmountFromText(record.AmountText(g).view(), g)) Fail("no text", cents);
    if (reader.amount != cents) Fail("written cents read back differently", cents);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::uint32_t grouping = data[0] % 3;  // 2 stands for any other setting value
  const std::u16string text = TextOf(data + 1, size - 1);
  CheckTypedText(text, grouping);

  std::uint32_t raw = 0;
  std::memcpy(&raw, data, size < sizeof raw ? size : sizeof raw);
  CheckWrittenCents(static_cast<std::int32_t>(raw & 0x7FFFFFFFu));
  return 0;
}
