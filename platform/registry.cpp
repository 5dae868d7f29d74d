#include "platform/registry.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/ascii_case.h"
#include "platform/io_faults.h"
#include "platform/locations.h"
#include "platform/small_file.h"

namespace quidora::platform {
namespace detail {
bool IsValidKeyPath(std::u16string_view path);
}  // namespace detail

namespace {

constexpr std::size_t kMaxFileSize = 4u << 20;

// Keeps the old `file` under `keepAs`, or the first of `keepAs`-2, -3, ... that is free, so that
// no earlier copy is ever replaced. The name used, or empty when none could be made.
std::filesystem::path KeepOldFile(const std::filesystem::path& file,
                                  const std::filesystem::path& keepAs) {
  for (int number = 1; number <= 1000; ++number) {
    const std::filesystem::path name =
        number == 1 ? keepAs
                    : std::filesystem::path(keepAs.string() + "-" + std::to_string(number));
    if (::link(file.c_str(), name.c_str()) == 0) return name;
    if (errno != EEXIST) return {};
  }
  return {};
}

}  // namespace

// ---- RegistryValue ----

std::optional<std::uint32_t> RegistryValue::AsDword() const {
  if (type != kRegDword || data.size() != 4) return std::nullopt;
  return static_cast<std::uint32_t>(data[0]) | static_cast<std::uint32_t>(data[1]) << 8 |
         static_cast<std::uint32_t>(data[2]) << 16 | static_cast<std::uint32_t>(data[3]) << 24;
}

std::optional<std::u16string> RegistryValue::AsString() const {
  if (type != kRegString) return std::nullopt;
  std::u16string text;
  for (std::size_t i = 0; i + 1 < data.size(); i += 2) {
    const auto unit = static_cast<char16_t>(data[i] | data[i + 1] << 8);
    if (unit == 0) break;
    text += unit;
  }
  return text;
}

// ---- RegistryKey ----

RegistryKey::RegistryKey(Registry* registry, std::size_t index, bool writable)
    : registry_(registry), index_(index), writable_(writable) {}

RegistryKey::RegistryKey(RegistryKey&& other) noexcept
    : registry_(other.registry_), index_(other.index_), writable_(other.writable_) {
  other.registry_ = nullptr;
}

RegistryKey& RegistryKey::operator=(RegistryKey&& other) noexcept {
  if (this != &other) {
    Close();
    registry_ = other.registry_;
    index_ = other.index_;
    writable_ = other.writable_;
    other.registry_ = nullptr;
  }
  return *this;
}

RegistryKey::~RegistryKey() {
  Close();
}

std::optional<RegistryValue> RegistryKey::QueryValue(std::u16string_view name) const {
  if (registry_ == nullptr) return std::nullopt;
  for (const Registry::Value& entry : registry_->keys_[index_].values) {
    if (EqualsIgnoringAsciiCase(entry.name, name)) return entry.value;
  }
  return std::nullopt;
}

bool RegistryKey::SetValue(std::u16string_view name, RegistryValue value) {
  if (registry_ == nullptr || !writable_) return false;
  return registry_->Set(index_, name, std::move(value));
}

bool RegistryKey::SetDword(std::u16string_view name, std::uint32_t value) {
  return SetValue(
      name, RegistryValue{
                kRegDword,
                {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
                 static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)}});
}

bool RegistryKey::SetString(std::u16string_view name, std::u16string_view text) {
  RegistryValue value{kRegString, {}};
  value.data.reserve((text.size() + 1) * 2);
  for (char16_t unit : text) {
    value.data.push_back(static_cast<std::uint8_t>(unit));
    value.data.push_back(static_cast<std::uint8_t>(unit >> 8));
  }
  value.data.push_back(0);
  value.data.push_back(0);
  return SetValue(name, std::move(value));
}

bool RegistryKey::Close() {
  if (registry_ == nullptr) return true;
  const bool ok = !writable_ || registry_->Flush();
  registry_ = nullptr;
  return ok;
}

// ---- Registry ----

Registry::Registry(Registry&&) noexcept = default;
Registry& Registry::operator=(Registry&&) noexcept = default;
Registry::~Registry() = default;

