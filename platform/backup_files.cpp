#include "platform/backup_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>
#include <vector>

#include "platform/io_faults.h"

namespace quidora::platform {
namespace {

constexpr std::size_t kChunk = 1 << 20;

// errno for an injected fault, 0 when the operation is to run.
int Injected(IoFaults* faults, IoOp op) {
  return FaultInjected(faults, op) ? errno : 0;
}

FileFailure Failure(int error, const std::filesystem::path& file, const char* step) {
  return FileFailure{error, file, step};
}

bool WriteAll(int fd, const char* data, std::size_t size, IoFaults* faults, int& error) {
  while (size > 0) {
    if ((error = Injected(faults, IoOp::Write)) != 0) return false;
    const ssize_t n = ::write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      error = n < 0 ? errno : ENOSPC;
      return false;
    }
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

int CreateNew(const std::filesystem::path& to, IoFaults* faults, int& error) {
  if ((error = Injected(faults, IoOp::Create)) != 0) return -1;
  const int fd = ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) error = errno;
  return fd;
}

// Syncs and closes `fd`; removes `to` when anything before failed or the sync fails.
std::optional<FileFailure> Finish(int fd, const std::filesystem::path& to, IoFaults* faults,
                                  int error, const char* step) {
  if (error == 0) {
    if ((error = Injected(faults, IoOp::Sync)) == 0 && ::fsync(fd) != 0) error = errno;
    if (error != 0) step = "fsync";
  }
  if (::close(fd) != 0 && error == 0) {
    error = errno;
    step = "close";
  }
  if (error == 0) return std::nullopt;
  ::unlink(to.c_str());
  return Failure(error, to, step);
}

}  // namespace

std::filesystem::path TemporaryNameFor(const std::filesystem::path& finalName) {
  std::random_device random;
  return finalName.string() + ".tmp-" + std::to_string(::getpid()) + "-" +
         std::to_string(random());
}

std::optional<FileFailure> CopyFileSynced(const std::filesystem::path& from,
                                          const std::filesystem::path& to, IoFaults* faults) {
  const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (in < 0) return Failure(errno, from, "open");
  struct stat info {};
  if (::fstat(in, &info) != 0 || !S_ISREG(info.st_mode)) {
    const int error = errno != 0 ? errno : EINVAL;
    ::close(in);
    return Failure(S_ISREG(info.st_mode) ? error : EINVAL, from, "open");
  }
  int error = 0;
  const int out = CreateNew(to, faults, error);
  if (out < 0) {
    ::close(in);
    return Failure(error, to, "create");
  }
  std::vector<char> buffer(kChunk);
  const char* step = "write";
  for (;;) {
    const ssize_t n = ::read(in, buffer.data(), buffer.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      error = errno;
      step = "read";
      break;
    }
    if (n == 0) break;
    if (!WriteAll(out, buffer.data(), static_cast<std::size_t>(n), faults, error)) break;
  }
  ::close(in);
  return Finish(out, to, faults, error, step);
}

std::optional<FileFailure> WriteNewFileSynced(const std::filesystem::path& to,
                                              const std::string& contents, IoFaults* faults) {
  int error = 0;
  const int out = CreateNew(to, faults, error);
  if (out < 0) return Failure(error, to, "create");
  WriteAll(out, contents.data(), contents.size(), faults, error);
  return Finish(out, to, faults, error, "write");
}

std::optional<FileFailure> RenameFile(const std::filesystem::path& from,
                                      const std::filesystem::path& to, bool replace,
                                      IoFaults* faults) {
  if (const int error = Injected(faults, IoOp::Rename); error != 0) {
    return Failure(error, to, "rename");
  }
  if (replace) {
    if (::rename(from.c_str(), to.c_str()) != 0) return Failure(errno, to, "rename");
    return std::nullopt;
  }
  // link() never replaces; the temporary name goes once the final one holds the file.
  if (::link(from.c_str(), to.c_str()) != 0) return Failure(errno, to, "rename");
  ::unlink(from.c_str());
  return std::nullopt;
}

std::optional<FileFailure> SyncFolder(const std::filesystem::path& folder, IoFaults* faults) {
  if (const int error = Injected(faults, IoOp::FolderSync); error != 0) {
    return Failure(error, folder, "fsync of the folder");
  }
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return Failure(errno, folder, "fsync of the folder");
  const int error = ::fsync(fd) == 0 ? 0 : errno;
  ::close(fd);
  if (error != 0) return Failure(error, folder, "fsync of the folder");
  return std::nullopt;
}

std::optional<FileDigest> DigestFile(const std::filesystem::path& file) {
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return std::nullopt;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return std::nullopt;
  }
  ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
  // Eight bytes at a time, each word mixed in with a multiply and a shift: fast enough to read a
  // file at the disk's speed, and any changed byte changes the result.
  std::vector<std::uint64_t> buffer(kChunk / sizeof(std::uint64_t));
  FileDigest digest;
  std::uint64_t hash = 0x6A09E667F3BCC908ull;
  for (bool end = false; !end;) {
    // Whole chunks, so that words line up the same way however the reads return.
    std::size_t bytes = 0;
    auto* into = reinterpret_cast<char*>(buffer.data());
    while (bytes < kChunk) {
      const ssize_t n = ::read(fd, into + bytes, kChunk - bytes);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) {
        ::close(fd);
        return std::nullopt;
      }
      if (n == 0) {
        end = true;
        break;
      }
      bytes += static_cast<std::size_t>(n);
    }
    if (bytes == 0) break;
    // A short last chunk: the bytes past it count as zeros; the size tells the lengths apart.
    if (bytes % sizeof(std::uint64_t) != 0) {
      std::memset(reinterpret_cast<char*>(buffer.data()) + bytes, 0,
                  sizeof(std::uint64_t) - bytes % sizeof(std::uint64_t));
    }
    const std::size_t words = (bytes + sizeof(std::uint64_t) - 1) / sizeof(std::uint64_t);
    for (std::size_t i = 0; i < words; ++i) {
      hash = (hash ^ buffer[i]) * 0x9E3779B97F4A7C15ull;
      hash ^= hash >> 31;
    }
    digest.size += bytes;
  }
  ::close(fd);
  digest.hash = (hash ^ digest.size) * 0xBF58476D1CE4E5B9ull;
  return digest;
}

std::string SystemReason(int error) {
  if (error == ENOSPC || error == EDQUOT) return "no space left on the disk";
  return std::strerror(error);
}

}  // namespace quidora::platform
