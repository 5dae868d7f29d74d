#include "cli/removed_on_signal.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <csignal>
#include <cstring>

namespace quidora::cli {

namespace {

// A signal handler can reach nothing but static storage, so the one file being written lives
// here while it is guarded; the handler only reads it.
struct Guarded {
  volatile std::sig_atomic_t armed = 0;
  int folder = -1;
  char name[64] = {};
  struct sigaction previous[2] = {};
};
Guarded& State() {
  static Guarded state;
  return state;
}

constexpr int kSignals[2] = {SIGINT, SIGTERM};

extern "C" void RemoveAndEnd(int signal) {
  Guarded& state = State();
  if (state.armed != 0) ::unlinkat(state.folder, state.name, 0);
  state.armed = 0;
  struct sigaction fallback {};
  fallback.sa_handler = SIG_DFL;
  sigemptyset(&fallback.sa_mask);
  ::sigaction(signal, &fallback, nullptr);
  ::raise(signal);  // delivered once this handler returns, with the default action
}

sigset_t Blocked() {
  sigset_t blocked;
  sigemptyset(&blocked);
  for (int signal : kSignals) sigaddset(&blocked, signal);
  return blocked;
}

}  // namespace

RemovedOnSignal::RemovedOnSignal() {
  Guarded& state = State();
  state.armed = 0;
  struct sigaction action {};
  action.sa_handler = RemoveAndEnd;
  sigemptyset(&action.sa_mask);
  for (int signal : kSignals) sigaddset(&action.sa_mask, signal);
  for (int i = 0; i < 2; ++i) ::sigaction(kSignals[i], &action, &state.previous[i]);
}

int RemovedOnSignal::Create(int folder, const std::function<int(std::string&)>& create) {
  Guarded& state = State();
  const sigset_t blocked = Blocked();
  sigset_t before;
  ::sigprocmask(SIG_BLOCK, &blocked, &before);
  std::string name;
  const int fd = create(name);
  if (fd >= 0 && name.size() < sizeof state.name) {
    state.folder = folder;
    std::memcpy(state.name, name.c_str(), name.size() + 1);
    state.armed = 1;
  }
  ::sigprocmask(SIG_SETMASK, &before, nullptr);
  return fd;
}

RemovedOnSignal::~RemovedOnSignal() {
  Guarded& state = State();
  const sigset_t blocked = Blocked();
  sigset_t before;
  ::sigprocmask(SIG_BLOCK, &blocked, &before);
  state.armed = 0;
  for (int i = 0; i < 2; ++i) ::sigaction(kSignals[i], &state.previous[i], nullptr);
  ::sigprocmask(SIG_SETMASK, &before, nullptr);
}

}  // namespace quidora::cli
