// quidsetup: installs the device program on a docked handheld through the desktop's
// application manager. It takes no command-line parameters and always exits with 0.
#include <QApplication>

#include "setup/data_location.h"
#include "setup/described_device.h"
#include "setup/launcher.h"
#include "setup/message_boxes.h"
#include "setup/process_manager_starter.h"
#include "setup/registry_file.h"
#include "setup/setup_pictures.h"
#include "setup/setup_strings.h"
#include "setup/single_instance.h"

int main(int argc, char** argv) {
  using namespace quidora::setup;
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("quidsetup"));
  QApplication::setWindowIcon(SetupIcon());

  MessageBoxes messages;
  SingleInstance instance(SetupText(SetupString::Title));
  switch (instance.ClaimOrRaise()) {
    case SingleInstance::Claim::AnotherRunning:
      return 0;
    case SingleInstance::Claim::Failed:
      messages.ShowError(SetupText(SetupString::CannotStart));
      return 0;
    case SingleInstance::Claim::First:
      break;
  }

  RegistryFile registry(RegistryFilePath());
  DescribedDevice device([] { return ReadDeviceDescription(DeviceFilePath()); });
  ProcessManagerStarter manager;
  Launcher launcher(LauncherParts{registry, device, messages, manager});
  QObject::connect(&instance, &SingleInstance::RaiseRequested, &launcher, &Launcher::Raise);
  return launcher.Run();
}
