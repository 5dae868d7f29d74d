#include "platform/ui/desktop_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>

namespace quidora::ui {

DesktopEntry DesktopEntryAt(const std::string& path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0) {
    return errno == ENOENT ? DesktopEntry::Missing : DesktopEntry::Other;
  }
  return S_ISREG(info.st_mode) ? DesktopEntry::Regular : DesktopEntry::Other;
}

std::optional<std::string> ReadDesktopFile(const std::string& path, std::size_t maxBytes) {
  // Without O_NONBLOCK a FIFO would hold the start until some writer came.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return std::nullopt;
  struct stat info {};
  std::optional<std::string> text;
  if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
      static_cast<std::uintmax_t>(info.st_size) <= maxBytes) {
    text.emplace();
    char buffer[4096];
    while (true) {
      const ssize_t n = ::read(fd, buffer, sizeof buffer);
      if (n < 0 && errno == EINTR) continue;
      // A file that grows while it is read is still held to the cap.
      if (n < 0 || text->size() + static_cast<std::size_t>(n) > maxBytes) {
        text.reset();
        break;
      }
      if (n == 0) break;
      text->append(buffer, static_cast<std::size_t>(n));
    }
  }
  ::close(fd);
  return text;
}

bool WriteDesktopFile(const std::string& path, std::string_view text) {
  if (DesktopEntryAt(path) == DesktopEntry::Other) return false;
  const std::filesystem::path file(path);
  const std::filesystem::path folder = file.parent_path().empty() ? "." : file.parent_path();
  std::error_code error;
  if (!std::filesystem::is_directory(folder, error)) {
    std::filesystem::create_directories(folder, error);
    if (error) return false;
    std::filesystem::permissions(folder, std::filesystem::perms::owner_all, error);
  }
  std::string temporary = path + ".tmp-XXXXXX";
  const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);  // made 0600
  if (fd < 0) return false;
  bool ok = true;
  while (ok && !text.empty()) {
    const ssize_t n = ::write(fd, text.data(), text.size());
    if (n < 0 && errno == EINTR) continue;
    ok = n > 0;
    if (ok) text.remove_prefix(static_cast<std::size_t>(n));
  }
  ok = ok && ::fsync(fd) == 0;
  ok = ::close(fd) == 0 && ok;
  // Checked again just before: what came under the name meanwhile is not replaced either.
  ok = ok && DesktopEntryAt(path) != DesktopEntry::Other &&
       ::rename(temporary.c_str(), path.c_str()) == 0;
  if (!ok) {
    ::unlink(temporary.c_str());
    return false;
  }
  const int folderFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folderFd < 0) return true;  // the file is in place; only its durability is less sure
  ::fsync(folderFd);
  ::close(folderFd);
  return true;
}

}  // namespace quidora::ui
