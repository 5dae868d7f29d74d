#include "platform/ui/images.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <functional>

namespace quidora::ui {
namespace {

const QColor kExpenseRed(220, 0, 0);
const QColor kIncomeGreen(0, 150, 0);
const QColor kArrowGrey(70, 70, 70);

QImage BlankStrip(int count) {
  QImage strip(kImageSize * count, kImageSize, QImage::Format_ARGB32_Premultiplied);
  strip.fill(Qt::transparent);
  return strip;
}

// Paints image `index` of `strip` with `draw`, in a 16 by 16 coordinate space.
void PaintAt(QImage& strip, int index, const std::function<void(QPainter&)>& draw) {
  QPainter p(&strip);
  p.setRenderHint(QPainter::Antialiasing);
  p.translate(index * kImageSize, 0);
  p.setClipRect(0, 0, kImageSize, kImageSize);
  draw(p);
}

void Triangle(QPainter& p, const QPolygonF& corners, const QColor& fill) {
  p.setPen(QPen(fill.darker(140), 1));
  p.setBrush(fill);
  p.drawPolygon(corners);
}

void Arrow(QPainter& p, bool up) {
  p.setPen(QPen(kArrowGrey, 2, Qt::SolidLine, Qt::FlatCap));
  p.drawLine(QPointF(8, up ? 14 : 2), QPointF(8, up ? 5 : 11));
  p.setPen(Qt::NoPen);
  p.setBrush(kArrowGrey);
  if (up) {
    p.drawPolygon(QPolygonF({QPointF(3.5, 7.5), QPointF(8, 2), QPointF(12.5, 7.5)}));
  } else {
    p.drawPolygon(QPolygonF({QPointF(3.5, 8.5), QPointF(8, 14), QPointF(12.5, 8.5)}));
  }
}

// A luggage tag: the categories that records are labelled with.
void CategoryTag(QPainter& p) {
  QPainterPath tag;
  tag.moveTo(1.5, 8);
  tag.lineTo(6, 3.5);
  tag.lineTo(14.5, 3.5);
  tag.lineTo(14.5, 12.5);
  tag.lineTo(6, 12.5);
  tag.closeSubpath();
  p.setPen(QPen(QColor(120, 80, 0), 1));
  p.setBrush(QColor(250, 205, 60));
  p.drawPath(tag);
  p.setBrush(Qt::white);
  p.drawEllipse(QPointF(5.5, 8), 1.3, 1.3);
  p.setPen(QPen(QColor(120, 80, 0), 1));
  p.drawLine(QPointF(8.5, 6.5), QPointF(12.5, 6.5));
  p.drawLine(QPointF(8.5, 9.5), QPointF(12.5, 9.5));
}

// A sheet with a small bar chart: the report of category totals.
void ReportSheet(QPainter& p) {
  p.setPen(QPen(QColor(60, 60, 60), 1));
  p.setBrush(Qt::white);
  p.drawRect(QRectF(2.5, 1.5, 11, 13));
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(30, 90, 200));
  p.drawRect(QRectF(4, 9, 2, 4));
  p.setBrush(kExpenseRed);
  p.drawRect(QRectF(7, 6, 2, 7));
  p.setBrush(kIncomeGreen);
  p.drawRect(QRectF(10, 4, 2, 9));
}

// A curved arrow turning back to the left: bring the deleted record back.
void UndoArrow(QPainter& p) {
  const QColor blue(20, 70, 190);
  QPainterPath curve;
  curve.moveTo(4.5, 6.5);
  curve.lineTo(9.5, 6.5);
  curve.cubicTo(15, 6.5, 15, 13.5, 9.5, 13.5);
  curve.lineTo(6, 13.5);
  p.setPen(QPen(blue, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(Qt::NoBrush);
  p.drawPath(curve);
  p.setPen(Qt::NoPen);
  p.setBrush(blue);
  p.drawPolygon(QPolygonF({QPointF(1, 6.5), QPointF(6, 2.5), QPointF(6, 10.5)}));
}

}  // namespace

QImage ToolbarBitmap() {
  QImage strip = BlankStrip(kToolbarImageCount);
  PaintAt(strip, kEditCategoriesImage, CategoryTag);
  PaintAt(strip, kTransactionsReportImage, ReportSheet);
  PaintAt(strip, kUndoDeletingImage, UndoArrow);
  return strip;
}

QImage ListBitmap() {
  QImage strip = BlankStrip(kListImageCount);
  PaintAt(strip, kUpArrowImage, [](QPainter& p) { Arrow(p, true); });
  PaintAt(strip, kDownArrowImage, [](QPainter& p) { Arrow(p, false); });
  PaintAt(strip, kExpenseImage, [](QPainter& p) {
    Triangle(p, QPolygonF({QPointF(2.5, 4.5), QPointF(13.5, 4.5), QPointF(8, 12.5)}), kExpenseRed);
  });
  PaintAt(strip, kIncomeImage, [](QPainter& p) {
    Triangle(p, QPolygonF({QPointF(2.5, 11.5), QPointF(13.5, 11.5), QPointF(8, 3.5)}),
             kIncomeGreen);
  });
  PaintAt(strip, kDoubleBarImage, [](QPainter& p) {
    p.setPen(Qt::NoPen);
    p.setBrush(kIncomeGreen);
    p.drawRect(QRectF(3, 4.5, 10, 2.5));
    p.drawRect(QRectF(3, 9, 10, 2.5));
  });
  return strip;
}

QImage StripImage(const QImage& strip, int index) {
  if (index < 0 || (index + 1) * kImageSize > strip.width()) return {};
  return strip.copy(index * kImageSize, 0, kImageSize, kImageSize);
}

QIcon ListIcon(int index) {
  return QIcon(QPixmap::fromImage(StripImage(ListBitmap(), index)));
}

QImage ProgramIconImage(int size) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / 32.0, size / 32.0);

  // A green note behind a gold coin.
  p.setPen(QPen(QColor(0, 80, 30), 1));
  QLinearGradient note(0, 4, 0, 22);
  note.setColorAt(0, QColor(90, 190, 110));
  note.setColorAt(1, QColor(30, 130, 60));
  p.setBrush(note);
  p.drawRoundedRect(QRectF(1.5, 4.5, 25, 15), 2, 2);
  p.setPen(QPen(QColor(220, 245, 225), 1));
  p.setBrush(Qt::NoBrush);
  p.drawEllipse(QPointF(14, 12), 4, 4);

  // A stack of three gold coins in front.
  for (int i = 0; i < 3; ++i) {
    const QRectF face(11.5, 22.5 - i * 4.5, 19, 8);
    QLinearGradient coin(face.topLeft(), face.bottomRight());
    coin.setColorAt(0, QColor(255, 228, 100));
    coin.setColorAt(1, QColor(205, 145, 15));
    p.setPen(QPen(QColor(130, 85, 0), 1));
    p.setBrush(QColor(190, 130, 10));
    p.drawRoundedRect(QRectF(face.left(), face.center().y(), face.width(), 3.5), 1.5, 1.5);
    p.setBrush(coin);
    p.drawEllipse(face);
  }
  p.setPen(QPen(QColor(150, 100, 0), 1));
  p.setBrush(Qt::NoBrush);
  p.drawEllipse(QRectF(15, 15, 12, 4));
  return image;
}

QIcon ProgramIcon() {
  QIcon icon;
  for (int size : {16, 24, 32, 48, 64, 128})
    icon.addPixmap(QPixmap::fromImage(ProgramIconImage(size)));
  return icon;
}

}  // namespace quidora::ui
