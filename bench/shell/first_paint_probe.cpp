// Started afresh by shell_bench for every measured start: runs the device program's start-up on
// the home that QUIDORA_HOME names, paints the first frame and writes one line to standard
// output, "painted <rows shown> <boxes shown> <CPU ms so far>", then ends the run as the user's
// close does, through the exit sequence, and writes "peak <kB>", the largest resident memory
// of the whole run. (The parent's wait4 cannot tell that: a child started by vfork counts the
// parent's memory as its own until the exec.)
#include <sys/resource.h>

#include <QApplication>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>

#include "core/message_service.h"
#include "platform/locations.h"
#include "platform/ui/device_screen.h"
#include "shell/main_window.h"
#include "shell/money_list_view.h"
#include "shell/start_up.h"

namespace {

// A box would wait for a user who is not there: count it and answer at once.
class CountedMessages : public quidora::MessageService {
 public:
  quidora::MessageAnswer Show(std::u16string_view, quidora::MessageIcon,
                              quidora::MessageButtons) override {
    ++shown;
    return quidora::MessageAnswer::No;
  }
  void Beep() override {}
  void SetWaitCursor(bool) override {}
  int shown = 0;
};

double CpuMilliseconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  const auto ms = [](const timeval& t) {
    return static_cast<double>(t.tv_sec) * 1000.0 + static_cast<double>(t.tv_usec) / 1000.0;
  };
  return ms(usage.ru_utime) + ms(usage.ru_stime);
}

long PeakKilobytes() {
  std::ifstream status("/proc/self/status");
  std::string field;
  while (status >> field) {
    if (field == "VmHWM:") {
      long kilobytes = 0;
      status >> kilobytes;
      return kilobytes;
    }
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  const auto locations = quidora::platform::ResolveDeviceLocations();
  if (!locations) return 2;
  CountedMessages messages;
  quidora::StartOptions options;
  options.locations = *locations;
  options.screenSize = {240, 320};
  options.messages = &messages;
  options.handleTerminationSignals = false;
  auto session = quidora::InitProgram(options);
  if (session == nullptr) return 3;
  (void)session->Screen().grab();
  std::printf("painted %d %d %.1f\n", session->Window().List().RowCount(), messages.shown,
              CpuMilliseconds());
  std::fflush(stdout);

  session->Screen().close();
  for (int i = 0; i < 500 && session->Screen().isVisible(); ++i) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  const bool closed = !session->Screen().isVisible();
  session.reset();
  std::printf("peak %ld\n", PeakKilobytes());
  return closed ? 0 : 4;
}
