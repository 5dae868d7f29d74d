// The launcher's pictures, drawn rather than shipped: the setup dialog's picture (bitmap 104) and
// the launcher's icon (icon 102).
#pragma once

#include <QIcon>
#include <QPixmap>
#include <QSize>

namespace quidora::setup {

// A handheld docked by its cable to a desktop computer, under the product's name.
QPixmap SetupPicture(QSize size);
// A small handheld with an arrow coming down into it.
QPixmap SetupIconPixmap(int side);
QIcon SetupIcon();

}  // namespace quidora::setup
