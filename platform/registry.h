// The device registry: keys under a root, each holding named, typed values, kept in one
// hand-editable UTF-8 text file.
//
// File format:
//
//   ; Quidora device registry            <- lines starting with ';' are comments
//   [HKEY_LOCAL_MACHINE\Software\Vesko\Quidora\Settings]
//   "Sort"=dword:00000000                 <- DWORD (type 4), 1 to 8 hex digits
//   "LastAccount"="Cash \"box\""          <- string (type 1), see escapes below
//   "Blob"=hex(3):01,ff,20                <- any other type: decimal type, bytes in hex
//
// - A key line names a root (HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER, HKEY_CLASSES_ROOT or
//   HKEY_USERS) and a path of non-empty parts separated by '\'. Value lines belong to the key
//   line above them. Blank lines are ignored. Key paths and value names compare without regard
//   to ASCII case, as the device's registry does; their spelling is kept.
// - Inside quotes: \\ is a backslash, \" a quote, \n \r \t the control characters, \uXXXX any
//   16-bit unit (written for other control characters and for unpaired surrogates, so every
//   16-bit text survives the trip). Anything else after a backslash makes the line damaged.
// - A string value is stored as 16-bit text; read back, its data is the text in UTF-16LE with a
//   terminating zero unit, as the device returns it.
// - A line that does not parse (bad syntax, invalid UTF-8, a DWORD of more than 8 hex digits, an
//   unknown root, a value before any key) is ignored and counted; a later line with the same
//   key and value name wins. A file that cannot be read at all, or is larger than 4 MiB, loads as
//   an empty registry.
//
// Saving is atomic: a temporary file in the same folder is written, fsync'ed (checked), renamed
// over the file and the folder is fsync'ed; on any failure the old file is left as it was and
// the temporary file removed. When the file that was loaded had damaged lines or could not be
// read, the first save keeps the old contents beside it as "<name>.damaged" (or, when that is
// taken, "<name>.damaged-2", "-3", ...) before replacing it, so no hand edit gone wrong is ever
// lost. The file is read without waiting: anything but a regular file loads as an empty registry.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quidora::platform {

class IoFaults;

enum class RegistryRoot : std::uint8_t { LocalMachine, CurrentUser, ClassesRoot, Users };

inline constexpr std::uint32_t kRegString = 1;  // REG_SZ
inline constexpr std::uint32_t kRegBinary = 3;  // REG_BINARY
inline constexpr std::uint32_t kRegDword = 4;   // REG_DWORD

struct RegistryValue {
  std::uint32_t type = 0;
  std::vector<std::uint8_t> data;  // DWORD: 4 bytes little-endian; string: UTF-16LE + zero unit

  // The number of a DWORD value of 4 bytes; nullopt for any other type or size.
  std::optional<std::uint32_t> AsDword() const;
  // The text of a string value up to its first zero unit; nullopt for other types.
  std::optional<std::u16string> AsString() const;

  friend bool operator==(const RegistryValue&, const RegistryValue&) = default;
};

class Registry;

// An open key, valid while its Registry lives. Changes are made in memory; Close() of a key opened
// for writing saves the file when anything changed since the last save (the destructor does the
// same but cannot report failure).
class RegistryKey {
 public:
  RegistryKey(RegistryKey&&) noexcept;
  RegistryKey& operator=(RegistryKey&&) noexcept;
  ~RegistryKey();

  std::optional<RegistryValue> QueryValue(std::u16string_view name) const;
  // False on a key opened only for reading.
  bool SetValue(std::u16string_view name, RegistryValue value);
  bool SetDword(std::u16string_view name, std::uint32_t value);
  bool SetString(std::u16string_view name, std::u16string_view text);

  // Ends the use of the key; for a key opened for writing, saves pending changes. False when the
  // save failed (the changes stay pending in memory and the file keeps its old contents).
  bool Close();

 private:
  friend class Registry;
  RegistryKey(Registry* registry, std::size_t index, bool writable);
  Registry* registry_ = nullptr;
  std::size_t index_ = 0;
  bool writable_ = false;
};

class Registry {
 public:
  // Reads `file` (a missing file is an empty registry; see the format above for damage).
  static Registry Load(const std::filesystem::path& file, IoFaults* faults = nullptr);
  // Parses registry text without a file (empty path: Save always fails).
  static Registry Parse(std::string_view text);

  Registry(Registry&&) noexcept;
  Registry& operator=(Registry&&) noexcept;
  ~Registry();

  // Opens an existing key for reading; nullopt when there is no such key.
  std::optional<RegistryKey> OpenKey(RegistryRoot root, std::u16string_view path);
  // Opens a key for writing, creating it (and nothing else) when it does not exist; nullopt for an
  // invalid path (empty, or an empty part).
  std::optional<RegistryKey> CreateKey(RegistryRoot root, std::u16string_view path);

  // Writes the file now if anything changed since the last save (atomic; see above).
  bool Flush();

  // The file text of the current contents.
  std::string Serialize() const;

  // Lines of the loaded file that were ignored as damaged.
  int DamagedLines() const { return damagedLines_; }
  // False when the file existed but could not be read (or was too large, or not a regular file).
  bool LoadedCleanly() const { return loadedCleanly_; }
  // Why it could not be read, in plain words ("is not a regular file"); empty when it could.
  const std::string& LoadProblem() const { return loadProblem_; }
  // Where the last save kept the damaged file it replaced; empty when it kept none.
  const std::filesystem::path& SetAsideCopy() const { return setAside_; }

 private:
  friend class RegistryKey;
  struct Value {
    std::u16string name;
    RegistryValue value;
  };
  struct Key {
    RegistryRoot root = RegistryRoot::LocalMachine;
    std::u16string path;
    std::vector<Value> values;
  };
  Registry() = default;
  Key* FindKey(RegistryRoot root, std::u16string_view path);
  bool Set(std::size_t key, std::u16string_view name, RegistryValue value);
  void ParseText(std::string_view text);

  std::filesystem::path file_;
  IoFaults* faults_ = nullptr;
  std::vector<Key> keys_;
  bool dirty_ = false;
  bool keepDamagedCopy_ = false;
  int damagedLines_ = 0;
  bool loadedCleanly_ = true;
  std::string loadProblem_;
  std::filesystem::path setAside_;
};

// Writes `contents` to `file` atomically (temporary file in the same folder, 0600, write, checked
// fsync, rename, fsync of the folder). On failure the old file is untouched. When
// `keepOldAs` is non-empty, the old file is first linked there, or to the first free name of
// `keepOldAs`-2, -3, ...; `keptAs` (optional) receives the name used.
bool WriteFileAtomically(const std::filesystem::path& file, std::string_view contents,
                         IoFaults* faults = nullptr, const std::filesystem::path& keepOldAs = {},
                         std::filesystem::path* keptAs = nullptr);

}  // namespace quidora::platform
