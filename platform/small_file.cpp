#include "platform/small_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace quidora::platform {
namespace {

std::string SizeText(std::size_t bytes) {
  if (bytes % (1u << 20) == 0) return std::to_string(bytes >> 20) + " MiB";
  if (bytes % (1u << 10) == 0) return std::to_string(bytes >> 10) + " KiB";
  return std::to_string(bytes) + " bytes";
}

}  // namespace

SmallFile ReadSmallFile(const std::filesystem::path& file, std::size_t maxBytes) {
  SmallFile result;
  const auto refuse = [&result](int error, std::string problem) {
    result.error = error;
    result.problem = std::move(problem);
    return result;
  };
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return refuse(errno, std::strerror(errno));
  struct stat info {};
  if (::fstat(fd, &info) != 0) {
    const int error = errno;
    ::close(fd);
    return refuse(error, std::strerror(error));
  }
  const std::string tooLarge = "is larger than " + SizeText(maxBytes);
  if (!S_ISREG(info.st_mode)) {
    ::close(fd);
    return refuse(EINVAL, "is not a regular file");
  }
  if (static_cast<std::uintmax_t>(info.st_size) > maxBytes) {
    ::close(fd);
    return refuse(EFBIG, tooLarge);
  }
  std::string text;
  text.reserve(static_cast<std::size_t>(info.st_size));
  char buffer[65536];
  while (true) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      const int error = errno;
      ::close(fd);
      return refuse(error, std::strerror(error));
    }
    if (n == 0) break;
    // A file that grows while it is read is still held to the cap.
    if (text.size() + static_cast<std::size_t>(n) > maxBytes) {
      ::close(fd);
      return refuse(EFBIG, tooLarge);
    }
    text.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  result.text = std::move(text);
  return result;
}

}  // namespace quidora::platform
