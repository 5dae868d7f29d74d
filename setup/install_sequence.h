// The work of "Install Now...": find the application manager, connect to the device on a
// connection thread, show the progress window meanwhile, and choose the installation description
// file that fits the device. Runs on one thread (not the connection thread) and blocks it, with
// real waits, for up to about 2.4 seconds.
#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>

#include "setup/connection_thread.h"
#include "setup/desktop_registry.h"
#include "setup/named_mutex.h"
#include "setup/progress_window.h"
#include "setup/remote_device.h"
#include "setup/setup_messages.h"
#include "setup/setup_strings.h"

namespace quidora::setup {

struct InstallTimings {
  // The connection thread gets two waits to take its mutex, then a limited wait to connect.
  std::chrono::milliseconds beforeProgress{200};
  std::chrono::milliseconds afterProgress{200};
  std::chrono::milliseconds connectionWait{2000};
};

struct InstallParts {
  DesktopRegistry& registry;
  RemoteDevice& device;
  SetupMessages& messages;
  ProgressWindow& progress;
  NamedMutexTable& mutexes;
  // The process's current directory; nothing when it cannot be read.
  std::function<std::optional<std::string>()> currentDirectory;
  InstallTimings timings{};
};

struct InstallDecision {
  int result = kStopResult;  // kInstallResult: start `managerPath` with `installationArgument`
  std::string managerPath;
  std::string installationArgument;
};

std::optional<std::string> ProcessCurrentDirectory();

// The quoted path of a description file in `folder`, quotes included. Held at whatever length
// the folder needs, so that a deep folder is never cut short.
std::string InstallationArgument(std::string_view folder, std::string_view descriptionFile);

class InstallSequence {
 public:
  explicit InstallSequence(InstallParts parts);

  // Runs the work once; every refusal has shown its message by the time this returns.
  InstallDecision Run();
  // How the connection thread ended; nothing while it still waits for a device.
  std::optional<int> ConnectionExitCode() { return connection_.ExitCode(); }

 private:
  InstallDecision Refuse(SetupString message);

  InstallParts parts_;
  ConnectionThread connection_;
};

}  // namespace quidora::setup
