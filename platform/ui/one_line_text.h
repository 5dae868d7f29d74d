// Keeps a one-line text field on one line: line breaks (a CR LF pair counts as one) and tabs
// that reach it, typed, pasted or set, become single spaces as they are entered. A memo with a
// line feed in it would otherwise end a line of the exported file in the middle of a field.
#pragma once

#include <QValidator>

class QLineEdit;

namespace quidora::ui {

class OneLineText : public QValidator {
  Q_OBJECT

 public:
  explicit OneLineText(QObject* parent = nullptr) : QValidator(parent) {}
  // Rewrites `text` in place, moving `cursor` with the characters it stood behind; every text
  // is acceptable once rewritten.
  State validate(QString& text, int& cursor) const override;

  // `text` with each line break and tab as one space.
  static QString Flatten(const QString& text);
};

// Gives every plain one-line text field under `root` (not the text line inside a date picker or
// a drop-down) that has no validator of its own a OneLineText.
void KeepTextFieldsOnOneLine(QWidget* root);

}  // namespace quidora::ui
