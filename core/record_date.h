// The date part shared by money and account records: the calendar date, and the date number
// with the four date texts built from the last date that was accepted.
#pragma once

#include <cstdint>

#include "core/date.h"
#include "core/formatted_text.h"

namespace quidora {

class RecordDate {
 public:
  // Stores `date` whatever it holds, then rebuilds the number and texts when the date is
  // acceptable (see DateNumberOf). A refused date keeps the previous number and texts, so the
  // calendar date and the texts may then disagree; the caller carries on regardless.
  bool Set(const SystemTime& date);
  // Number 0 and empty texts; the calendar date stays.
  void Reset() { dateNumber_ = 0; }
  // Number and texts as a newly made record gets them from Set(Date()): empty when the
  // calendar date would be refused.
  void Rebuild() { dateNumber_ = DateNumberOf(date_).value_or(0); }

  const SystemTime& Date() const { return date_; }
  std::uint32_t Number() const { return dateNumber_; }
  FormattedText Text(std::uint32_t viewType) const { return FormatDate(dateNumber_, viewType); }

 private:
  SystemTime date_;
  std::uint32_t dateNumber_ = 0;
};

}  // namespace quidora
