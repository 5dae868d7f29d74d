#include "core/stored_date.h"

namespace quidora {

std::uint32_t StoredDateNumber(std::uint32_t year, std::uint32_t month, std::uint32_t day) {
  if (year < 1000 || year > 9999 || month > 12 || day > 31) return 0;
  return year * 10000u + month * 100u + day;
}

}  // namespace quidora
