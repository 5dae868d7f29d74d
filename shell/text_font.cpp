#include "shell/text_font.h"

#include <QPaintDevice>
#include <algorithm>

namespace quidora {

QFont CreateTextFont(const QPaintDevice& device, const QString& faceName, int pointSize, int weight,
                     bool italic) {
  return CreateTextFont(device.logicalDpiY(), faceName, pointSize, weight, italic);
}

QFont CreateTextFont(int pixelsPerInchY, const QString& faceName, int pointSize, int weight,
                     bool italic) {
  QFont font(faceName);
  font.setPixelSize(std::max(1, pointSize * pixelsPerInchY / 72));
  font.setWeight(static_cast<QFont::Weight>(std::clamp(weight, 1, 1000)));
  font.setItalic(italic);
  font.setUnderline(false);
  font.setStrikeOut(false);
  return font;
}

}  // namespace quidora
