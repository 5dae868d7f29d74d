#include "platform/leftovers.h"

#include <sys/stat.h>
#include <unistd.h>

#include <ctime>
#include <string>
#include <string_view>

namespace quidora::platform {

namespace {

constexpr std::string_view kExportPrefix = ".quidora-export-";
constexpr std::string_view kExportSuffix = ".tmp";

bool IsExportTemporaryName(const std::string& name) {
  return name.size() > kExportPrefix.size() + kExportSuffix.size() &&
         name.starts_with(kExportPrefix) && name.ends_with(kExportSuffix);
}

// An export's temporary file lives in a document folder that the user shares with everything
// else: only a regular file of this user, of exactly that name pattern, last written before
// this start, can be one a killed run left.
void RemoveExportTemporaries(const std::filesystem::path& folder, std::time_t startedAt,
                             std::vector<std::filesystem::path>& removed) {
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    if (!IsExportTemporaryName(entry.path().filename().string())) continue;
    struct stat info {};
    if (::lstat(entry.path().c_str(), &info) != 0 || !S_ISREG(info.st_mode) ||
        info.st_uid != ::geteuid() || info.st_mtime >= startedAt) {
      continue;
    }
    if (::unlink(entry.path().c_str()) == 0) removed.push_back(entry.path());
  }
}

}  // namespace

std::vector<std::filesystem::path> RemoveLeftoverFiles(const DeviceLocations& locations) {
  const std::time_t startedAt = std::time(nullptr);
  const std::string prefixes[] = {locations.objectStore.filename().string() + ".new-",
                                  locations.registry.filename().string() + ".tmp-"};
  std::vector<std::filesystem::path> removed;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(locations.dataFolder, error)) {
    const std::string name = entry.path().filename().string();
    bool ours = false;
    for (const std::string& prefix : prefixes) {
      ours = ours || (name.size() > prefix.size() && name.starts_with(prefix));
    }
    struct stat info {};
    if (!ours || ::lstat(entry.path().c_str(), &info) != 0 || S_ISDIR(info.st_mode)) continue;
    if (::unlink(entry.path().c_str()) == 0) removed.push_back(entry.path());
  }
  for (const std::filesystem::path& folder : {locations.business, locations.personal}) {
    if (!folder.empty()) RemoveExportTemporaries(folder, startedAt, removed);
  }
  return removed;
}

}  // namespace quidora::platform
