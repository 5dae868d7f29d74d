// The launcher from the setup dialog to the application manager: the dialog runs, "Install
// Now..." does its work, and with result 1000 the manager is started and waited for.
#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "setup/desktop_registry.h"
#include "setup/install_sequence.h"
#include "setup/manager_starter.h"
#include "setup/named_mutex.h"
#include "setup/progress_dialog.h"
#include "setup/remote_device.h"
#include "setup/setup_dialog.h"
#include "setup/setup_messages.h"

namespace quidora::setup {

struct LauncherParts {
  DesktopRegistry& registry;
  RemoteDevice& device;
  SetupMessages& messages;
  ManagerStarter& manager;
  std::function<std::optional<std::string>()> currentDirectory = ProcessCurrentDirectory;
  InstallTimings timings{};
};

class Launcher : public QObject {
  Q_OBJECT

 public:
  explicit Launcher(LauncherParts parts, QObject* parent = nullptr);
  ~Launcher() override;

  // Shows the setup dialog and returns; Finished follows once everything has ended.
  void Start();
  // Start and wait for Finished. The launcher's exit code: 0 in every case.
  int Run();

  SetupDialog& Dialog() { return *dialog_; }
  ProgressWindowOnGui& Progress() { return progress_; }
  // What "Install Now..." decided; meaningful once the dialog has ended.
  const InstallDecision& Decision() const { return decision_; }
  // False when result 1000 came but the manager could not be started.
  bool ManagerStarted() const { return managerStarted_; }

 public slots:
  // A second start asks this one to come forward.
  void Raise();

 signals:
  void Finished(int dialogResult);

 private:
  void DialogEnded(int result);

  LauncherParts parts_;
  NamedMutexTable mutexes_;
  ProgressWindowOnGui progress_;
  std::unique_ptr<InstallSequence> sequence_;
  InstallDecision decision_;
  bool managerStarted_ = false;
  bool finished_ = false;
  std::unique_ptr<SetupDialog> dialog_;
};

}  // namespace quidora::setup
