// One dated income or expense of one account.
//
// Texts: setters take std::optional<std::u16string_view>. std::nullopt is a MISSING text and is
// always refused (the field keeps its old text); an empty view is an EMPTY text, refused by
// SetCategory and stored as the empty text by SetMemo. HasCategory()/HasMemo() tell a missing
// field from an empty one; Category()/Memo() read both as the empty view. The record owns its
// texts, short ones inside itself: a view returned by Category()/Memo() is valid until the
// field is set again or the record moves (a list moves its records when it changes shape);
// take a std::u16string to keep it longer.
//
// Date and amount texts are formatted on request (see FormattedText) from the date number and
// from the cents they were last built from; they behave as texts built once and kept:
//  - a refused SetDate keeps the old texts and number but stores the refused calendar date;
//  - SetAmount rebuilds the amount texts without touching `amount`;
//  - Reset empties every text.
//
// Records are moved, never copied implicitly: copying in this program means CopyFrom, which
// rebuilds the date and amount texts and keeps a field whose source text is refused.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "core/date.h"
#include "core/formatted_text.h"
#include "core/inline_text.h"
#include "core/keys.h"
#include "core/record_date.h"

namespace quidora {

inline constexpr std::uint32_t kIncome = 0;
inline constexpr std::uint32_t kExpense = 1;

class MoneyRecord {
 public:
  // Construct: keys, date number and amount 0, type expense, every text missing.
  MoneyRecord() = default;
  MoneyRecord(MoneyRecord&&) noexcept = default;
  MoneyRecord& operator=(MoneyRecord&&) noexcept = default;
  MoneyRecord(const MoneyRecord&) = delete;
  MoneyRecord& operator=(const MoneyRecord&) = delete;

  // Keys become kNoKey, date number and amount 0, type expense, every text missing; the
  // calendar date stays.
  void Reset();
  // Keys, type and amount copied; the date set from the source's calendar date (so a source
  // holding a refused date gives a copy without date texts); category and memo set through
  // their setters (a missing source category or memo keeps this record's old one); amount
  // texts rebuilt from the copied amount.
  void CopyFrom(const MoneyRecord& source);

  bool SetDate(const SystemTime& date) { return date_.Set(date); }
  const SystemTime& Date() const { return date_.Date(); }
  std::uint32_t DateNumber() const { return date_.Number(); }
  // View types other than 0..3 give the type-0 text; empty when no date has been accepted.
  FormattedText DateText(std::uint32_t viewType) const { return date_.Text(viewType); }

  // Refuses a missing or empty text.
  bool SetCategory(std::optional<std::u16string_view> text);
  std::u16string_view Category() const { return category_.view(); }
  bool HasCategory() const { return category_.has_value(); }

  // Refuses a missing text; the empty text is stored as such.
  bool SetMemo(std::optional<std::u16string_view> text);
  std::u16string_view Memo() const { return memo_.view(); }
  bool HasMemo() const { return memo_.has_value(); }

  // Stores the cents of a text that ValidateAmountText accepted in `amount` and rebuilds the
  // amount texts. False for a missing or empty text (nothing changes).
  bool SetAmountFromText(std::optional<std::u16string_view> text, std::uint32_t grouping);
  // Rebuilds the two amount texts from `cents`; `amount` is left to the caller. Wider than the
  // amount field so that the magnitude of the lowest balance (2147483648) can be written.
  bool SetAmount(std::int64_t cents);
  // Grouping 1 gives the comma-decimal text, anything else the dot-decimal one; empty after
  // Construct and Reset until an amount is set.
  FormattedText AmountText(std::uint32_t grouping) const;

  // Rebuilds the date number and texts from the calendar date and the amount texts from
  // `amount`, as a newly made copy gets them from CopyFrom. Lists use it when they take a
  // record over instead of copying it.
  void RebuildTexts();

  std::uint32_t key = 0;
  std::uint32_t accountKey = 0;
  std::uint32_t type = kExpense;  // kIncome or kExpense; anything but 0 counts as an expense
  std::int32_t amount = 0;        // cents, never negative in a stored record

 private:
  RecordDate date_;
  bool hasAmountTexts_ = false;
  std::int64_t textCents_ = 0;  // what the amount texts were last built from
  // Room inside the record for the longest category and memo the dialogs allow.
  InlineText<22> category_;
  InlineText<30> memo_;
};

}  // namespace quidora
