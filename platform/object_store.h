// The device's object store: named databases of records with typed properties, each with one
// ascending sort order on property 0 (UI4), all kept in one SQLite file, the volume.
//
// Behaviour the storage layer relies on:
// - Records come back in ascending key order; records with equal keys in the order they were
//   first written; records without a UI4 property 0 after all others.
// - A handle has a current position. It starts at the first record; ReadRecord reads the record
//   there and moves on to the next one; the Seek calls move it.
// - Every call that changes the volume is durable when it returns (WAL journal, synchronous=FULL)
//   unless it runs inside a Transaction, which then makes the whole group durable at its Commit.
// - Failures are results: 0 for an object identifier, false, or a status. Nothing throws.
//   A failed change leaves the volume as it was; only when the last step, the sync of the log,
//   fails may the change turn out stored after all, and then whole: never a part of it.
// - Opening checks the whole file (quick_check): about 1 s for a volume of a million records.
//   Reading a database from start to end is about 1.3 to 1.5 times ScanWithPlainSqlite below.
//
// Volume layout (schema version 1, application_id 0x51554944, "QUID"):
//
//   CREATE TABLE databases(oid INTEGER PRIMARY KEY, name BLOB NOT NULL UNIQUE,
//                          type INTEGER NOT NULL, sort_prop INTEGER NOT NULL,
//                          record_count INTEGER NOT NULL);
//   CREATE TABLE records(db INTEGER NOT NULL, skey INTEGER NOT NULL, oid INTEGER NOT NULL,
//                        props BLOB NOT NULL, PRIMARY KEY(db, skey, oid)) WITHOUT ROWID;
//   CREATE UNIQUE INDEX records_by_oid ON records(oid);
//   CREATE TABLE oid_counter(next INTEGER NOT NULL);   -- one row; oids are never reused
//
// `name` is the database name as UTF-16LE bytes. `skey` is the record's key (0..2^32-1) or 2^32
// for a record without one, so the primary key is the read order and a full read of a database is
// one forward walk of one b-tree: SELECT oid, props FROM records WHERE db = ? ORDER BY skey, oid.
// `props` holds the record's properties as described in platform/property.h.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/property.h"

namespace quidora::platform {

class IoFaults;
namespace detail {
class Volume;
class Cursor;
}  // namespace detail

// What went wrong in the last failed call of a store (for logs and tests; the user-facing
// messages are the storage layer's).
enum class StoreError : std::uint8_t {
  None,
  NotFound,  // no such database or record
  Full,      // the disk is full
  Io,        // the device failed a read, write or sync
  Corrupt,   // the volume's contents are damaged
  Misuse,    // closed handle, transaction scopes ended out of order, oid space exhausted
  Other,
};

// Outcome of opening the volume. Only Opened and Created come with a store. Every refusal leaves
// the file exactly as it was: nothing is written, created beside it or deleted.
enum class VolumeStatus : std::uint8_t {
  Opened,        // an existing volume passed its checks
  Created,       // there was no volume; a new empty one was made (folder 0700, file 0600)
  Unreadable,    // the file or its folder cannot be read (permissions, not a regular file, ...)
  Damaged,       // not a readable SQLite file (random bytes, truncated, zero length) or it fails
                 // its integrity check or lacks the expected tables
  Foreign,       // a SQLite file of another program
  Newer,         // a volume of a later schema version
  CreateFailed,  // there was no volume and making one failed (the partial file is removed)
};

std::string_view ToString(VolumeStatus status);

enum class OpenStatus : std::uint8_t { Opened, NotFound, Failed };

struct DatabaseInfo {
  Oid oid = 0;
  std::u16string name;
  std::uint32_t type = 0;
  PropId sortProp = kKeyPropId;
  std::uint32_t recordCount = 0;
};

// An open database: a current position and the operations on records. Movable, not copyable;
// closed by Close() or when destroyed. It keeps the volume's connection alive on its own, so it
// may outlive the ObjectStore it came from. A handle to a database that has since been deleted
// fails every call.
class DatabaseHandle {
 public:
  DatabaseHandle();
  ~DatabaseHandle();
  DatabaseHandle(DatabaseHandle&&) noexcept;
  DatabaseHandle& operator=(DatabaseHandle&&) noexcept;

  bool IsOpen() const;
  void Close();
  Oid DatabaseOid() const;

  // Moves to the record with this object identifier. Returns it, or 0 when the database holds no
  // such record (the position is then unchanged).
  Oid SeekToRecord(Oid record);
  // Moves to the first record in sort order whose key equals `key`. Returns its object
  // identifier, or 0 when there is none (the position is then unchanged).
  Oid SeekFirstEqual(std::uint32_t key);

