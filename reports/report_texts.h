// How the reports write amounts: a row shows the magnitude with an image for the direction
// (green up for positive, red down for negative, the equals sign for zero where zero rows show
// at all); a total shows "- " before the magnitude when it is negative.
#pragma once

#include <QString>
#include <cstdint>

namespace quidora::reports {

// The list image of a row's amount: 4 positive, 3 negative, 6 zero.
int AmountImage(std::int64_t cents);
// The magnitude in the notation of `grouping`: "12.50" for both 1250 and -1250.
QString MagnitudeText(std::int64_t cents, std::uint32_t grouping);
// "- 12.50" for -1250, "12.50" for 1250, "0.00" (or "0,00") for 0.
QString TotalText(std::int64_t cents, std::uint32_t grouping);

}  // namespace quidora::reports
