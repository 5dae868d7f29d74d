// Where the emulated device keeps its files on this computer, and the device folders the program
// uses.
//
// By default the object store and the registry live in $XDG_DATA_HOME/quidora/ (XDG_DATA_HOME
// defaults to ~/.local/share) and the document folders in ~/Documents/Quidora/. QUIDORA_HOME=DIR
// puts the whole device into DIR: DIR/objectstore.db, DIR/registry.reg, DIR/Documents/Business
// and DIR/Documents/Personal. An empty QUIDORA_HOME counts as unset; a relative one is taken
// from the working folder. Folders this code creates are 0700.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string_view>

namespace quidora::platform {

struct DeviceLocations {
  std::filesystem::path dataFolder;   // holds the two files below
  std::filesystem::path objectStore;  // the volume of the object store
  std::filesystem::path registry;     // the registry file
  std::filesystem::path business;     // "\My Documents\Business"
  std::filesystem::path personal;     // "\My Documents\Personal"
};

// Looks up an environment variable; nullptr when unset. Tests pass their own.
using EnvironmentLookup = std::function<const char*(const char*)>;

// The locations from QUIDORA_HOME, XDG_DATA_HOME and HOME. A relative QUIDORA_HOME is taken from
// `workingFolder` (nullopt when that is empty); of XDG_DATA_HOME and HOME only absolute values
// count (a relative XDG_DATA_HOME is ignored as the XDG rules say). nullopt when neither
// QUIDORA_HOME nor HOME gives a folder.
std::optional<DeviceLocations> ResolveDeviceLocations(
    const EnvironmentLookup& lookup, const std::filesystem::path& workingFolder = {});
// The same from the process environment and working folder.
std::optional<DeviceLocations> ResolveDeviceLocations();

// The longest data folder path, in bytes, that the object store can work in. SQLite refuses
// file names of more than about 500 bytes, and the store's own files (the volume, its journal,
// a temporary volume while one is made) add up to some 50 bytes to the folder's path.
inline constexpr std::size_t kMaxDataFolderPath = 400;

// Whether `folder` is short enough, both as written and as reached through any links (SQLite
// works on the resolved path). Creates nothing.
bool DataFolderFits(const std::filesystem::path& folder);

// Creates `folder` and any missing parents with mode 0700 (existing folders are left as they
// are). True when `folder` is a directory afterwards.
bool MakePrivateFolders(const std::filesystem::path& folder);

// Creates the data folder and the two document folders where they are missing, as a new device
// has them. True when all three exist afterwards.
bool PrepareDevice(const DeviceLocations& locations);

// Whether `folder` counts as present for export: it is a directory itself (not a link to one) and
// this user may create files in it.
bool IsPlainWritableFolder(const std::filesystem::path& folder);

// Maps a device path below "\My Documents\Business" or "\My Documents\Personal" (any ASCII case)
// to the host path. nullopt for any other path and for names that could leave the folder (".",
// "..", a '/' or a zero unit in a part, an empty part).
std::optional<std::filesystem::path> MapDevicePath(std::u16string_view devicePath,
                                                   const DeviceLocations& locations);

}  // namespace quidora::platform
