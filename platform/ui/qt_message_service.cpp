#include "platform/ui/qt_message_service.h"

#include <QApplication>
#include <QEventLoop>
#include <QGuiApplication>
#include <QScreen>

#include "platform/ui/device_screen.h"
#include "platform/ui/message_box.h"
#include "platform/ui/text.h"

namespace quidora::ui {
namespace {

// Where the box goes: inside the device screen, or while there is none on screen (start-up
// failures come before the window), where the screen would be, in the desktop's centre.
QRect BoxArea(const DeviceScreen* screen) {
  if (screen != nullptr && screen->isVisible()) {
    return QRect(screen->mapToGlobal(QPoint(0, 0)), screen->size());
  }
  QRect desktop(QPoint(0, 0), DeviceScreen::kDefaultScreenSize);
  if (QScreen* primary = QGuiApplication::primaryScreen()) {
    desktop.moveCenter(primary->availableGeometry().center());
  }
  return desktop;
}

}  // namespace

QtMessageService::QtMessageService(DeviceScreen* screen, QObject* parent)
    : QObject(parent), screen_(screen) {}

QtMessageService::~QtMessageService() {
  SetWaitCursor(false);
}

MessageAnswer QtMessageService::Show(std::u16string_view text, MessageIcon icon,
                                     MessageButtons buttons) {
  SetWaitCursor(false);
  if (screen_ != nullptr && screen_->IsWindingDown()) {
    return buttons == MessageButtons::YesNo ? MessageAnswer::No : MessageAnswer::Ok;
  }
  MessageBox box(LoadQString(StringId::Title), ToQString(text), icon, buttons,
                 screen_ != nullptr && screen_->isVisible() ? screen_.data() : nullptr);
  box.PlaceInside(BoxArea(screen_));
  if (screen_ != nullptr) screen_->TrackMessageBox(&box);

  bool finished = false;
  QEventLoop loop;
  connect(&box, &QDialog::finished, &loop, [&finished, &loop] {
    finished = true;
    loop.quit();
  });
  box.show();
  box.raise();
  box.activateWindow();
  emit BoxShown(&box);
  if (!finished) loop.exec(QEventLoop::DialogExec);
  return box.Answer();
}

void QtMessageService::Beep() {
  QApplication::beep();
}

void QtMessageService::SetWaitCursor(bool shown) {
  if (shown == waitCursor_) return;
  waitCursor_ = shown;
  if (shown) {
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
  } else {
    QGuiApplication::restoreOverrideCursor();
  }
}

}  // namespace quidora::ui
