// quidora_first_paint: the device program's start-up as one process, for the side-by-side
// comparison: the same start as `quidora` (settings, databases, main window with the first
// account's records sorted as the account view shows them), then the whole screen painted once
// offscreen, then the end without the exit sequence, so that the store is only read.
//
//   QUIDORA_HOME=DIR quidora_first_paint      prints the number of rows in the account view
//
// A message box would wait for a user who is not there: any box shown fails the run.
#include <QApplication>
#include <cstdio>

#include "core/message_service.h"

#include "platform/locations.h"
#include "platform/ui/device_screen.h"
#include "shell/main_window.h"
#include "shell/money_list_view.h"
#include "shell/start_up.h"

namespace {

class CountedMessages final : public quidora::MessageService {
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

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const auto locations = quidora::platform::ResolveDeviceLocations();
  if (!locations) {
    std::fprintf(stderr, "quidora_first_paint: no device home\n");
    return 1;
  }
  quidora::StartOptions options;
  options.locations = *locations;
  options.handleTerminationSignals = false;
  CountedMessages messages;
  options.messages = &messages;
  quidora::StartOutcome outcome = quidora::StartOutcome::Failed;
  auto session = quidora::InitProgram(options, &outcome);
  if (session == nullptr) {
    std::fprintf(stderr, "quidora_first_paint: the program did not start\n");
    return 1;
  }
  const QPixmap frame = session->Screen().grab();
  std::printf("%d rows, %dx%d painted\n", session->Window().List().RowCount(), frame.width(),
              frame.height());
  if (messages.shown > 0)
    std::fprintf(stderr, "quidora_first_paint: %d boxes shown\n", messages.shown);
  return frame.isNull() || messages.shown > 0 ? 1 : 0;
}
