// quidsetup: installs the device program on a docked handheld through the desktop's
// application manager. It takes no command-line parameters and always exits with 0.
#include <QApplication>
#include <QFile>
#include <filesystem>
#include <iostream>
#include <string>

#include "platform/locations.h"
#include "setup/data_location.h"
#include "setup/described_device.h"
#include "setup/installed_files.h"
#include "setup/launcher.h"
#include "setup/layered_registry.h"
#include "setup/message_boxes.h"
#include "setup/process_manager_starter.h"
#include "setup/registry_file.h"
#include "setup/setup_pictures.h"
#include "setup/setup_strings.h"
#include "setup/single_instance.h"

int main(int argc, char** argv) {
  using namespace quidora::setup;
  quidora::platform::ForgetMissingRuntimeFolder();
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("quidsetup"));
  QApplication::setWindowIcon(SetupIcon());

  MessageBoxes messages;
  SingleInstance instance(SetupText(SetupString::Title), {},
                          QFile::decodeName(SetupDataFolder().c_str()));
  switch (instance.ClaimOrRaise()) {
    case SingleInstance::Claim::AnotherRunning:
      return 0;
    case SingleInstance::Claim::Failed: {
      const std::string text = std::string(SetupText(SetupString::NoPrivateFolder)) + " " +
                               instance.Problem().toStdString();
      std::cerr << "quidsetup: " << text << '\n';
      messages.ShowError(text);
      return 0;
    }
    case SingleInstance::Claim::First:
      break;
  }

  // Installed from a package, the manager and the description files sit in the package's own
  // folders; the user's registry and current directory still come first.
  const std::filesystem::path installed =
      InstalledDataFolder(QFile::encodeName(QApplication::applicationDirPath()).toStdString());
  RegistryFile userRegistry(RegistryFilePath());
  RegistryFile machineRegistry(MachineRegistryPath(installed));
  LayeredRegistry registry(userRegistry, machineRegistry);
  // The device file is read again and again while no device is docked: a problem with it is
  // told once.
  DescribedDevice device([told = false]() mutable {
    std::string problem;
    auto described = ReadDeviceDescription(DeviceFilePath(), &problem);
    if (!problem.empty() && !told) {
      std::cerr << "quidsetup: " << DeviceFilePath().string() << ": " << problem
                << "; no device is docked\n";
      told = true;
    }
    return described;
  });
  ProcessManagerStarter manager;
  Launcher launcher(LauncherParts{registry, device, messages, manager, [installed] {
                                    return DescriptionFolder(ProcessCurrentDirectory(), installed);
                                  }});
  QObject::connect(&instance, &SingleInstance::RaiseRequested, &launcher, &Launcher::Raise);
  return launcher.Run();
}
