#include "platform/locations.h"

#include "platform/ascii_case.h"
#include "platform/utf8.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

namespace quidora::platform {
namespace {

std::optional<std::filesystem::path> AbsoluteVariable(const EnvironmentLookup& lookup,
                                                      const char* name) {
  const char* value = lookup(name);
  if (value == nullptr || value[0] != '/') return std::nullopt;
  return std::filesystem::path(value).lexically_normal();
}

}  // namespace

std::optional<DeviceLocations> ResolveDeviceLocations(const EnvironmentLookup& lookup,
                                                      const std::filesystem::path& workingFolder) {
  DeviceLocations locations;
  std::optional<std::filesystem::path> home;
  if (const char* value = lookup("QUIDORA_HOME"); value != nullptr && value[0] != '\0') {
    if (value[0] != '/' && workingFolder.empty()) return std::nullopt;
    home =
        (value[0] == '/' ? std::filesystem::path(value) : workingFolder / value).lexically_normal();
  }
  if (home) {
    locations.dataFolder = *home;
    locations.business = *home / "Documents" / "Business";
    locations.personal = *home / "Documents" / "Personal";
  } else {
    const auto userHome = AbsoluteVariable(lookup, "HOME");
    if (!userHome) return std::nullopt;
    const auto dataHome = AbsoluteVariable(lookup, "XDG_DATA_HOME");
    locations.dataFolder = (dataHome ? *dataHome : *userHome / ".local" / "share") / "quidora";
    locations.business = *userHome / "Documents" / "Quidora" / "Business";
    locations.personal = *userHome / "Documents" / "Quidora" / "Personal";
  }
  locations.objectStore = locations.dataFolder / "objectstore.db";
  locations.registry = locations.dataFolder / "registry.reg";
  return locations;
}

std::optional<DeviceLocations> ResolveDeviceLocations() {
  std::error_code error;
  const std::filesystem::path working = std::filesystem::current_path(error);
  return ResolveDeviceLocations([](const char* name) { return std::getenv(name); },
                                error ? std::filesystem::path() : working);
}

void ForgetMissingRuntimeFolder() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  struct stat info {};
  if (runtime != nullptr && (::stat(runtime, &info) != 0 || !S_ISDIR(info.st_mode))) {
    ::unsetenv("XDG_RUNTIME_DIR");
  }
}

bool DataFolderFits(const std::filesystem::path& folder) {
  if (folder.native().size() > kMaxDataFolderPath) return false;
  // The nearest part of the path that exists, resolved, and the rest as written.
  std::filesystem::path existing = folder;
  std::filesystem::path rest;
  while (true) {
    std::error_code error;
    const std::filesystem::path resolved = std::filesystem::canonical(existing, error);
    if (!error) return (resolved / rest).lexically_normal().native().size() <= kMaxDataFolderPath;
    if (!existing.has_relative_path()) return true;
    rest = rest.empty() ? existing.filename() : existing.filename() / rest;
    existing = existing.parent_path();
  }
}

bool MakePrivateFolders(const std::filesystem::path& folder) {
  if (folder.empty()) return false;
  struct stat info {};
  if (::stat(folder.c_str(), &info) == 0) return S_ISDIR(info.st_mode);
  if (errno != ENOENT) return false;
  const std::filesystem::path parent = folder.parent_path();
  if (!parent.empty() && parent != folder && !MakePrivateFolders(parent)) return false;
  if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return false;
  return ::stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool PrepareDevice(const DeviceLocations& locations) {
  const bool data = MakePrivateFolders(locations.dataFolder);
  const bool business = MakePrivateFolders(locations.business);
  const bool personal = MakePrivateFolders(locations.personal);
  return data && business && personal;
}

bool IsPlainWritableFolder(const std::filesystem::path& folder) {
  struct stat info {};
  if (::lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return false;
  return ::access(folder.c_str(), W_OK | X_OK) == 0;
}

std::optional<std::filesystem::path> MapDevicePath(std::u16string_view devicePath,
                                                   const DeviceLocations& locations) {
  std::vector<std::u16string_view> parts;
  if (devicePath.empty() || devicePath.front() != u'\\') return std::nullopt;
  std::u16string_view rest = devicePath.substr(1);
  while (true) {
    const std::size_t slash = rest.find(u'\\');
    parts.push_back(rest.substr(0, slash));
    if (slash == std::u16string_view::npos) break;
    rest = rest.substr(slash + 1);
  }
  if (parts.size() < 2 || !EqualsIgnoringAsciiCase(parts[0], u"My Documents")) {
    return std::nullopt;
  }
  std::filesystem::path result;
  if (EqualsIgnoringAsciiCase(parts[1], u"Business")) {
    result = locations.business;
  } else if (EqualsIgnoringAsciiCase(parts[1], u"Personal")) {
    result = locations.personal;
  } else {
    return std::nullopt;
  }
  for (std::size_t i = 2; i < parts.size(); ++i) {
    const std::u16string_view part = parts[i];
    if (part.empty() || part == u"." || part == u".." ||
        part.find_first_of(std::u16string_view(u"/\0", 2)) != std::u16string_view::npos) {
      return std::nullopt;
    }
    const auto name = Utf16ToUtf8(part);
    if (!name) return std::nullopt;
    result /= *name;
  }
  return result;
}

}  // namespace quidora::platform
