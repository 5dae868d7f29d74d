// The thread that makes the connection to the device. The named mutex "VESKO" is its only signal
// to the install steps: held while the connection is made, released when it is made, abandoned
// (the thread ends still holding it) when it fails.
#pragma once

#include <mutex>
#include <optional>
#include <thread>

#include "setup/named_mutex.h"
#include "setup/progress_window.h"
#include "setup/remote_device.h"

namespace quidora::setup {

inline constexpr const char* kConnectionMutexName = "VESKO";

class ConnectionThread {
 public:
  ConnectionThread(RemoteDevice& device, NamedMutexTable& mutexes, ProgressWindow& progress);
  // A thread still waiting for a device is asked to stop and joined.
  ~ConnectionThread();
  ConnectionThread(const ConnectionThread&) = delete;
  ConnectionThread& operator=(const ConnectionThread&) = delete;

  // False when the thread cannot be started.
  bool Start();
  // The mutex the thread made; a closed handle until it has made it.
  MutexHandle Mutex();
  // 0 after a connection was made, 1 after it failed; nothing while the thread runs.
  std::optional<int> ExitCode();

 private:
  int Connect(const std::stop_token& stop);

  RemoteDevice& device_;
  NamedMutexTable& mutexes_;
  ProgressWindow& progress_;
  std::mutex guard_;
  MutexHandle mutex_;
  std::optional<int> exitCode_;
  std::jthread thread_;
};

}  // namespace quidora::setup
