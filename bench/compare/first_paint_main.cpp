// quidora_first_paint: the device program's start-up as one process, for the side-by-side
// comparison: the same start as `quidora` (settings, databases, main window with the first
// account's records sorted as the account view shows them), then the whole screen painted once
// offscreen, then the end without the exit sequence, so that the store is only read.
//
//   QUIDORA_HOME=DIR quidora_first_paint      prints the number of rows in the account view
#include <QApplication>
#include <cstdio>

#include "platform/locations.h"
#include "platform/ui/device_screen.h"
#include "shell/main_window.h"
#include "shell/money_list_view.h"
#include "shell/start_up.h"

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
  quidora::StartOutcome outcome = quidora::StartOutcome::Failed;
  auto session = quidora::InitProgram(options, &outcome);
  if (session == nullptr) {
    std::fprintf(stderr, "quidora_first_paint: the program did not start\n");
    return 1;
  }
  const QPixmap frame = session->Screen().grab();
  std::printf("%d rows, %dx%d painted\n", session->Window().List().RowCount(), frame.width(),
              frame.height());
  return frame.isNull() ? 1 : 0;
}
