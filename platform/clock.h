// The device clock. Storage code reads UTC time through this interface so tests can fix it.
#pragma once

#include "core/date.h"

namespace quidora::platform {

class Clock {
 public:
  virtual ~Clock() = default;
  // The current UTC date and time, all eight fields filled (day of week 0 = Sunday).
  virtual SystemTime NowUtc() const = 0;
};

// The computer's clock.
class SystemClock final : public Clock {
 public:
  SystemTime NowUtc() const override;
};

// Always answers the time it holds; tests move it with Set.
class FixedClock final : public Clock {
 public:
  explicit FixedClock(const SystemTime& now) : now_(now) {}
  SystemTime NowUtc() const override { return now_; }
  void Set(const SystemTime& now) { now_ = now; }

 private:
  SystemTime now_;
};

}  // namespace quidora::platform
