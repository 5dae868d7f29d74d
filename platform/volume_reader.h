// The object store's volume opened for reading only, by programs that run beside the device
// program (the command-line companion). Nothing here writes a byte of the volume, its log or
// its folder, and nothing waits for the device program: it may keep the volume open and write
// to it meanwhile.
//
// - A volume without a log beside it is read as an immutable file: no locks, no side files. The
//   device program may start and write to it during such a read; the file's stamp (inode,
//   size, times) taken before the read tells, and the read fails with ChangedWhileRead() set,
//   so the caller reads again with a new reader instead of calling the volume damaged.
// - A volume with a log (the device program runs, or one ended without tidying) is read
//   together with its log through SQLite's read-only mode, so changes not yet folded into the
//   file are seen. SQLite then uses the shared index file beside them (and may make it when it
//   is missing); it never writes the volume or its log, and never folds the log into the file.
// - All reads of one reader see one state of the volume: the reader holds one read
//   transaction from Open to its end.
// - Opening checks the file's header (SQLite, application, schema version) and the expected
//   tables, but not every page, which would take about a second for a million records. Damage
//   further in shows as a failed read (StoreError::Corrupt) of the database it lies in: SQLite
//   checks each page it reads, and a read that ends short of the database's record count (a
//   damaged page can look like the end of the database) fails too.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "platform/object_store.h"

namespace quidora::platform {

namespace detail {
class ReadOnlyVolume;
}

class VolumeReader {
 public:
  struct OpenResult {
    // Opened, or why the volume is refused: Unreadable, Damaged, Foreign or Newer.
    VolumeStatus status = VolumeStatus::Unreadable;
    bool missing = false;                  // there is no volume at all (status is then Unreadable)
    std::unique_ptr<VolumeReader> reader;  // set for Opened only
    std::string detail;                    // what the check found, for messages and logs
    // The refusal may come from a writer that changed the file while it was checked, not from
    // the file itself: open again before believing it.
    bool changedWhileRead = false;
  };

  static OpenResult Open(const std::filesystem::path& file);

  ~VolumeReader();
  VolumeReader(const VolumeReader&) = delete;
  VolumeReader& operator=(const VolumeReader&) = delete;

  // NoOrder: only from ReadOneValue, when the database keeps no order on that property.
  enum class ReadStatus : std::uint8_t { Read, NoDatabase, NoOrder, Failed };

  // Hands the stored properties of every record of the named database to `take`, in the order
  // a handle reads them (ascending key, equal keys in the order written, keyless records last).
  // The bytes are valid during the call only (see platform/property.h for their layout).
  // `take` returns false to stop early, which still counts as Read. Failed: LastError tells why.
  ReadStatus ReadDatabase(std::u16string_view name,
                          const std::function<bool(std::span<const std::uint8_t>)>& take);

  // As ReadDatabase, but only the records whose value in the database's second sort order on
  // `prop` is `value`, and after them every record whose properties cannot be decoded (which a
  // full read would meet too): a read that costs those records, in key order.
  ReadStatus ReadOneValue(std::u16string_view name, PropId prop, std::uint32_t value,
                          const std::function<bool(std::span<const std::uint8_t>)>& take);

  // As ObjectStore::ReadDateRange. NoOrder for a volume of a version before date orders, or a
  // database without one: the caller reads the whole database instead.
  RangeRead ReadDateRange(std::u16string_view name, const DateRange& range, const TakeDated& take);

  StoreError LastError() const { return lastError_; }

  // Whether something wrote to the volume's file since Open while it was read without locks.
  // A failed read with this set says nothing about the volume: read again with a new reader.
  bool ChangedWhileRead() const;

 private:
  // Looks a database up by name: SQLITE_ROW with its object identifier (and its record count)
  // when found, SQLITE_DONE when there is none, else SQLite's error.
  int FindDatabase(std::u16string_view name, std::int64_t& database,
                   std::int64_t* recordCount = nullptr);
  explicit VolumeReader(std::unique_ptr<detail::ReadOnlyVolume> volume);
  std::unique_ptr<detail::ReadOnlyVolume> volume_;
  StoreError lastError_ = StoreError::None;
};

}  // namespace quidora::platform
