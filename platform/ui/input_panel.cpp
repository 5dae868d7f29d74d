#include "platform/ui/input_panel.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPalette>
#include <QPushButton>
#include <QVBoxLayout>

namespace quidora::ui {
namespace {

const QString kBackspace = QStringLiteral("Backspace");
const QString kShift = QStringLiteral("Shift");
const QString kSpace = QStringLiteral("Space");

struct KeyPlace {
  QString face;
  int stretch;  // in half key widths
};

// Four rows of 24 half-key widths each.
std::vector<std::vector<KeyPlace>> Rows() {
  auto keys = [](const char* faces) {
    std::vector<KeyPlace> row;
    for (const char* c = faces; *c != '\0'; ++c) row.push_back({QString(QLatin1Char(*c)), 2});
    return row;
  };
  std::vector<std::vector<KeyPlace>> rows;
  rows.push_back(keys("1234567890"));
  rows.back().push_back({kBackspace, 4});
  rows.push_back(keys("qwertyuiop,."));
  rows.push_back({{QString(), 3}});
  for (const KeyPlace& k : keys("asdfghjkl")) rows.back().push_back(k);
  rows.back().push_back({QString(), 3});
  rows.push_back({{kShift, 3}});
  for (const KeyPlace& k : keys("zxcvbnm")) rows.back().push_back(k);
  rows.back().push_back({kSpace, 7});
  return rows;
}

int KeyCode(const QString& face) {
  if (face == kBackspace) return Qt::Key_Backspace;
  if (face == kSpace) return Qt::Key_Space;
  const QChar c = face.at(0);
  if (c.isLetter()) return Qt::Key_A + (c.toLower().unicode() - u'a');
  if (c.isDigit()) return Qt::Key_0 + (c.unicode() - u'0');
  if (c == QLatin1Char('.')) return Qt::Key_Period;
  if (c == QLatin1Char(',')) return Qt::Key_Comma;
  return Qt::Key_unknown;
}

QString Label(const QString& face) {
  if (face == kBackspace) return QStringLiteral("\u2190");
  if (face == kShift) return QStringLiteral("\u21E7");
  if (face == kSpace) return QStringLiteral("space");
  return face;
}

}  // namespace

InputPanel::InputPanel(QWidget* parent) : QWidget(parent) {
  setFixedHeight(kHeight);
  setAutoFillBackground(true);
  QPalette panel = palette();
  panel.setColor(QPalette::Window, QColor(200, 205, 215));
  setPalette(panel);
  setAccessibleName(tr("Input Panel"));

  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(1, 1, 1, 1);
  column->setSpacing(0);
  for (const std::vector<KeyPlace>& places : Rows()) {
    auto* row = new QHBoxLayout;
    row->setSpacing(0);
    for (const KeyPlace& place : places) {
      if (place.face.isEmpty()) {
        row->addStretch(place.stretch);
        continue;
      }
      auto* key = new QPushButton(Label(place.face), this);
      key->setObjectName(QStringLiteral("key ") + place.face);
      key->setProperty("face", place.face);
      key->setAccessibleName(place.face);
      // Tapping a key must leave the focus (and the caret) in the field being typed into.
      key->setFocusPolicy(Qt::NoFocus);
      key->setMinimumSize(8, 8);
      key->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Expanding);
      key->setAutoRepeat(place.face == kBackspace);
      key->setCheckable(place.face == kShift);
      key->setStyleSheet(QStringLiteral("QPushButton { padding: 0px; margin: 0px; }"));
      const QString face = place.face;
      connect(key, &QPushButton::clicked, this, [this, face] { Type(face); });
      keys_.push_back(key);
      row->addWidget(key, place.stretch);
    }
    column->addLayout(row);
  }
  setVisible(false);
}

void InputPanel::SetRaised(bool raised) {
  if (raised == raised_) return;
  raised_ = raised;
  setVisible(raised);
  if (raised) raise();
  emit RaisedChanged(raised);
}

QPushButton* InputPanel::Key(const QString& face) const {
  for (QPushButton* key : keys_) {
    if (key->property("face").toString() == face) return key;
  }
  return nullptr;
}

void InputPanel::SetShifted(bool shifted) {
  shifted_ = shifted;
  for (QPushButton* key : keys_) {
    const QString face = key->property("face").toString();
    if (face.size() == 1 && face.at(0).isLetter()) key->setText(shifted ? face.toUpper() : face);
  }
  if (QPushButton* shift = Key(kShift)) shift->setChecked(shifted);
}

void InputPanel::Type(const QString& face) {
  if (face == kShift) {
    SetShifted(!shifted_);
    return;
  }
  QWidget* target = QApplication::focusWidget();
  if (target == nullptr) return;
  QString text;
  Qt::KeyboardModifiers modifiers = Qt::NoModifier;
  if (face == kSpace) {
    text = QStringLiteral(" ");
  } else if (face != kBackspace) {
    text = face;
    if (shifted_ && face.at(0).isLetter()) {
      text = face.toUpper();
      modifiers = Qt::ShiftModifier;
    }
  }
  const int code = KeyCode(face);
  QKeyEvent press(QEvent::KeyPress, code, modifiers, text);
  QApplication::sendEvent(target, &press);
  QKeyEvent release(QEvent::KeyRelease, code, modifiers, text);
  QApplication::sendEvent(target, &release);
  // Shift holds for one letter, as on the device's panel.
  if (shifted_ && !text.isEmpty() && text.at(0).isLetter()) SetShifted(false);
}

}  // namespace quidora::ui
