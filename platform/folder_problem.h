// Why a path is not a plain folder this user can write into, in plain words, for the line on
// standard error that goes with a box which can only say that the folder is missing.
#pragma once

#include <filesystem>
#include <string>

namespace quidora::platform {

// "does not exist", "is a symbolic link", "is a FIFO", "is a file, not a folder", "cannot be
// written (Permission denied)", ...; empty when the path is a plain writable folder.
std::string FolderProblem(const std::filesystem::path& folder);

}  // namespace quidora::platform