  // Reads every property of the record at the current position into `out` (reusing its storage)
  // and moves to the next record. Returns the record's object identifier; 0 after the last
  // record or on failure (LastError tells which).
  Oid ReadRecord(Record& out);

  // Writes a new record (record == 0) or over an existing one. Over an existing record, each
  // given property replaces the stored property with the same identifier (in its place) and
  // properties not stored yet are appended; other stored properties are kept. Returns the
  // record's object identifier, 0 on failure (nothing changed then).
  Oid WriteRecord(Oid record, std::span<const PropValue> props);

  bool DeleteRecord(Oid record);

  // Number of records; nullopt on failure.
  std::optional<std::uint32_t> RecordCount();
  // Whether a record with this key is stored; nullopt on failure. Does not move the position.
  std::optional<bool> ContainsKey(std::uint32_t key);

  StoreError LastError() const;

 private:
  friend class ObjectStore;
  explicit DatabaseHandle(std::unique_ptr<detail::Cursor> cursor);
  std::unique_ptr<detail::Cursor> cursor_;
};

struct OpenedDatabase {
  OpenStatus status = OpenStatus::Failed;
  Oid oid = 0;
  DatabaseHandle handle;
};

// A group of changes that is stored all or nothing, with one sync at the outermost Commit.
// Scopes nest: an inner scope is a savepoint, so its Rollback undoes only its own changes.
// Destroying a scope that was not committed rolls it back. Scopes must end in reverse order of
// their start; Commit of a scope that is not the innermost one fails.
// When a write fails with a full disk or an I/O error, SQLite may already have rolled back the
// whole outermost transaction; every later Commit of that group then returns false.
class Transaction {
 public:
  Transaction();
  ~Transaction();
  Transaction(Transaction&&) noexcept;
  Transaction& operator=(Transaction&&) noexcept;

  // Whether the scope began and has not ended yet.
  bool IsActive() const;
  // True when the changes are stored (outermost: durable on disk; inner: folded into the outer).
  bool Commit();
  void Rollback();

 private:
  friend class ObjectStore;
  friend class DatabaseHandle;
  Transaction(std::shared_ptr<detail::Volume> volume, int depth);
  std::shared_ptr<detail::Volume> volume_;
  int depth_ = 0;
};

class ObjectStore {
 public:
  struct OpenResult {
    VolumeStatus status = VolumeStatus::CreateFailed;
    std::unique_ptr<ObjectStore> store;  // set for Opened and Created only
    std::string detail;                  // what the check found, for logs
  };

  // Opens the volume at `file`, creating it when it does not exist; see VolumeStatus. `faults`,
  // when given, sits under every file operation of this store (tests only).
  static OpenResult OpenVolume(const std::filesystem::path& file, IoFaults* faults = nullptr);

  ~ObjectStore();
  ObjectStore(const ObjectStore&) = delete;
  ObjectStore& operator=(const ObjectStore&) = delete;

  // Creates an empty database. Only one sort order is kept, on `sortProp`. Returns its object
  // identifier; 0 when the name is taken or on failure.
  Oid CreateDatabase(std::u16string_view name, std::uint32_t type = 0,
                     PropId sortProp = kKeyPropId);

  // Opens a database by name, positioned at its first record. NotFound when no database has that
  // name; Failed when the volume cannot be read or `sortProp` is not the database's sort order.
  OpenedDatabase OpenDatabase(std::u16string_view name, PropId sortProp = kKeyPropId);

  // Information on a database by its object identifier; nullopt when there is none or on failure.
  std::optional<DatabaseInfo> GetDatabaseInfo(Oid database);

  // Deletes a database and all its records. False when there is none or on failure.
  bool DeleteDatabase(Oid database);

  // Starts a transaction scope (nested inside one that is active). When the start fails, the
  // scope is inactive and Commit returns false.
  Transaction BeginTransaction();

  // SQLite's full integrity check of the volume: true when it reports no problem.
  bool CheckIntegrity();

  StoreError LastError() const;

 private:
  explicit ObjectStore(std::shared_ptr<detail::Volume> volume);
  std::shared_ptr<detail::Volume> volume_;
};

// A plain SQLite read of the same columns a full database read uses, for benchmarks to compare
// against: opens `file` read-only, walks every record of the named database in key order and
// touches each props blob. Returns the number of records, nullopt on failure.
struct BaselineScan {
  std::uint64_t records = 0;
  std::uint64_t bytes = 0;  // sum of the props blob sizes, so the read cannot be skipped
};
std::optional<BaselineScan> ScanWithPlainSqlite(const std::filesystem::path& file,
                                                std::u16string_view database);

}  // namespace quidora::platform
