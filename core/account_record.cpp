#include "core/account_record.h"

namespace quidora {

void AccountRecord::Reset() {
  key = kNoKey;
  date_.Reset();
  balance = 0;
  name_.Clear();
  description_.Clear();
}

void AccountRecord::CopyFrom(const AccountRecord& source) {
  key = source.key;
  date_.Set(source.Date());
  SetName(source.HasName() ? std::optional(source.Name()) : std::nullopt);
  SetDescription(source.HasDescription() ? std::optional(source.Description()) : std::nullopt);
  balance = source.balance;
}

bool AccountRecord::SetName(std::optional<std::u16string_view> text) {
  if (!text || text->empty()) return false;
  return name_.Assign(*text);
}

bool AccountRecord::SetDescription(std::optional<std::u16string_view> text) {
  if (!text) return false;
  return description_.Assign(*text);
}

}  // namespace quidora
