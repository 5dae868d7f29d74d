// Dialog units to pixels. The templates are laid out in dialog units of an 8-point face, whose
// base units come to 1.5 pixels across and 1.625 pixels down; converting edges rather than sizes
// keeps neighbouring controls from drifting apart through rounding.
#pragma once

#include <QRect>
#include <QSize>
#include <cmath>

namespace quidora::setup {

inline int DialogX(int units) {
  return static_cast<int>(std::lround(units * 1.5));
}
inline int DialogY(int units) {
  return static_cast<int>(std::lround(units * 1.625));
}

inline QRect DialogRect(int x, int y, int width, int height) {
  return QRect(QPoint(DialogX(x), DialogY(y)),
               QPoint(DialogX(x + width) - 1, DialogY(y + height) - 1));
}

inline QSize DialogSize(int width, int height) {
  return QSize(DialogX(width), DialogY(height));
}

}  // namespace quidora::setup
