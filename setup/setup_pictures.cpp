#include "setup/setup_pictures.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace quidora::setup {
namespace {

const QColor kInk(24, 34, 52);
const QColor kScreenTop(214, 235, 250);
const QColor kScreenBottom(168, 205, 236);
const QColor kAccent(0, 142, 96);

// The handheld: dark body, light screen with a title strip, a few rows and a menu bar.
void DrawHandheld(QPainter& p, const QRectF& body) {
  const qreal r = body.width() * 0.12;
  QLinearGradient shell(body.topLeft(), body.topRight());
  shell.setColorAt(0, QColor(70, 78, 92));
  shell.setColorAt(0.5, QColor(104, 113, 128));
  shell.setColorAt(1, QColor(58, 64, 78));
  p.setPen(QPen(kInk, 1.5));
  p.setBrush(shell);
  p.drawRoundedRect(body, r, r);

  const qreal margin = body.width() * 0.1;
  QRectF screen(body.left() + margin, body.top() + body.height() * 0.1, body.width() - 2 * margin,
                body.height() * 0.62);
  QLinearGradient glass(screen.topLeft(), screen.bottomLeft());
  glass.setColorAt(0, kScreenTop);
  glass.setColorAt(1, kScreenBottom);
  p.setPen(QPen(QColor(30, 36, 48), 1));
  p.setBrush(glass);
  p.drawRect(screen);

  const qreal strip = screen.height() * 0.1;
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(22, 70, 140));
  p.drawRect(QRectF(screen.left(), screen.top(), screen.width(), strip));
  p.setBrush(QColor(22, 70, 140, 200));
  p.drawRect(QRectF(screen.left(), screen.bottom() - strip, screen.width(), strip));

  // Rows of a money list: a date block, a memo line and an amount, alternating shades.
  const qreal rowHeight = screen.height() * 0.1;
  for (int row = 0; row < 6; ++row) {
    QRectF line(screen.left() + 3, screen.top() + strip + 4 + row * rowHeight, screen.width() - 6,
                rowHeight - 3);
    p.setBrush(row % 2 ? QColor(255, 255, 255, 150) : QColor(255, 255, 255, 90));
    p.drawRect(line);
    p.setBrush(QColor(50, 60, 80, 170));
    p.drawRect(QRectF(line.left() + 2, line.center().y() - 1.5, line.width() * 0.25, 3));
    p.setBrush(row % 3 == 1 ? kAccent : QColor(170, 40, 40));
    p.drawRect(QRectF(line.right() - line.width() * 0.28, line.center().y() - 1.5,
                      line.width() * 0.25, 3));
  }

  // Navigation pad and four application buttons below the screen.
  const qreal padY = screen.bottom() + (body.bottom() - screen.bottom()) * 0.5;
  const qreal pad = body.width() * 0.2;
  QRadialGradient knob(QPointF(body.center().x(), padY), pad);
  knob.setColorAt(0, QColor(150, 158, 172));
  knob.setColorAt(1, QColor(52, 58, 70));
  p.setPen(QPen(kInk, 1));
  p.setBrush(knob);
  p.drawEllipse(QPointF(body.center().x(), padY), pad * 0.55, pad * 0.55);
  p.setBrush(QColor(40, 46, 58));
  const qreal button = body.width() * 0.09;
  for (qreal dx : {-0.36, -0.24, 0.24, 0.36}) {
    p.drawEllipse(QPointF(body.center().x() + dx * body.width(), padY), button, button);
  }
}

