// The progress dialog (template 106), "Connecting Windows CE device . . .", and the window
// object the install steps drive it through.
#pragma once

#include <QDialog>
#include <QPointer>
#include <chrono>

#include "setup/progress_window.h"

class QLabel;

namespace quidora::setup {

class ProgressDialog : public QDialog {
  Q_OBJECT

 public:
  explicit ProgressDialog(
      std::chrono::milliseconds connectedPause = std::chrono::milliseconds(1500),
      QWidget* parent = nullptr);

  // Shows "Connected." and ends after the pause.
  void ShowConnected();
  QString WaitText() const;

 private:
  QLabel* text_ = nullptr;
  std::chrono::milliseconds connectedPause_;
  bool connected_ = false;
};

// The progress window on the GUI thread. Calls from other threads are carried over to it, in
// order, so a notice posted before the window is shown arrives after it has been.
class ProgressWindowOnGui : public QObject, public ProgressWindow {
  Q_OBJECT

 public:
  explicit ProgressWindowOnGui(QObject* parent = nullptr);
  ~ProgressWindowOnGui() override;

  void Open() override;
  void Close() override;
  void NotifyConnected() override;

  // The dialog while it is shown; GUI thread only.
  ProgressDialog* Dialog() const { return dialog_; }

 signals:
  void Opened(quidora::setup::ProgressDialog* dialog);
  void Ended();

 private:
  enum class State { NotShown, Shown, Ended };
  void End();

  State state_ = State::NotShown;
  bool connectedPending_ = false;
  QPointer<ProgressDialog> dialog_;
};

}  // namespace quidora::setup
