#include "setup/connection_thread.h"

#include <system_error>

namespace quidora::setup {

ConnectionThread::ConnectionThread(RemoteDevice& device, NamedMutexTable& mutexes,
                                   ProgressWindow& progress)
    : device_(device), mutexes_(mutexes), progress_(progress) {}

ConnectionThread::~ConnectionThread() {
  if (thread_.joinable()) {
    thread_.request_stop();
    thread_.join();
  }
}

bool ConnectionThread::Start() {
  try {
    thread_ = std::jthread([this](std::stop_token stop) {
      int code = Connect(stop);
      std::lock_guard lock(guard_);
      exitCode_ = code;
    });
  } catch (const std::system_error&) {
    return false;
  }
  return true;
}

MutexHandle ConnectionThread::Mutex() {
  std::lock_guard lock(guard_);
  return mutex_;
}

std::optional<int> ConnectionThread::ExitCode() {
  std::lock_guard lock(guard_);
  return exitCode_;
}

int ConnectionThread::Connect(const std::stop_token& stop) {
  MutexHandle mutex = mutexes_.Create(kConnectionMutexName);
  {
    std::lock_guard lock(guard_);
    mutex_ = mutex;
  }
  mutex.Wait(std::nullopt);
  if (device_.CeRapiInit(stop) < 0) {
    device_.CeRapiUninit();
    // The mutex stays held: the thread's end abandons it, which the waiting side reads as a
    // failed connection.
    return 1;
  }
  mutex.Release();
  progress_.NotifyConnected();
  return 0;
}

}  // namespace quidora::setup
