#include "setup/installed_files.h"

#include <array>
#include <string_view>
#include <system_error>

namespace quidora::setup {
namespace {

constexpr std::array<std::string_view, 4> kDescriptionFiles{"PPC2003_ARM.ini", "MIPS.ini",
                                                            "ARM.ini", "SH.ini"};

bool HoldsADescription(const std::filesystem::path& folder) {
  for (std::string_view name : kDescriptionFiles) {
    std::error_code error;
    if (std::filesystem::is_regular_file(folder / name, error)) return true;
  }
  return false;
}

}  // namespace

std::filesystem::path InstalledDataFolder(const std::filesystem::path& programFolder) {
  return (programFolder / QUIDORA_DATA_FROM_BIN).lexically_normal();
}

std::filesystem::path MachineRegistryPath(const std::filesystem::path& dataFolder) {
  return dataFolder / "desktop-registry.reg";
}

std::optional<std::string> DescriptionFolder(const std::optional<std::string>& current,
                                             const std::filesystem::path& dataFolder) {
  if (!current) return std::nullopt;
  if (HoldsADescription(*current) || !HoldsADescription(dataFolder)) return current;
  return dataFolder.string();
}

}  // namespace quidora::setup
