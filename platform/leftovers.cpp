#include "platform/leftovers.h"

#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <string_view>

namespace quidora::platform {

std::vector<std::filesystem::path> RemoveLeftoverFiles(const DeviceLocations& locations) {
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
  return removed;
}

}  // namespace quidora::platform
