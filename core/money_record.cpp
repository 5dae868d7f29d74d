#include "core/money_record.h"

#include "core/amount_text.h"

namespace quidora {

// A million records must fit in 200 MB with their category and memo.
static_assert(sizeof(MoneyRecord) <= 160, "money records outgrow their memory budget");

void MoneyRecord::Reset() {
  key = kNoKey;
  accountKey = kNoKey;
  date_.Reset();
  amount = 0;
  type = kExpense;
  hasAmountTexts_ = false;
  category_.Clear();
  memo_.Clear();
}

void MoneyRecord::CopyFrom(const MoneyRecord& source) {
  key = source.key;
  accountKey = source.accountKey;
  date_.Set(source.Date());
  SetCategory(source.HasCategory() ? std::optional(source.Category()) : std::nullopt);
  SetMemo(source.HasMemo() ? std::optional(source.Memo()) : std::nullopt);
  amount = source.amount;
  SetAmount(amount);
  type = source.type;
}

bool MoneyRecord::SetCategory(std::optional<std::u16string_view> text) {
  if (!text || text->empty()) return false;
  return category_.Assign(*text);
}

bool MoneyRecord::SetMemo(std::optional<std::u16string_view> text) {
  if (!text) return false;
  return memo_.Assign(*text);
}

bool MoneyRecord::SetAmountFromText(std::optional<std::u16string_view> text,
                                    std::uint32_t grouping) {
  if (!text || text->empty()) return false;
  amount = AmountFromText(*text, grouping);
  return SetAmount(amount);
}

bool MoneyRecord::SetAmount(std::int64_t cents) {
  textCents_ = cents;
  hasAmountTexts_ = true;
  return true;
}

FormattedText MoneyRecord::AmountText(std::uint32_t grouping) const {
  if (!hasAmountTexts_) return {};
  return FormatAmount(textCents_, grouping);
}

void MoneyRecord::RebuildTexts() {
  date_.Rebuild();
  SetAmount(amount);
}

}  // namespace quidora