// The desktop computer: monitor on a stand, keyboard in front.
void DrawDesktop(QPainter& p, const QRectF& monitor) {
  p.setPen(QPen(kInk, 1.5));
  QLinearGradient frame(monitor.topLeft(), monitor.bottomLeft());
  frame.setColorAt(0, QColor(226, 229, 234));
  frame.setColorAt(1, QColor(176, 182, 192));
  p.setBrush(frame);
  p.drawRoundedRect(monitor, 6, 6);

  QRectF screen = monitor.adjusted(monitor.width() * 0.06, monitor.height() * 0.08,
                                   -monitor.width() * 0.06, -monitor.height() * 0.14);
  QLinearGradient glass(screen.topLeft(), screen.bottomRight());
  glass.setColorAt(0, QColor(32, 92, 168));
  glass.setColorAt(1, QColor(16, 46, 104));
  p.setBrush(glass);
  p.drawRect(screen);

  // A setup window on the monitor with a progress bar.
  QRectF window(screen.left() + screen.width() * 0.18, screen.top() + screen.height() * 0.25,
                screen.width() * 0.64, screen.height() * 0.5);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(236, 236, 236));
  p.drawRect(window);
  p.setBrush(QColor(22, 70, 140));
  p.drawRect(QRectF(window.left(), window.top(), window.width(), window.height() * 0.2));
  QRectF bar(window.left() + window.width() * 0.1, window.top() + window.height() * 0.55,
             window.width() * 0.8, window.height() * 0.18);
  p.setPen(QPen(QColor(120, 120, 120), 1));
  p.setBrush(Qt::white);
  p.drawRect(bar);
  p.setPen(Qt::NoPen);
  p.setBrush(kAccent);
  p.drawRect(bar.adjusted(1, 1, -bar.width() * 0.4, -1));

  p.setPen(QPen(kInk, 1.5));
  p.setBrush(QColor(170, 176, 186));
  const qreal neckWidth = monitor.width() * 0.16;
  QRectF neck(monitor.center().x() - neckWidth / 2, monitor.bottom(), neckWidth,
              monitor.height() * 0.14);
  p.drawRect(neck);
  QRectF foot(monitor.center().x() - monitor.width() * 0.28, neck.bottom(), monitor.width() * 0.56,
              monitor.height() * 0.06);
  p.drawRoundedRect(foot, 3, 3);

  QRectF keyboard(monitor.left() + monitor.width() * 0.04, foot.bottom() + monitor.height() * 0.08,
                  monitor.width() * 0.92, monitor.height() * 0.14);
  p.setBrush(QColor(214, 218, 224));
  p.drawRoundedRect(keyboard, 4, 4);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(150, 156, 166));
  const int columns = 14;
  const qreal key = keyboard.width() / (columns + 1);
  for (int rowIndex = 0; rowIndex < 3; ++rowIndex) {
    for (int c = 0; c < columns; ++c) {
      p.drawRect(QRectF(keyboard.left() + key * 0.6 + c * key,
                        keyboard.top() + 3 + rowIndex * (keyboard.height() - 6) / 3, key * 0.7,
                        (keyboard.height() - 6) / 3 - 2));
    }
  }
}

}  // namespace

