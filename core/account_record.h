// One account: its key, created date, name, description and a computed balance.
// Texts follow the conventions described in money_record.h (std::nullopt = missing).
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "core/date.h"
#include "core/formatted_text.h"
#include "core/keys.h"
#include "core/owned_text.h"
#include "core/record_date.h"

namespace quidora {

class AccountRecord {
 public:
  // Construct: key, date number and balance 0, every text missing.
  AccountRecord() = default;
  AccountRecord(AccountRecord&&) noexcept = default;
  AccountRecord& operator=(AccountRecord&&) noexcept = default;
  AccountRecord(const AccountRecord&) = delete;
  AccountRecord& operator=(const AccountRecord&) = delete;

  // Key kNoKey, date number and balance 0, every text missing; the calendar date stays.
  void Reset();
  // Key and balance copied, created date set from the source's calendar date, name and
  // description through their setters (a missing or empty source name keeps this one's).
  void CopyFrom(const AccountRecord& source);

  bool SetDate(const SystemTime& date) { return date_.Set(date); }
  const SystemTime& Date() const { return date_.Date(); }
  std::uint32_t DateNumber() const { return date_.Number(); }
  FormattedText DateText(std::uint32_t viewType) const { return date_.Text(viewType); }

  // Refuses a missing or empty text.
  bool SetName(std::optional<std::u16string_view> text);
  std::u16string_view Name() const { return name_.view(); }
  bool HasName() const { return name_.has_value(); }

  // Refuses a missing text; the empty text is stored as such.
  bool SetDescription(std::optional<std::u16string_view> text);
  std::u16string_view Description() const { return description_.view(); }
  bool HasDescription() const { return description_.has_value(); }

  // Rebuilds the date number and texts from the calendar date, as a newly made copy gets
  // them from CopyFrom. Lists use it when they take a record over instead of copying it.
  void RebuildTexts() { date_.Rebuild(); }

  std::uint32_t key = 0;
  std::int32_t balance = 0;  // cents; computed by AccountBalances, never stored

 private:
  RecordDate date_;
  OwnedText name_;
  OwnedText description_;
};

}  // namespace quidora
