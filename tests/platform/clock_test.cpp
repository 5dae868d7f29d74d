#include "platform/clock.h"

#include <gtest/gtest.h>

#include <ctime>

namespace quidora::platform {
namespace {

// The bracketing times come from the clock the product reads: std::time may use a coarser
// clock that lags it by a tick at a second's turn.
std::time_t RealtimeSeconds() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  return now.tv_sec;
}

TEST(ClockTest, TheSystemClockAnswersUtc) {
  const std::time_t before = RealtimeSeconds();
  const SystemTime now = SystemClock().NowUtc();
  const std::time_t after = RealtimeSeconds();
  std::tm tm{};
  tm.tm_year = now.year - 1900;
  tm.tm_mon = now.month - 1;
  tm.tm_mday = now.day;
  tm.tm_hour = now.hour;
  tm.tm_min = now.minute;
  tm.tm_sec = now.second;
  const std::time_t read = timegm(&tm);
  EXPECT_GE(read, before);
  EXPECT_LE(read, after);
  EXPECT_EQ(tm.tm_wday, now.dayOfWeek);  // timegm normalised the fields and set the weekday
  EXPECT_LT(now.milliseconds, 1000);
}

TEST(ClockTest, AFixedClockAnswersWhatItIsSetTo) {
  SystemTime time{2005, 10, 6, 29, 23, 21, 1, 0};
  FixedClock clock(time);
  const Clock& asClock = clock;
  EXPECT_EQ(asClock.NowUtc(), time);
  time.day = 1;
  clock.Set(time);
  EXPECT_EQ(asClock.NowUtc().day, 1);
}

}  // namespace
}  // namespace quidora::platform
