// A heading the dialog draws itself: a text in the dialog headings' font ("Times New Roman",
// 10 points, weight 800) and colour, and, when one is given, a one-pixel rule in the same
// colour. The rule runs from its start point up to its end point, the end point itself left
// out, as the device's line call draws it. The control lies beneath the controls made after it
// and lets taps through.
#pragma once

#include <QColor>
#include <QLine>
#include <QPoint>
#include <QWidget>

class QLabel;

namespace quidora::dialogs {

class Heading : public QWidget {
  Q_OBJECT

 public:
  // `rule` is a horizontal line in the parent's coordinates; a null line draws none.
  Heading(QWidget* parent, const QString& text, const QColor& color, QPoint at, QLine rule = {});

  QString Text() const;
  // The pixels of the rule in the parent's coordinates; empty without a rule.
  QRect RuleRect() const { return rule_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QLabel* text_;
  QColor color_;
  QRect rule_;
};

}  // namespace quidora::dialogs
