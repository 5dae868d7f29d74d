// The device program: starts one run and turns the event loop until the close request. The
// zoom of the emulated screen is Qt's scale factor, fixed for a process: a new zoom is shown by
// ending the run as Exit does and starting the program again in place, with the undo list
// handed over. With a dialog open that waits until the last dialog ends, so that nothing typed
// in it is lost.
#include <unistd.h>

#include <QApplication>
#include <QScreen>
#include <cstring>
#include <iostream>
#include <optional>

#include "platform/locations.h"
#include "platform/ui/desktop_zoom.h"
#include "platform/ui/device_screen.h"
#include "platform/ui/images.h"
#include "platform/ui/qt_message_service.h"
#include "quidora_version.h"
#include "resources/strings/string_table.h"
#include "shell/command_states.h"
#include "program/program.h"
#include "shell/exit_backup.h"
#include "shell/start_up.h"
#include "shell/undo_handover.h"

namespace {

using quidora::MoneyList;

// Runs the program once; `restart` says whether it ended to come back at another zoom,
// `nextZoom` which, and `undo` then holds the undo list to hand over. A list handed over by the
// previous copy comes in through `undo` too.
int RunOnce(int argc, char** argv, int zoom, bool zoomKnown, bool& restart, int& nextZoom,
            MoneyList& undo) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("quidora");
  QApplication::setDesktopFileName("quidora");
  QApplication::setWindowIcon(quidora::ui::ProgramIcon());

  const QString configPath = quidora::ui::DesktopConfigPath();
  if (!zoomKnown) {
    // First start: the largest zoom that leaves the desktop room around the window.
    const QScreen* desktop = QGuiApplication::primaryScreen();
    const int fitting =
        desktop == nullptr
            ? 1
            : quidora::ui::FittingZoom(desktop->availableGeometry().height(),
                                       quidora::ui::DeviceScreen::ScreenSizeFromEnvironment().height());
    // Remembered when the file takes it; the next copy is handed the zoom either way, so a
    // file that cannot be written or read costs this one restart, never a loop.
    quidora::ui::RememberZoom(configPath, fitting);
    if (fitting != zoom) {
      nextZoom = fitting;
      restart = true;
      return 0;
    }
  }

  const auto locations = quidora::platform::ResolveDeviceLocations();
  if (!locations) {
    quidora::ui::QtMessageService messages;
    messages.Show(quidora::LoadString(quidora::StringId::CannotContinue),
                  quidora::MessageIcon::Stop);
    return 0;
  }

  quidora::StartOptions options;
  options.locations = *locations;
  auto session = quidora::InitProgram(options);
  if (session == nullptr) return 0;

  quidora::ui::DeviceScreen& screen = session->Screen();
  quidora::Program& program = session->GetProgram();
  if (!undo.empty()) {
    program.undo = std::move(undo);
    quidora::UpdateUndoCommands(program);
  }
  bool zoomWaiting = false;
  const auto startAgain = [&] {
    zoomWaiting = false;
    undo = MoneyList();
    for (const quidora::MoneyRecord& record : program.undo) undo.Append(record);
    restart = true;
    screen.PostCloseRequest();
    // Runs after the close request: a refused one leaves the program running as it was.
    QMetaObject::invokeMethod(
        &screen, [&] { restart = restart && screen.IsClosing(); }, Qt::QueuedConnection);
  };
  // The last dialog has ended and the main window has done what follows it.
  QObject::connect(&screen, &quidora::ui::DeviceScreen::MainViewActivated, &screen, [&] {
    if (zoomWaiting && screen.CurrentDialog() == nullptr) {
      QMetaObject::invokeMethod(&screen, startAgain, Qt::QueuedConnection);
    }
  });
  // The zoom the keys step from: a change waiting for a dialog counts as made.
  int target = zoom;
  quidora::ui::InstallZoomKeys(
      screen, [&target] { return target; },
      [&, configPath](int wanted) {
        // The new zoom is remembered even when it cannot be shown now: the next start has it.
        // One that cannot be remembered is still shown, for this run only.
        quidora::ui::RememberZoom(configPath, wanted);
        target = wanted;
        nextZoom = wanted;
        zoomWaiting = target != zoom && screen.CurrentDialog() != nullptr;
        if (target != zoom && !zoomWaiting) startAgain();
      });
  const int code = QApplication::exec();
  // The window has closed; the backup that may be due runs now, while this run still holds
  // the data folder, and the process ends when it is done.
  QCoreApplication::processEvents();
  quidora::BackUpAtExit(locations->dataFolder, program.storeChangedThisRun, program.clock,
                        session->Messages(), std::cerr);
  return code;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    std::cout << "quidora " << quidora::kVersionText << '\n';
    return std::cout.flush() ? 0 : 1;
  }
  quidora::platform::ForgetMissingRuntimeFolder();
  const QByteArray desktopFactor = qgetenv("QT_SCALE_FACTOR");
  const bool hadDesktopFactor = qEnvironmentVariableIsSet("QT_SCALE_FACTOR");
  // A copy started for a new zoom shows the zoom it was handed, whatever the file says.
  std::optional<int> zoom = quidora::ui::TakeHandedOverZoom();
  if (!zoom) zoom = quidora::ui::PinnedZoom();
  if (!zoom) zoom = quidora::ui::ReadRememberedZoom(quidora::ui::DesktopConfigPath());
  const bool zoomKnown = zoom.has_value();
  qputenv("QT_SCALE_FACTOR", quidora::ui::ScaleFactorText(desktopFactor, zoom.value_or(1)));

  bool restart = false;
  int nextZoom = zoom.value_or(1);
  MoneyList undo = quidora::TakeHandedOverUndoList();
  const int code = RunOnce(argc, argv, zoom.value_or(1), zoomKnown, restart, nextZoom, undo);
  if (!restart) return code;
  quidora::HandOverUndoList(undo);
  quidora::ui::HandOverZoom(nextZoom);

  // The next copy reads the new zoom; it must see the desktop's own factor, not ours.
  if (hadDesktopFactor) {
    qputenv("QT_SCALE_FACTOR", desktopFactor);
  } else {
    qunsetenv("QT_SCALE_FACTOR");
  }
  execv("/proc/self/exe", argv);
  return code;  // exec failed: the new zoom shows at the next start
}
