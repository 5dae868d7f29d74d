#include "dialogs/heading.h"

#include <QFont>
#include <QLabel>
#include <QPainter>
#include <QPalette>
#include <algorithm>

namespace quidora::dialogs {

Heading::Heading(QWidget* parent, const QString& text, const QColor& color, QPoint at, QLine rule)
    : QWidget(parent), color_(color) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
  text_ = new QLabel(text, this);
  QFont font(QStringLiteral("Times New Roman"));
  // 10 points on the handheld's 96-dpi screen: -(10 * 96) / 72 = 13 pixels.
  font.setPixelSize(13);
  font.setWeight(QFont::ExtraBold);
  text_->setFont(font);
  QPalette palette = text_->palette();
  palette.setColor(QPalette::WindowText, color);
  text_->setPalette(palette);
  text_->adjustSize();
  setAccessibleName(text);
  text_->setAccessibleName(text);

  QRect area(at, text_->size());
  if (!rule.isNull()) {
    const int left = std::min(rule.x1(), rule.x2());
    const int right = std::max(rule.x1(), rule.x2());
    // The end point is not drawn: a rule from 6 to 218 covers 6 to 217.
    rule_ = right > left ? QRect(rule.x1() < rule.x2() ? left : left + 1, rule.y1(), right - left, 1)
                         : QRect();
    area = area.united(rule_);
  }
  setGeometry(area);
  text_->move(at - area.topLeft());
}

QString Heading::Text() const {
  return text_->text();
}

void Heading::paintEvent(QPaintEvent* /*event*/) {
  if (rule_.isEmpty()) return;
  QPainter painter(this);
  painter.fillRect(rule_.translated(-geometry().topLeft()), color_);
}

}  // namespace quidora::dialogs
