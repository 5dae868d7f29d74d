// The message service of the running program: message boxes inside the device screen (centred
// on the desktop while there is no screen yet, as for start-up failures), caption "Quidora",
// the wait cursor as an override cursor that is removed before any box, and the system beep.
#pragma once

#include <QObject>
#include <QPointer>

#include "core/message_service.h"

namespace quidora::ui {

class DeviceScreen;
class MessageBox;

class QtMessageService : public QObject, public MessageService {
  Q_OBJECT

 public:
  explicit QtMessageService(DeviceScreen* screen = nullptr, QObject* parent = nullptr);
  ~QtMessageService() override;

  void SetScreen(DeviceScreen* screen) { screen_ = screen; }

  MessageAnswer Show(std::u16string_view text, MessageIcon icon,
                     MessageButtons buttons = MessageButtons::Ok) override;
  void Beep() override;
  void SetWaitCursor(bool shown) override;
  bool IsWaitCursorShown() const { return waitCursor_; }

 signals:
  // The box is on the screen and its loop is about to start; a handler may answer it.
  void BoxShown(MessageBox* box);

 private:
  QPointer<DeviceScreen> screen_;
  bool waitCursor_ = false;
};

}  // namespace quidora::ui
