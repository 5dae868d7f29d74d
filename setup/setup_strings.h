// The launcher's own string table. It shares nothing with the device program; its texts are
// 8-bit (UTF-8 here) and are used exactly as written.
#pragma once

#include <string_view>

namespace quidora::setup {

enum class SetupString : int {
  Title = 1,             // setup dialog title, single-instance key, caption of every box
  ClassName = 2,         // name of the launcher's window class
  ManagerKey = 3,        // registry key of the application manager (local-machine root)
  NoSyncSoftware = 6,    // the manager's key or its default value is missing
  NotPocketPc = 7,       // device major version below 3
  NoVersion = 8,         // the device's version cannot be read
  UnknownProcessor = 9,  // processor outside the description-file table
  CannotStart = 10,      // a thread cannot start, or the connection failed
  NoConnection = 11,     // no device connected within the wait
  NoPrivateFolder = 20,  // no folder of this user's own for the lock; the reason follows
};

constexpr std::string_view SetupText(SetupString id) {
  switch (id) {
    case SetupString::Title:
      return "Setup Quidora PPC";
    case SetupString::ClassName:
      return "Setup Quidora PPC";
    case SetupString::ManagerKey:
      return "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\CEAPPMGR.EXE";
    case SetupString::NoSyncSoftware:
      return "Can not find ActiveSync. Please reinstall ActiveSync and than run this installation "
             "again.";
    case SetupString::NotPocketPc:
      return "Error: Quidora is PocketPC application, and cannot be installed on others Windows "
             "CE systems.";
    case SetupString::NoVersion:
      return "Installation procedure failed to obtained OS version information on device.";
    case SetupString::UnknownProcessor:
      return "Device has unknown processor. Quidora is meant for mainstream PocketPC, PocketPC "
             "2002 or Pocket PC 2003.";
    case SetupString::CannotStart:
      return "Installation of Quidora for PocketPC cannot start on your Desktop PC. Please, "
             "contact VESKO. Thank you.";
    case SetupString::NoConnection:
      return "Installation cannot start, because there isn't connection between PDA and this "
             "computer established. Please, make sure that your device is connected with this "
             "computer, and then re-start Setup.";
    case SetupString::NoPrivateFolder:
      return "Setup cannot start, because it has no folder of your own to keep its lock in:";
  }
  return {};
}

// Texts of the two dialog templates.
inline constexpr std::string_view kInstallNowText = "Install Now...";
inline constexpr std::string_view kCancelText = "Cancel";
inline constexpr std::string_view kProgressTitle = "Connecting Windows CE device . . .";
inline constexpr std::string_view kPleaseWaitText = "Please, wait...";
inline constexpr std::string_view kConnectedText = "Connected.";

// Results of the setup dialog.
inline constexpr int kInstallResult = 1000;
inline constexpr int kStopResult = 1001;

}  // namespace quidora::setup