QPixmap SetupPicture(QSize size) {
  QPixmap picture(size);
  QPainter p(&picture);
  p.setRenderHint(QPainter::Antialiasing);
  const qreal w = size.width();
  const qreal h = size.height();

  QLinearGradient sky(0, 0, 0, h);
  sky.setColorAt(0, QColor(10, 38, 84));
  sky.setColorAt(0.65, QColor(34, 104, 170));
  sky.setColorAt(1, QColor(196, 222, 240));
  p.fillRect(picture.rect(), sky);

  // The desk the two machines stand on.
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(120, 84, 52));
  p.drawRect(QRectF(0, h * 0.86, w, h * 0.14));
  p.setBrush(QColor(150, 108, 70));
  p.drawRect(QRectF(0, h * 0.86, w, h * 0.025));

  QRectF cradle(w * 0.1, h * 0.78, w * 0.2, h * 0.08);
  QRectF handheld(w * 0.13, h * 0.3, w * 0.14, h * 0.52);
  QRectF monitor(w * 0.5, h * 0.3, w * 0.38, h * 0.34);

  // The cable runs from the cradle behind the desk edge up to the back of the monitor.
  QPainterPath cable(QPointF(cradle.right() - 4, cradle.center().y()));
  cable.cubicTo(QPointF(w * 0.42, h * 0.95), QPointF(w * 0.46, h * 0.7),
                QPointF(monitor.left() + 6, monitor.bottom() - 10));
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(QColor(30, 30, 30), 4, Qt::SolidLine, Qt::RoundCap));
  p.drawPath(cable);
  p.setPen(QPen(QColor(90, 90, 90), 1.5, Qt::SolidLine, Qt::RoundCap));
  p.drawPath(cable);

  p.setPen(QPen(kInk, 1.5));
  QLinearGradient base(cradle.topLeft(), cradle.bottomLeft());
  base.setColorAt(0, QColor(90, 96, 108));
  base.setColorAt(1, QColor(40, 44, 54));
  p.setBrush(base);
  p.drawRoundedRect(cradle, 5, 5);
  DrawHandheld(p, handheld);
  DrawDesktop(p, monitor);

  // Link arrows between the machines.
  p.setPen(QPen(QColor(255, 255, 255, 220), 2.5, Qt::SolidLine, Qt::RoundCap));
  const qreal arrowY = h * 0.44;
  const qreal from = handheld.right() + w * 0.04;
  const qreal to = monitor.left() - w * 0.04;
  for (int i = 0; i < 3; ++i) {
    const qreal x = from + (to - from) * (0.15 + 0.3 * i);
    p.drawLine(QPointF(x, arrowY - 6), QPointF(x + 6, arrowY));
    p.drawLine(QPointF(x + 6, arrowY), QPointF(x, arrowY + 6));
  }

  QFont nameFont(QStringLiteral("Liberation Serif"));
  nameFont.setPixelSize(static_cast<int>(h * 0.15));
  nameFont.setBold(true);
  nameFont.setItalic(true);
  p.setFont(nameFont);
  const QRectF titleArea(w * 0.05, h * 0.02, w * 0.9, h * 0.18);
  p.setPen(QColor(0, 0, 0, 110));
  p.drawText(titleArea.translated(2, 2), Qt::AlignCenter, QStringLiteral("Quidora"));
  p.setPen(Qt::white);
  p.drawText(titleArea, Qt::AlignCenter, QStringLiteral("Quidora"));

  QFont taglineFont(QStringLiteral("Liberation Sans"));
  taglineFont.setPixelSize(static_cast<int>(h * 0.052));
  p.setFont(taglineFont);
  p.setPen(QColor(214, 232, 250));
  p.drawText(QRectF(w * 0.05, h * 0.19, w * 0.9, h * 0.07), Qt::AlignCenter,
             QStringLiteral("Personal finance for your Pocket PC"));
  return picture;
}

QPixmap SetupIconPixmap(int side) {
  QPixmap icon(side, side);
  icon.fill(Qt::transparent);
  QPainter p(&icon);
  p.setRenderHint(QPainter::Antialiasing);
  const qreal s = side;
  QRectF body(s * 0.28, s * 0.2, s * 0.44, s * 0.76);
  p.setPen(QPen(kInk, s / 32.0));
  p.setBrush(QColor(84, 92, 108));
  p.drawRoundedRect(body, s * 0.06, s * 0.06);
  QRectF screen = body.adjusted(s * 0.05, s * 0.06, -s * 0.05, -s * 0.26);
  p.setBrush(kScreenTop);
  p.drawRect(screen);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(150, 158, 172));
  p.drawEllipse(QPointF(body.center().x(), body.bottom() - s * 0.11), s * 0.06, s * 0.06);

  // The arrow: installation coming down onto the device.
  QPainterPath arrow;
  const qreal cx = s * 0.5;
  arrow.moveTo(cx - s * 0.1, s * 0.02);
  arrow.lineTo(cx + s * 0.1, s * 0.02);
  arrow.lineTo(cx + s * 0.1, s * 0.3);
  arrow.lineTo(cx + s * 0.22, s * 0.3);
  arrow.lineTo(cx, s * 0.56);
  arrow.lineTo(cx - s * 0.22, s * 0.3);
  arrow.lineTo(cx - s * 0.1, s * 0.3);
  arrow.closeSubpath();
  p.setPen(QPen(QColor(0, 70, 46), s / 32.0));
  p.setBrush(kAccent);
  p.drawPath(arrow);
  return icon;
}

QIcon SetupIcon() {
  QIcon icon;
  for (int side : {16, 32, 48}) icon.addPixmap(SetupIconPixmap(side));
  return icon;
}

}  // namespace quidora::setup
