// The program's bitmaps, drawn rather than stored: toolbar bitmap 106 (3 images), list bitmap 128
// (7 images), each image 16 by 16 with a transparent background, side by side in one strip; and
// icon 101, the program's icon.
#pragma once

#include <QIcon>
#include <QImage>
#include <QPixmap>

namespace quidora::ui {

inline constexpr int kImageSize = 16;

enum ToolbarImage {
  kEditCategoriesImage = 0,
  kTransactionsReportImage = 1,
  kUndoDeletingImage = 2
};
inline constexpr int kToolbarImageCount = 3;

enum ListImage {
  kUpArrowImage = 0,    // ascending order
  kDownArrowImage = 1,  // descending order
  kNoOrderImage = 2,    // blank
  kExpenseImage = 3,    // red downward triangle
  kIncomeImage = 4,     // green upward triangle
  kBlankImage = 5,
  kDoubleBarImage = 6  // green double bar
};
inline constexpr int kListImageCount = 7;

QImage ToolbarBitmap();  // 48 by 16
QImage ListBitmap();     // 112 by 16
// Image `index` of a strip of kImageSize-wide images.
QImage StripImage(const QImage& strip, int index);
QIcon ListIcon(int index);

// Icon 101 at `size` pixels square, and as an icon with the usual sizes.
QImage ProgramIconImage(int size);
QIcon ProgramIcon();

}  // namespace quidora::ui
