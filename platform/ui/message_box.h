// A message box drawn as the handheld draws one: a frameless window placed inside the device
// screen, with the caption on a strip of its own, a stop or exclamation icon, the text wrapped
// to the screen's width and OK or Yes/No buttons (control identifiers 1 OK, 6 Yes, 7 No).
#pragma once

#include <QDialog>
#include <QRect>
#include <QString>

#include "core/message_service.h"

class QLabel;

namespace quidora::ui {

class MessageBox : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kOkId = 1;
  static constexpr int kYesId = 6;
  static constexpr int kNoId = 7;

  MessageBox(const QString& caption, const QString& text, MessageIcon icon, MessageButtons buttons,
             QWidget* parent = nullptr);

  // Sizes the box to fit `screen` (global coordinates) and centres it there.
  void PlaceInside(const QRect& screen);

  QString Text() const;
  MessageIcon Icon() const { return icon_; }
  MessageButtons Buttons() const { return buttons_; }
  // The answer once the box was closed (Escape answers OK or No).
  MessageAnswer Answer() const { return answer_; }

  // Closes the box with `answer`, as a tap on its button would.
  void Choose(MessageAnswer answer);

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  QLabel* text_ = nullptr;
  MessageIcon icon_;
  MessageButtons buttons_;
  MessageAnswer answer_;
};

}  // namespace quidora::ui
