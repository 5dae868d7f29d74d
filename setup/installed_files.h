// What a package installs for the launcher, found from the launcher's own folder: the
// description files and a desktop registry that names the installed application manager (as
// installing the synchronisation software would write it). In a build tree none of that exists
// and the launcher works from its current directory and the user's registry alone.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace quidora::setup {

// The installed data folder seen from the folder the launcher runs from (/usr/bin gives
// /usr/share/quidora); the relative step is fixed when the program is built.
std::filesystem::path InstalledDataFolder(const std::filesystem::path& programFolder);

// The desktop registry installed with the application manager, in `dataFolder`.
std::filesystem::path MachineRegistryPath(const std::filesystem::path& dataFolder);

// The folder whose description file goes to the manager: the current directory when it holds
// any of the four files, else `dataFolder` when that does, else the current directory (and the
// manager then says which file is missing). Nothing when the current directory is unknown.
std::optional<std::string> DescriptionFolder(const std::optional<std::string>& current,
                                             const std::filesystem::path& dataFolder);

}  // namespace quidora::setup
