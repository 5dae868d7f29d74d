#include "platform/backup_names.h"

#include <array>
#include <charconv>
#include <cstdio>

namespace quidora::platform {
namespace {

constexpr std::string_view kStorePrefix = "objectstore-";
constexpr std::string_view kStoreSuffix = ".db";

constexpr std::array<BackupKind, 3> kMarkedKinds = {
    BackupKind::BeforeUpgrade, BackupKind::BeforeImport, BackupKind::BeforeRestore};

std::optional<int> Digits(std::string_view text) {
  int value = 0;
  if (text.empty()) return std::nullopt;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

}  // namespace

std::string_view KindName(BackupKind kind) {
  switch (kind) {
    case BackupKind::Regular:
      return "regular";
    case BackupKind::BeforeUpgrade:
      return "upgrade";
    case BackupKind::BeforeImport:
      return "import";
    case BackupKind::BeforeRestore:
      return "restore";
  }
  return "regular";
}

std::string BackupStem(const BackupId& id) {
  char text[64];
  std::snprintf(text, sizeof text, "%04u%02u%02u-%02u%02u%02u", unsigned{id.time.year},
                unsigned{id.time.month}, unsigned{id.time.day}, unsigned{id.time.hour},
                unsigned{id.time.minute}, unsigned{id.time.second});
  std::string stem = text;
  if (id.kind != BackupKind::Regular) stem += "-" + std::string(KindName(id.kind));
  if (id.sequence > 0) stem += "-" + std::to_string(id.sequence);
  return stem;
}

std::string StoreBackupName(const BackupId& id) {
  return std::string(kStorePrefix) + BackupStem(id) + std::string(kStoreSuffix);
}

std::string RegistryBackupName(const BackupId& id) {
  return "registry-" + BackupStem(id) + ".reg";
}

std::string CheckRecordName(const BackupId& id) {
  return StoreBackupName(id) + ".sum";
}

std::optional<BackupId> ParseStoreBackupName(std::string_view name) {
  if (!name.starts_with(kStorePrefix) || !name.ends_with(kStoreSuffix)) return std::nullopt;
  std::string_view stem =
      name.substr(kStorePrefix.size(), name.size() - kStorePrefix.size() - kStoreSuffix.size());
  if (stem.size() < 15 || stem[8] != '-') return std::nullopt;
  const auto date = Digits(stem.substr(0, 8));
  const auto time = Digits(stem.substr(9, 6));
  if (!date || !time) return std::nullopt;
  BackupId id;
  id.time.year = static_cast<std::uint16_t>(*date / 10000);
  id.time.month = static_cast<std::uint16_t>(*date / 100 % 100);
  id.time.day = static_cast<std::uint16_t>(*date % 100);
  id.time.hour = static_cast<std::uint16_t>(*time / 10000);
  id.time.minute = static_cast<std::uint16_t>(*time / 100 % 100);
  id.time.second = static_cast<std::uint16_t>(*time % 100);
  if (id.time.month < 1 || id.time.month > 12 || id.time.day < 1 || id.time.day > 31 ||
      id.time.hour > 23 || id.time.minute > 59 || id.time.second > 59) {
    return std::nullopt;
  }
  stem.remove_prefix(15);
  if (!stem.empty()) {
    for (BackupKind kind : kMarkedKinds) {
      const std::string marker = "-" + std::string(KindName(kind));
      if (stem.starts_with(marker)) {
        id.kind = kind;
        stem.remove_prefix(marker.size());
        break;
      }
    }
  }
  if (!stem.empty()) {
    if (stem[0] != '-') return std::nullopt;
    const auto sequence = Digits(stem.substr(1));
    if (!sequence || *sequence == 0 || stem.size() > 6) return std::nullopt;
    id.sequence = *sequence;
  }
  // The name must be the one this id gives: no leading zeros in N, nothing left over.
  if (StoreBackupName(id) != name) return std::nullopt;
  return id;
}

bool BackupNameTaken(const std::filesystem::path& folder, const BackupId& id) {
  std::error_code error;
  for (BackupKind kind : {BackupKind::Regular, BackupKind::BeforeUpgrade, BackupKind::BeforeImport,
                          BackupKind::BeforeRestore}) {
    const BackupId other{id.time, kind, id.sequence};
    if (std::filesystem::exists(folder / StoreBackupName(other), error) ||
        std::filesystem::exists(folder / RegistryBackupName(other), error)) {
      return true;
    }
  }
  return false;
}

std::int64_t DaysSinceEpoch(const SystemTime& time) {
  // The civil-to-days conversion of the proleptic Gregorian calendar.
  const std::int64_t y = std::int64_t{time.year} - (time.month <= 2 ? 1 : 0);
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const std::int64_t yearOfEra = y - era * 400;
  const std::int64_t m = time.month;
  const std::int64_t dayOfYear = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + time.day - 1;
  const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

std::int64_t SecondsSinceEpoch(const SystemTime& time) {
  return DaysSinceEpoch(time) * 86400 + time.hour * 3600 + time.minute * 60 + time.second;
}

std::string TimeText(const SystemTime& time) {
  char text[64];
  std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", unsigned{time.year},
                unsigned{time.month}, unsigned{time.day}, unsigned{time.hour},
                unsigned{time.minute}, unsigned{time.second});
  return text;
}

std::filesystem::path BackupFolder(const std::filesystem::path& dataFolder) {
  return dataFolder / kBackupFolderName;
}

}  // namespace quidora::platform
