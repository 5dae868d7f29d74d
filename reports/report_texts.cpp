#include "reports/report_texts.h"

#include <cstdlib>

#include "core/amount_text.h"
#include "platform/ui/images.h"
#include "platform/ui/text.h"

namespace quidora::reports {

int AmountImage(std::int64_t cents) {
  if (cents > 0) return ui::kIncomeImage;
  if (cents < 0) return ui::kExpenseImage;
  return ui::kDoubleBarImage;
}

QString MagnitudeText(std::int64_t cents, std::uint32_t grouping) {
  return ui::ToQString(FormatAmount(std::abs(cents), grouping).view());
}

QString TotalText(std::int64_t cents, std::uint32_t grouping) {
  const QString magnitude = MagnitudeText(cents, grouping);
  return cents < 0 ? QStringLiteral("- ") + magnitude : magnitude;
}

}  // namespace quidora::reports
