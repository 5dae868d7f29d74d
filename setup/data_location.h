// Where the launcher's desktop stand-ins keep their files: $QUIDSETUP_HOME when set, otherwise
// $XDG_DATA_HOME/quidsetup (by default ~/.local/share/quidsetup).
#pragma once

#include <filesystem>

namespace quidora::setup {

std::filesystem::path SetupDataFolder();
std::filesystem::path DeviceFilePath();    // the described device, device.ini
std::filesystem::path RegistryFilePath();  // the desktop registry, registry.reg

}  // namespace quidora::setup
