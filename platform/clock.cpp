#include "platform/clock.h"

#include <ctime>

namespace quidora::platform {

SystemTime SystemClock::NowUtc() const {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  std::tm utc{};
  gmtime_r(&now.tv_sec, &utc);
  SystemTime time;
  time.year = static_cast<std::uint16_t>(utc.tm_year + 1900);
  time.month = static_cast<std::uint16_t>(utc.tm_mon + 1);
  time.dayOfWeek = static_cast<std::uint16_t>(utc.tm_wday);
  time.day = static_cast<std::uint16_t>(utc.tm_mday);
  time.hour = static_cast<std::uint16_t>(utc.tm_hour);
  time.minute = static_cast<std::uint16_t>(utc.tm_min);
  time.second = static_cast<std::uint16_t>(utc.tm_sec);
  time.milliseconds = static_cast<std::uint16_t>(now.tv_nsec / 1000000);
  return time;
}

}  // namespace quidora::platform
