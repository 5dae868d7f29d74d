#include "setup/launcher.h"

#include <QEventLoop>
#include <QGuiApplication>
#include <iostream>

namespace quidora::setup {

Launcher::Launcher(LauncherParts parts, QObject* parent)
    : QObject(parent), parts_(std::move(parts)) {
  // The launcher ends when its work ends, not when its dialog hides to make way for the
  // progress window.
  QGuiApplication::setQuitOnLastWindowClosed(false);
  sequence_ = std::make_unique<InstallSequence>(
      InstallParts{parts_.registry, parts_.device, parts_.messages, progress_, mutexes_,
                   parts_.currentDirectory, parts_.timings});
  dialog_ = std::make_unique<SetupDialog>([this] {
    decision_ = sequence_->Run();
    return decision_.result;
  });
  connect(dialog_.get(), &QDialog::finished, this, &Launcher::DialogEnded);
}

Launcher::~Launcher() {
  dialog_.reset();    // joins a worker still running the install steps
  sequence_.reset();  // stops and joins a connection thread still waiting for a device
}

void Launcher::Start() {
  dialog_->show();
  dialog_->raise();
  dialog_->activateWindow();
}

int Launcher::Run() {
  QEventLoop loop;
  connect(this, &Launcher::Finished, &loop, &QEventLoop::quit);
  Start();
  if (!finished_) loop.exec();
  return 0;
}

void Launcher::Raise() {
  if (dialog_->Working()) {
    if (ProgressDialog* progress = progress_.Dialog()) {
      progress->raise();
      progress->activateWindow();
    }
    return;
  }
  if (!dialog_->isVisible()) return;  // ended: the manager is running
  dialog_->showNormal();
  dialog_->raise();
  dialog_->activateWindow();
}

void Launcher::DialogEnded(int result) {
  // Whatever happened, the connection thread ends here: a thread still waiting for a device is
  // told to stop.
  sequence_.reset();
  if (result == kInstallResult) {
    managerStarted_ =
        parts_.manager.StartAndWait(decision_.managerPath, decision_.installationArgument);
    if (!managerStarted_) {
      std::cerr << "quidsetup: the application manager \"" << decision_.managerPath
                << "\" could not be started; nothing was installed.\n";
    }
  }
  finished_ = true;
  emit Finished(result);
}

}  // namespace quidora::setup
