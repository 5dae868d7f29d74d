#include "platform/ui/one_line_text.h"

#include <QAbstractSpinBox>
#include <QComboBox>
#include <QLineEdit>

namespace quidora::ui {
namespace {

bool BreaksLine(QChar c) {
  switch (c.unicode()) {
    case u'\n':
    case u'\r':
    case u'\t':
    case u'\v':
    case u'\f':
    case 0x0085:  // next line
    case 0x2028:  // line separator
    case 0x2029:  // paragraph separator
      return true;
    default:
      return false;
  }
}

// Flattens `text`; `cursor`, when given, keeps its place among the characters that stay.
QString FlattenAt(const QString& text, int* cursor) {
  QString flat;
  flat.reserve(text.size());
  const int before = cursor != nullptr ? *cursor : 0;
  int movedBack = 0;
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text.at(i);
    if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n') {
      flat.append(u' ');
      if (i + 1 < before) ++movedBack;
      ++i;
      continue;
    }
    flat.append(BreaksLine(c) ? QChar(u' ') : c);
  }
  if (cursor != nullptr) *cursor = before - movedBack;
  return flat;
}

}  // namespace

QValidator::State OneLineText::validate(QString& text, int& cursor) const {
  bool needed = false;
  for (QChar c : text) needed = needed || BreaksLine(c);
  if (needed) text = FlattenAt(text, &cursor);
  return Acceptable;
}

QString OneLineText::Flatten(const QString& text) {
  return FlattenAt(text, nullptr);
}

void KeepTextFieldsOnOneLine(QWidget* root) {
  for (QLineEdit* field : root->findChildren<QLineEdit*>()) {
    QWidget* owner = field->parentWidget();
    if (qobject_cast<QAbstractSpinBox*>(owner) || qobject_cast<QComboBox*>(owner)) continue;
    if (field->validator() == nullptr) field->setValidator(new OneLineText(field));
  }
}

}  // namespace quidora::ui
