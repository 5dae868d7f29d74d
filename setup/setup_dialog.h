// The setup dialog (template 105): the picture, "Cancel" and "Install Now...". It ends with 1000
// (install) or 1001 (stop).
#pragma once

#include <QDialog>
#include <functional>
#include <thread>

namespace quidora::setup {

class SetupDialog : public QDialog {
  Q_OBJECT

 public:
  // The work of "Install Now...". It runs on a worker thread, so that the windows it opens keep
  // painting while it waits, and returns the result the dialog ends with.
  using InstallWork = std::function<int()>;

  explicit SetupDialog(InstallWork work, QWidget* parent = nullptr);
  ~SetupDialog() override;

  bool Working() const { return working_; }

 signals:
  void InstallStarted();

 public slots:
  // Cancel, Escape and the close request all end the dialog with 1001.
  void reject() override;

 private:
  void InstallNow();

  InstallWork work_;
  bool working_ = false;
  std::jthread worker_;
};

}  // namespace quidora::setup
