// The device program: starts one run and turns the event loop until the close request.
#include <QApplication>

#include "platform/locations.h"
#include "platform/ui/device_screen.h"
#include "platform/ui/images.h"
#include "platform/ui/qt_message_service.h"
#include "resources/strings/string_table.h"
#include "shell/start_up.h"

int main(int argc, char** argv) {
  quidora::platform::ForgetMissingRuntimeFolder();
  QApplication app(argc, argv);
  QApplication::setApplicationName("quidora");
  QApplication::setDesktopFileName("quidora");
  QApplication::setWindowIcon(quidora::ui::ProgramIcon());

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
  return QApplication::exec();
}
