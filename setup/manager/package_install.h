// Installs a described package into the emulated device.
#pragma once

#include <QString>

namespace quidora::appmgr {

// Exit codes of the application manager.
enum class InstallStatus : int {
  Installed = 0,
  BadArguments = 1,  // not exactly one argument, or not a path
  DescriptionUnreadable = 2,
  DescriptionInvalid = 3,
  FileMissing = 4,  // a program file named in the description does not exist
  WriteFailed = 5,  // the files cannot be written into the device
};

struct InstallReport {
  InstallStatus status = InstallStatus::Installed;
  QString detail;
};

// The device's root, as the device program finds it: $QUIDORA_HOME when set and not empty (a
// relative one taken from the working folder), otherwise $XDG_DATA_HOME/quidora. Empty when
// there is none (no HOME).
QString DeviceRoot();

// The description file's path from the one argument the manager was given, its quotes taken
// off; empty when the argument is not a path.
QString DescriptionPathFromArgument(const QString& argument);

// Copies every file of the description into its destination below `deviceRoot`. Nothing is
// copied when a file is missing; each file arrives whole or not at all, and never through a
// link below `deviceRoot`. The description itself must be a regular file of at most 64 KiB.
InstallReport InstallPackage(const QString& descriptionPath, const QString& deviceRoot);

}  // namespace quidora::appmgr
