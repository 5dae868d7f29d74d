#include "platform/folder_problem.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace quidora::platform {

std::string FolderProblem(const std::filesystem::path& folder) {
  struct stat info {};
  if (::lstat(folder.c_str(), &info) != 0) {
    if (errno == ENOENT) return "does not exist";
    return std::string("cannot be reached (") + std::strerror(errno) + ")";
  }
  if (S_ISLNK(info.st_mode)) return "is a symbolic link, not a folder";
  if (S_ISFIFO(info.st_mode)) return "is a FIFO, not a folder";
  if (S_ISREG(info.st_mode)) return "is a file, not a folder";
  if (S_ISSOCK(info.st_mode)) return "is a socket, not a folder";
  if (S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode)) return "is a device, not a folder";
  if (!S_ISDIR(info.st_mode)) return "is not a folder";
  if (::access(folder.c_str(), W_OK | X_OK) != 0) {
    return std::string("cannot be written (") + std::strerror(errno) + ")";
  }
  return {};
}

}  // namespace quidora::platform
