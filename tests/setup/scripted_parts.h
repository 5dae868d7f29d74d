// Scripted stand-ins for what the launcher talks to: the registry, the docked device, the
// message boxes, the progress window and the application manager. Safe to call from the
// launcher's worker and connection threads.
#pragma once

#include <atomic>
#include <chrono>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "setup/desktop_registry.h"
#include "setup/manager_starter.h"
#include "setup/progress_window.h"
#include "setup/remote_device.h"
#include "setup/setup_messages.h"

namespace quidora::setup::testing {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

class ScriptedRegistry : public DesktopRegistry {
 public:
  std::optional<std::string> ReadLocalMachineDefault(std::string_view keyPath) override;

  std::optional<std::string> managerPath = "/opt/desktop/bin/quidappmgr";
  std::string keyAsked;
};

struct DeviceScript {
  std::optional<milliseconds> connectAfter = milliseconds(0);  // nothing: never docked
  bool initFails = false;
  bool versionFails = false;
  std::uint32_t major = 4;
  DeviceSystemInfo info{kArchitectureArm, 2577};
};

class ScriptedDevice : public RemoteDevice {
 public:
  explicit ScriptedDevice(DeviceScript script = {}) : script_(script) {}

  RapiResult CeRapiInit(std::stop_token stop) override;
  std::optional<DeviceVersion> CeGetVersionEx() override;
  DeviceSystemInfo CeGetSystemInfo() override;
  void CeRapiUninit() override;

  std::atomic<int> initCalls{0};
  std::atomic<int> uninitCalls{0};
  std::atomic<int> systemInfoCalls{0};
  std::atomic<bool> connected{false};

 private:
  DeviceScript script_;
};

// Every box must be one expected, in order; each is logged with the moment it came.
class ScriptedSetupMessages : public SetupMessages {
 public:
  ~ScriptedSetupMessages() override;
  void Expect(std::string_view text);
  void ShowError(std::string_view text) override;

  std::vector<std::string> Shown();
  std::optional<Clock::time_point> FirstShownAt();

  // Runs as each box comes, on the thread that shows it.
  std::function<void()> onShow;

 private:
  std::mutex guard_;
  std::deque<std::string> expected_;
  std::vector<std::string> shown_;
  std::optional<Clock::time_point> firstShownAt_;
};

// Logs what the install steps and the connection thread asked of the progress window.
class RecordingProgress : public ProgressWindow {
 public:
  void Open() override { Log("open"); }
  void Close() override { Log("close"); }
  void NotifyConnected() override { Log("connected"); }
  std::vector<std::string> Events();

 private:
  void Log(std::string event);
  std::mutex guard_;
  std::vector<std::string> events_;
};

class ScriptedManager : public ManagerStarter {
 public:
  bool StartAndWait(const std::string& program, const std::string& argument) override;

  milliseconds runsFor{0};
  bool starts = true;
  int calls = 0;
  std::string program;
  std::string argument;
  bool returned = false;
};

}  // namespace quidora::setup::testing
