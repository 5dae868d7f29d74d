// Verification of a copy of the store, and the check record kept beside each backup.
//
// A copy passes when the volume's own checks pass (SQLite header, application, version, the
// expected tables), its length is the one its header gives (a cut copy is found at once), and
// SQLite's quick_check reads every page without a complaint. The check record then notes the
// copy's length and digest, so that damage that comes later is found by reading the file once.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "platform/backup_files.h"
#include "platform/object_store.h"

namespace quidora::platform {

struct CopyCheck {
  bool passed = false;
  VolumeStatus status = VolumeStatus::Damaged;  // when it failed: Damaged, Foreign, Newer,
                                                // Unreadable or Missing
  VolumeProblem problem = VolumeProblem::None;
  std::string reason;  // "it is damaged (quick_check: ...)", for messages
  std::uint64_t records = 0;  // records of all databases, when it passed
};

CopyCheck VerifyStoreCopy(const std::filesystem::path& file);

struct CheckRecord {
  FileDigest store;
  std::uint64_t records = 0;
  std::optional<FileDigest> registry;  // absent when there was no registry to copy
};

std::string FormatCheckRecord(const CheckRecord& record);
std::optional<CheckRecord> ParseCheckRecord(std::string_view text);
std::optional<CheckRecord> ReadCheckRecord(const std::filesystem::path& file);

// The schema version of the volume at `store` read without changing anything (its log
// included); nullopt when there is none or it cannot be read.
std::optional<std::uint32_t> ReadVolumeVersion(const std::filesystem::path& store);

// Whether the volume at `store` is readable and written by an earlier version: opening it for
// writing will upgrade it.
bool VolumeNeedsUpgrade(const std::filesystem::path& store);

// Whether the volume at `store` holds the mark "in use": a run changed it and has not ended
// cleanly yet (or a run that changed it did not end). nullopt when it cannot be read.
std::optional<bool> VolumeMarkedInUse(const std::filesystem::path& store);

}  // namespace quidora::platform
