#include <gtest/gtest.h>

#include <QColor>
#include <QImage>

#include "platform/ui/images.h"

namespace quidora {
namespace {

using namespace ui;

bool IsRed(QColor c) {
  return c.alpha() == 255 && c.red() > 180 && c.green() < 60 && c.blue() < 60;
}
bool IsGreen(QColor c) {
  return c.alpha() == 255 && c.green() > 110 && c.red() < 60 && c.blue() < 60;
}
int OpaquePixels(const QImage& image) {
  int count = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) count += qAlpha(image.pixel(x, y)) > 128;
  }
  return count;
}
// The mean height of the opaque pixels: which way a triangle points.
double MeanRowOfWidestRow(const QImage& image) {
  int widestRow = 0, widest = 0;
  for (int y = 0; y < image.height(); ++y) {
    int width = 0;
    for (int x = 0; x < image.width(); ++x) width += qAlpha(image.pixel(x, y)) > 128;
    if (width > widest) {
      widest = width;
      widestRow = y;
    }
  }
  return widestRow;
}

TEST(ImagesTest, StripsHoldTheirImagesSideBySide) {
  EXPECT_EQ(ToolbarBitmap().size(), QSize(48, 16));
  EXPECT_EQ(ListBitmap().size(), QSize(112, 16));
  EXPECT_EQ(StripImage(ListBitmap(), 6).size(), QSize(16, 16));
  EXPECT_TRUE(StripImage(ListBitmap(), 7).isNull());
  EXPECT_TRUE(StripImage(ListBitmap(), -1).isNull());
  for (int i = 0; i < kToolbarImageCount; ++i) {
    EXPECT_GT(OpaquePixels(StripImage(ToolbarBitmap(), i)), 30) << "toolbar image " << i;
  }
}

TEST(ImagesTest, ListImagesLookAsDescribed) {
  const QImage strip = ListBitmap();
  const QImage expense = StripImage(strip, kExpenseImage);
  const QImage income = StripImage(strip, kIncomeImage);
  EXPECT_TRUE(IsRed(expense.pixelColor(8, 7)));
  EXPECT_TRUE(IsGreen(income.pixelColor(8, 9)));
  // Downward triangle: widest at the top; upward: widest at the bottom.
  EXPECT_LT(MeanRowOfWidestRow(expense), 8);
  EXPECT_GT(MeanRowOfWidestRow(income), 8);
  EXPECT_EQ(OpaquePixels(StripImage(strip, kNoOrderImage)), 0);
  EXPECT_EQ(OpaquePixels(StripImage(strip, kBlankImage)), 0);
  EXPECT_EQ(qAlpha(expense.pixel(0, 0)), 0) << "the background must be transparent";
  EXPECT_TRUE(IsGreen(StripImage(strip, kDoubleBarImage).pixelColor(8, 5)));
  EXPECT_TRUE(IsGreen(StripImage(strip, kDoubleBarImage).pixelColor(8, 10)));

  const QImage up = StripImage(strip, kUpArrowImage);
  const QImage down = StripImage(strip, kDownArrowImage);
  EXPECT_GT(OpaquePixels(up), 15);
  EXPECT_EQ(up.mirrored(false, true).pixel(8, 3), down.pixel(8, 3));
  EXPECT_NE(up.pixel(8, 3), down.pixel(8, 3));
}

TEST(ImagesTest, ProgramIconScalesAndIsNotEmpty) {
  for (int size : {16, 32, 48}) {
    const QImage icon = ProgramIconImage(size);
    EXPECT_EQ(icon.size(), QSize(size, size));
    EXPECT_GT(OpaquePixels(icon), size * size / 3);
  }
  EXPECT_FALSE(ProgramIcon().isNull());
}

}  // namespace
}  // namespace quidora
