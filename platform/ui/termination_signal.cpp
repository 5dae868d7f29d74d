#include "platform/ui/termination_signal.h"

#include <QSocketNotifier>

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>
#include <cerrno>
#include <csignal>

namespace quidora::ui {
namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

// A signal handler can only reach the program through state like this: the write end of the
// socket pair of the one installed TerminationSignal.
volatile sig_atomic_t writeEnd = -1;
int readEnd = -1;

extern "C" void OnTerminationSignal(int number) {
  const int saved = errno;
  const char byte = static_cast<char>(number);
  if (writeEnd >= 0) {
    [[maybe_unused]] const ssize_t written = write(writeEnd, &byte, 1);
  }
  errno = saved;
}

}  // namespace

TerminationSignal::TerminationSignal(QObject* parent) : QObject(parent) {
  if (writeEnd >= 0) return;  // another instance already has the signals
  int pair[2];
  if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, pair) != 0) return;
  writeEnd = pair[0];
  readEnd = pair[1];

  struct sigaction action {};
  action.sa_handler = OnTerminationSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int number : kSignals) sigaction(number, &action, nullptr);

  notifier_ = new QSocketNotifier(readEnd, QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, &TerminationSignal::Drain);
}

TerminationSignal::~TerminationSignal() {
  if (notifier_ == nullptr) return;
  struct sigaction action {};
  action.sa_handler = SIG_DFL;
  sigemptyset(&action.sa_mask);
  for (int number : kSignals) sigaction(number, &action, nullptr);
  const int w = writeEnd;
  writeEnd = -1;
  close(w);
  close(readEnd);
  readEnd = -1;
}

void TerminationSignal::Drain() {
  char bytes[16];
  ssize_t count;
  while ((count = read(readEnd, bytes, sizeof bytes)) > 0) {
    for (ssize_t i = 0; i < count; ++i) emit Received(static_cast<unsigned char>(bytes[i]));
  }
}

}  // namespace quidora::ui