Registry Registry::Load(const std::filesystem::path& file, IoFaults* faults) {
  Registry registry;
  registry.file_ = file;
  registry.faults_ = faults;
  SmallFile read = ReadSmallFile(file, kMaxFileSize);
  if (!read.text) {
    if (read.error != ENOENT) {
      registry.loadedCleanly_ = false;
      registry.loadProblem_ = std::move(read.problem);
      registry.keepDamagedCopy_ = true;
    }
    return registry;
  }
  registry.ParseText(*read.text);
  registry.keepDamagedCopy_ = registry.damagedLines_ > 0;
  return registry;
}

Registry Registry::Parse(std::string_view text) {
  Registry registry;
  registry.ParseText(text);
  return registry;
}

Registry::Key* Registry::FindKey(RegistryRoot root, std::u16string_view path) {
  for (Key& key : keys_) {
    if (key.root == root && EqualsIgnoringAsciiCase(key.path, path)) return &key;
  }
  return nullptr;
}

std::optional<RegistryKey> Registry::OpenKey(RegistryRoot root, std::u16string_view path) {
  const Key* key = FindKey(root, path);
  if (key == nullptr) return std::nullopt;
  return RegistryKey(this, static_cast<std::size_t>(key - keys_.data()), false);
}

std::optional<RegistryKey> Registry::CreateKey(RegistryRoot root, std::u16string_view path) {
  if (const Key* key = FindKey(root, path)) {
    return RegistryKey(this, static_cast<std::size_t>(key - keys_.data()), true);
  }
  if (!detail::IsValidKeyPath(path)) return std::nullopt;
  keys_.push_back(Key{root, std::u16string(path), {}});
  dirty_ = true;
  return RegistryKey(this, keys_.size() - 1, true);
}

bool Registry::Set(std::size_t key, std::u16string_view name, RegistryValue value) {
  for (Value& entry : keys_[key].values) {
    if (EqualsIgnoringAsciiCase(entry.name, name)) {
      if (!(entry.value == value)) {
        entry.value = std::move(value);
        dirty_ = true;
      }
      return true;
    }
  }
  keys_[key].values.push_back(Value{std::u16string(name), std::move(value)});
  dirty_ = true;
  return true;
}

bool Registry::Flush() {
  if (!dirty_) return true;
  if (file_.empty()) return false;
  const std::filesystem::path keep = keepDamagedCopy_
                                         ? std::filesystem::path(file_.string() + ".damaged")
                                         : std::filesystem::path();
  std::filesystem::path keptAs;
  if (!WriteFileAtomically(file_, Serialize(), faults_, keep, &keptAs)) return false;
  if (!keptAs.empty()) setAside_ = keptAs;
  dirty_ = false;
  keepDamagedCopy_ = false;
  return true;
}

bool WriteFileAtomically(const std::filesystem::path& file, std::string_view contents,
                         IoFaults* faults, const std::filesystem::path& keepOldAs,
                         std::filesystem::path* keptAs) {
  const std::filesystem::path folder = file.parent_path().empty() ? "." : file.parent_path();
  if (!MakePrivateFolders(folder)) return false;
  std::string temp = file.string() + ".tmp-XXXXXX";
  const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
  if (fd < 0) return false;
  bool ok = ::fchmod(fd, 0600) == 0;
  std::size_t written = 0;
  while (ok && written < contents.size()) {
    if (FaultInjected(faults, IoOp::Write)) {
      ok = false;
      break;
    }
    const ssize_t n = ::write(fd, contents.data() + written, contents.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ok = false;
      break;
    }
    written += static_cast<std::size_t>(n);
  }
  ok = ok && !FaultInjected(faults, IoOp::Sync) && ::fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  if (ok && !keepOldAs.empty()) {
    // Best effort: a failed link must not block saving the settings.
    const std::filesystem::path kept = KeepOldFile(file, keepOldAs);
    if (keptAs != nullptr) *keptAs = kept;
  }
  ok = ok && !FaultInjected(faults, IoOp::Rename) && ::rename(temp.c_str(), file.c_str()) == 0;
  if (!ok) {
    ::unlink(temp.c_str());
    return false;
  }
  // The new file is in place; without the folder's fsync the rename may not survive a crash.
  if (FaultInjected(faults, IoOp::FolderSync)) return false;
  const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir < 0) return false;
  const bool synced = ::fsync(dir) == 0;
  return ::close(dir) == 0 && synced;
}

}  // namespace quidora::platform
