// File steps of making and bringing back backups: copies that are synced before they count,
// renames that never replace a file, and the folder syncs that make a rename survive a crash.
// Every step consults the failing-I/O hook when one is given, as the registry's writer does.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace quidora::platform {

class IoFaults;

// What a failed step did not manage: the system's errno and the file concerned.
struct FileFailure {
  int error = 0;
  std::filesystem::path file;
  std::string step;  // "copy", "fsync", "rename", ...
};

// A temporary name beside `finalName`, unique to this process: "<final>.tmp-<pid>-<random>".
std::filesystem::path TemporaryNameFor(const std::filesystem::path& finalName);

// Copies `from` into a new file `to` (mode 0600; `to` must not exist) and syncs it. On failure
// the partial copy is removed.
std::optional<FileFailure> CopyFileSynced(const std::filesystem::path& from,
                                          const std::filesystem::path& to, IoFaults* faults);

// Writes `contents` into a new file `to` (mode 0600, must not exist) and syncs it.
std::optional<FileFailure> WriteNewFileSynced(const std::filesystem::path& to,
                                              const std::string& contents, IoFaults* faults);

// Renames `from` to `to`; `replace` false refuses to overwrite an existing `to` (EEXIST).
std::optional<FileFailure> RenameFile(const std::filesystem::path& from,
                                      const std::filesystem::path& to, bool replace,
                                      IoFaults* faults);

// Syncs a folder, so that the renames and unlinks inside it survive a crash.
std::optional<FileFailure> SyncFolder(const std::filesystem::path& folder, IoFaults* faults);

// A 64-bit digest of a file's bytes and its size, to notice damage to a kept copy; nullopt when
// it cannot be read.
struct FileDigest {
  std::uint64_t size = 0;
  std::uint64_t hash = 0;
  friend bool operator==(const FileDigest&, const FileDigest&) = default;
};
std::optional<FileDigest> DigestFile(const std::filesystem::path& file);

// "no space left on the disk" for ENOSPC and so on: the system's words for `error`.
std::string SystemReason(int error);

}  // namespace quidora::platform
