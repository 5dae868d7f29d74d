#include "setup/data_location.h"

#include <cstdlib>

namespace quidora::setup {
namespace {

std::filesystem::path FromEnvironment(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr || *value == '\0') return {};
  return value;
}

}  // namespace

std::filesystem::path SetupDataFolder() {
  if (std::filesystem::path home = FromEnvironment("QUIDSETUP_HOME"); !home.empty()) return home;
  std::filesystem::path data = FromEnvironment("XDG_DATA_HOME");
  if (data.empty() || !data.is_absolute()) {
    data = FromEnvironment("HOME") / ".local" / "share";
  }
  return data / "quidsetup";
}

std::filesystem::path DeviceFilePath() {
  return SetupDataFolder() / "device.ini";
}

std::filesystem::path RegistryFilePath() {
  return SetupDataFolder() / "registry.reg";
}

}  // namespace quidora::setup
