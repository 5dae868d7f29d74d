#include "shell/undo_handover.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "platform/property.h"
#include "shell/undo_list.h"
#include "store/record_properties.h"

namespace quidora {

namespace {

constexpr const char* kVariable = "QUIDORA_UNDO_HANDOVER";
constexpr const char* kFileName = "quidora-undo";
// Twelve records of the largest texts fit many times over.
constexpr std::size_t kLargestFile = 1 << 20;

bool WriteAll(int fd, const std::vector<std::uint8_t>& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// Whether `fd` is an in-memory file of ours, not whatever a hostile environment names.
bool IsOurFile(int fd) {
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) return false;
  if (info.st_size < 0 || static_cast<std::size_t>(info.st_size) > kLargestFile) return false;
  char target[64] = {};
  const std::string link = "/proc/self/fd/" + std::to_string(fd);
  const ssize_t length = ::readlink(link.c_str(), target, sizeof target - 1);
  const std::string_view expected = "/memfd:quidora-undo";
  return length > 0 && std::string_view(target, static_cast<std::size_t>(length))
                               .substr(0, expected.size()) == expected;
}

std::vector<std::uint8_t> ReadAll(int fd) {
  std::vector<std::uint8_t> bytes(kLargestFile);
  std::size_t got = 0;
  while (got < bytes.size()) {
    const ssize_t n = ::pread(fd, bytes.data() + got, bytes.size() - got,
                              static_cast<off_t>(got));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
  }
  bytes.resize(got);
  return bytes;
}

}  // namespace

bool HandOverUndoList(const MoneyList& undo) {
  // Each record as its stored bytes, after their length in four bytes, low byte first.
  std::vector<std::uint8_t> bytes;
  std::vector<std::uint8_t> record;
  for (const MoneyRecord& money : undo) {
    record.clear();
    platform::EncodeRecord(MoneyProperties(money, money.key), record);
    const auto length = static_cast<std::uint32_t>(record.size());
    for (int shift = 0; shift < 32; shift += 8) {
      bytes.push_back(static_cast<std::uint8_t>(length >> shift));
    }
    bytes.insert(bytes.end(), record.begin(), record.end());
  }
  if (bytes.size() > kLargestFile) return false;
  // Not close-on-exec: the next copy is this program started again in place.
  const int fd = ::memfd_create(kFileName, 0);
  if (fd < 0) return false;
  if (!WriteAll(fd, bytes) || ::setenv(kVariable, std::to_string(fd).c_str(), 1) != 0) {
    ::close(fd);
    return false;
  }
  return true;
}

MoneyList TakeHandedOverUndoList() {
  MoneyList undo;
  const char* named = std::getenv(kVariable);
  if (named == nullptr) return undo;
  const std::string_view text(named);
  int fd = -1;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), fd);
  ::unsetenv(kVariable);
  if (error != std::errc() || end != text.data() + text.size() || fd < 0 || !IsOurFile(fd)) {
    return undo;
  }
  const std::vector<std::uint8_t> bytes = ReadAll(fd);
  ::close(fd);

  platform::Record props;
  std::size_t at = 0;
  while (bytes.size() - at >= 4 && undo.size() < kUndoCapacity) {
    std::uint32_t length = 0;
    for (int i = 0; i < 4; ++i) length |= std::uint32_t{bytes[at + i]} << (8 * i);
    at += 4;
    if (length > bytes.size() - at) break;
    if (!platform::DecodeRecord({bytes.data() + at, length}, props)) break;
    at += length;
    MoneyRecord record;
    record.Reset();
    FillMoneyRecord(props, record);
    undo.Append(std::move(record));
  }
  return undo;
}

}  // namespace quidora
