#include "dialog_driver.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

namespace quidora::testing {

DialogDriver::DialogDriver(ui::DeviceScreen& screen, int timeLimitMs) : screen_(screen) {
  connect(&screen_, &ui::DeviceScreen::DialogOpened, this, &DialogDriver::OnOpened);
  // Anything still running when the time is up is ended, so a test fails instead of hanging.
  timeLimit_ = new QTimer(this);
  timeLimit_->setSingleShot(true);
  connect(timeLimit_, &QTimer::timeout, this, [this] {
    const std::vector<ui::FullScreenDialog*> running = screen_.RunningDialogs();
    for (auto it = running.rbegin(); it != running.rend(); ++it) {
      ADD_FAILURE() << "dialog \"" << (*it)->Title().toStdString()
                    << "\" still running at the time limit";
      (*it)->End(kWatchdogEnd);
    }
  });
  timeLimit_->start(timeLimitMs);
}

DialogDriver::~DialogDriver() {
  for (std::size_t i = next_; i < handlers_.size(); ++i) {
    ADD_FAILURE() << "dialog handler " << i + 1 << " never ran: no dialog opened for it";
  }
}

DialogDriver& DialogDriver::Then(Handler handler) {
  handlers_.push_back(std::move(handler));
  return *this;
}

void DialogDriver::ReportWrongType(ui::FullScreenDialog& dialog) {
  ADD_FAILURE() << "dialog \"" << dialog.Title().toStdString() << "\" is not of the expected type";
  dialog.End(kWatchdogEnd);
}

void DialogDriver::OnOpened(ui::FullScreenDialog* dialog) {
  opened_ << dialog->Title();
  if (next_ >= handlers_.size()) {
    ADD_FAILURE() << "unexpected dialog \"" << dialog->Title().toStdString() << "\"";
    dialog->End(kWatchdogEnd);
    return;
  }
  Handler handler = handlers_[next_++];
  QPointer<ui::FullScreenDialog> guard(dialog);
  handler(*dialog);
  if (guard && guard->IsRunning() && !guard->IsEnded()) {
    ADD_FAILURE() << "the handler of \"" << guard->Title().toStdString()
                  << "\" returned with its dialog still open";
    guard->End(kWatchdogEnd);
  }
}

void Click(QWidget* root, int id) {
  auto* button = ui::FindControl<QAbstractButton>(root, id);
  ASSERT_NE(button, nullptr) << "no button " << id;
  ASSERT_TRUE(button->isVisible()) << "button " << id << " is hidden";
  ASSERT_TRUE(button->isEnabled()) << "button " << id << " is greyed";
  QTest::mouseClick(button, Qt::LeftButton);
}

void TypeText(QWidget* root, int id, const QString& text) {
  auto* edit = ui::FindControl<QLineEdit>(root, id);
  ASSERT_NE(edit, nullptr) << "no text field " << id;
  edit->setFocus();
  edit->selectAll();
  QTest::keyClick(edit, Qt::Key_Delete);
  QTest::keyClicks(edit, text);
}

}  // namespace quidora::testing
