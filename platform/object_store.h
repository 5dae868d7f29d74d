// The device's object store: named databases of records with typed properties, each kept in
// ascending order of property 0 (UI4), the key, and optionally in further sort orders on other
// UI4 properties, all in one SQLite file, the volume.
//
// Behaviour the storage layer relies on:
// - Records come back in ascending key order; records with equal keys in the order they were
//   first written; records without a UI4 property 0 after all others.
// - A database may keep second sort orders. A handle opened by one reads the records in
//   ascending order of that property's value, records with equal values in key order as above;
//   a record is placed by the last property with that identifier it holds (the value a reader
//   taking the properties in order ends with); records without it come after every value, and
//   records whose properties cannot be decoded after those. Every write keeps every order of its
//   database in the same transaction.
// - A handle has a current position. It starts at the first record; ReadRecord reads the record
//   there and moves on to the next one; the Seek calls move it. A record whose stored properties
//   cannot be decoded is reported (0, Undecodable) and passed over: the next read goes on after
//   it.
// - Every call that changes the volume is durable when it returns (WAL journal, synchronous=FULL)
//   unless it runs inside a Transaction, which then makes the whole group durable at its Commit.
// - Failures are results: 0 for an object identifier, false, or a status. Nothing throws.
//   A failed change leaves the volume as it was; only when the last step, the sync of the log,
//   fails may the change turn out stored after all, and then whole: never a part of it.
// - Opening checks the file's header, marks and tables. The whole-file check (quick_check, which
//   reads every page) runs only when a run changed the volume and did not end with
//   MarkCleanEnd: the first change of a run sets the mark "in use" in its own transaction,
//   MarkCleanEnd clears it. A run that only reads cannot damage the volume and leaves the mark
//   as it was. Damage that appears while no program runs is found by SQLite as it reads.
// - Free keys are found from a list of the runs of taken keys, kept by every write: the cost of
//   FirstFreeKey does not grow with the number of records.
//
// Volume layout (schema version 2, application_id 0x51554944, "QUID"):
//
//   CREATE TABLE databases(oid INTEGER PRIMARY KEY, name BLOB NOT NULL UNIQUE,
//                          type INTEGER NOT NULL, sort_prop INTEGER NOT NULL,
//                          record_count INTEGER NOT NULL);
//   CREATE TABLE records(db INTEGER NOT NULL, skey INTEGER NOT NULL, oid INTEGER NOT NULL,
//                        props BLOB NOT NULL, PRIMARY KEY(db, skey, oid)) WITHOUT ROWID;
//   CREATE UNIQUE INDEX records_by_oid ON records(oid);
//   CREATE TABLE oid_counter(next INTEGER NOT NULL);   -- one row; oids are never reused
//   -- since version 2:
//   CREATE TABLE sort_orders(db INTEGER NOT NULL, prop INTEGER NOT NULL,
//                            PRIMARY KEY(db, prop)) WITHOUT ROWID;
//   CREATE TABLE ordered_records(db INTEGER NOT NULL, prop INTEGER NOT NULL,
//                                value INTEGER NOT NULL, skey INTEGER NOT NULL,
//                                oid INTEGER NOT NULL, props BLOB NOT NULL,
//                                PRIMARY KEY(db, prop, value, skey, oid)) WITHOUT ROWID;
//   CREATE INDEX ordered_records_by_oid ON ordered_records(oid);
//   CREATE TABLE key_runs(db INTEGER NOT NULL, first INTEGER NOT NULL, last INTEGER NOT NULL,
//                         PRIMARY KEY(db, first)) WITHOUT ROWID;
//   CREATE TABLE volume_state(clean_end INTEGER NOT NULL);   -- one row
//   -- since version 3:
//   CREATE TABLE date_orders(db INTEGER PRIMARY KEY, grp INTEGER NOT NULL,
//                            year INTEGER NOT NULL, month INTEGER NOT NULL,
//                            day INTEGER NOT NULL, carried BLOB NOT NULL);
//   CREATE TABLE dated_records(db INTEGER NOT NULL, grp INTEGER NOT NULL, date INTEGER NOT NULL,
//                              skey INTEGER NOT NULL, oid INTEGER NOT NULL,
//                              carried BLOB NOT NULL,
//                              PRIMARY KEY(db, grp, date, skey, oid)) WITHOUT ROWID;
//
// `name` is the database name as UTF-16LE bytes. `skey` is the record's key (0..2^32-1) or 2^32
// for a record without one, so the primary key is the read order and a full read of a database is
// one forward walk of one b-tree: SELECT oid, props FROM records WHERE db = ? ORDER BY skey, oid.
// `props` holds the record's properties as described in platform/property.h.
// A second sort order keeps a copy of each record of its database in `ordered_records`, placed by
// `value`: the property's value, 2^32 when the record lacks it, 2^32 + 1 when its properties
// cannot be decoded. Reading one value's records is then one short forward walk.
// A date order keeps a place for each record of its database in `dated_records`: `grp` as a
// second sort order's value on the group property, `date` the date number (0 for a date a
// record refuses and for an undecodable record) and `carried` the last value of each carried
// property (identifiers listed in date_orders.carried, 4 bytes little-endian each), one varint
// a property: 0 when the record lacks it, else value + 1. A range of dates of one group is then
// one short forward walk that reads little more than it answers.
// `key_runs` holds, per database, every maximal run first..last of consecutive keys that records
// hold. `clean_end` is 0 from a run's first change until it calls MarkCleanEnd.
//
// Older volumes (without the tables marked "since version 2" or "since version 3") are upgraded
// in one transaction when opened for writing, together with the sort and date orders the open
// asks for, and read as they are when opened read-only.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

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
  NotFound,     // no such database or record
  Full,         // the disk is full
  Io,           // the device failed a read, write or sync
  Corrupt,      // the volume's contents are damaged
  Undecodable,  // a record's stored properties cannot be decoded; a read passes over it
  Misuse,       // closed handle, transaction scopes ended out of order, oid space exhausted
  Other,
};

// Outcome of opening the volume. Only Opened and Created come with a store. Every refusal leaves
// the file exactly as it was: nothing is written, created beside it or deleted.
enum class VolumeStatus : std::uint8_t {
  Opened,         // an existing volume passed its checks (and was upgraded when it was older)
  Created,        // there was no volume; a new empty one was made (folder 0700, file 0600)
  Unreadable,     // the file or its folder cannot be read or written (permissions, read-only
                  // folder, not a regular file, ...)
  Damaged,        // not a readable SQLite file (random bytes, truncated, zero length) or it fails
                  // its integrity check or lacks the expected tables
  Foreign,        // a SQLite file of another program
  Newer,          // a volume of a later schema version
  CreateFailed,   // there was no volume and making one failed (the partial file is removed)
  UpgradeFailed,  // an older volume could not be brought up to date; it is left as it was
  Missing,        // opened read-only, and there is no volume
};

std::string_view ToString(VolumeStatus status);

// Why a volume was refused, in terms a user can act on: the status says what happened, this
// says what to do about it. `OpenResult::subject` names the file or folder concerned.
enum class VolumeProblem : std::uint8_t {
  None,
  NotAFile,     // the path names a folder or a special file
  NoAccess,     // permission denied on the file or a folder on its path
  ReadOnly,     // the file or its folder cannot be written
  Empty,        // a file of zero length
  NotAStore,    // not a SQLite file, or the file of another program
  Damaged,      // a volume, but damaged or unfinished
  Newer,        // a volume written by a later version
  NoSpace,      // the disk is full
  PathTooLong,  // the path is longer than the system or SQLite take
  Missing,      // there is no volume (read-only open)
  Other,
};

enum class OpenStatus : std::uint8_t { Opened, NotFound, Failed };

// A date order: the records of a database placed by the last value of the `group` property (as
// a second sort order on it places them), then by the date number yyyymmdd that their last
// `year`, `month` and `day` properties make (0 for a date a record refuses), then in key order.
// It keeps a copy of the last value of each `carried` property (UI4 identifiers) only, so a read
// of a range of dates that needs no more than those costs the range.
struct DateOrder {
  PropId group = 0;
  PropId year = 0;
  PropId month = 0;
  PropId day = 0;
  std::vector<PropId> carried;
  friend bool operator==(const DateOrder&, const DateOrder&) = default;
};

// Which records a date-range read hands over: those of one group (every group when not given)
// whose date number lies in first..last, both included.
struct DateRange {
  std::optional<std::uint32_t> group;
  std::uint32_t first = 0;
  std::uint32_t last = 0xFFFFFFFF;
  // True: each record's whole stored properties (one lookup a record); false: only the carried
  // ones.
  bool whole = true;
};

// One record of a date-range read. `bytes` are valid during the call only.
struct DatedRecord {
  std::optional<std::uint32_t> group;  // nothing when the record lacks the group property
  bool undecodable = false;  // its stored properties cannot be decoded; `bytes` are them all
  std::uint32_t date = 0;
  // Where the record stands in key order (its sort key, then its identifier): a caller that
  // needs the full walk's order back within a group sorts by these.
  std::int64_t sortKey = 0;
  Oid oid = 0;
  std::span<const std::uint8_t> bytes;
};

enum class RangeRead : std::uint8_t {
  Read,
  NoDatabase,  // no database has that name
  NoOrder,     // the database (or the volume, of an older version) keeps no date order
  Failed,
};

// Hands records to a caller; returning false stops the read (which still counts as Read).
using TakeDated = std::function<bool(const DatedRecord&)>;

struct DatabaseInfo {
  Oid oid = 0;
  std::u16string name;
  std::uint32_t type = 0;
  PropId sortProp = kKeyPropId;
  std::uint32_t recordCount = 0;
  std::vector<PropId> moreSortOrders;  // second sort orders, ascending by identifier
  std::optional<DateOrder> dateOrder;
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
  // The sort order the handle reads in: kKeyPropId or one of the database's second orders.
  PropId SortProp() const;

  // Moves to the record with this object identifier. Returns it, or 0 when the database holds no
  // such record (the position is then unchanged).
  Oid SeekToRecord(Oid record);
  // Moves to the first record in the handle's sort order whose value of that order's property
  // (the key, for the key order) equals `value`. Returns its object identifier, or 0 when there
  // is none (the position is then unchanged).
  Oid SeekFirstEqual(std::uint32_t value);

  // Reads every property of the record at the current position into `out` (reusing its storage)
  // and moves to the next record. Returns the record's object identifier; 0 after the last
  // record (NotFound) or on failure (LastError tells which). A record that cannot be decoded
  // gives 0 with Undecodable, and the position moves past it.
  Oid ReadRecord(Record& out);
  // As ReadRecord, but only while the record at the position has `value` in the handle's sort
  // order: for another value, 0 with NotFound and the position stays where it is.
  Oid ReadRecordEqual(std::uint32_t value, Record& out);
  // On a handle of a second sort order: whether the database holds records whose properties
  // cannot be decoded (so no order can place them by value). nullopt on failure or on a handle
  // of the key order.
  std::optional<bool> HoldsUndecodable();

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
  // The first key from `start` to `last` that no record holds, else the first from 0 on below
  // `start`; nullopt when every key of 0..last is held or on failure. A few lookups whatever
  // the number of records. Does not move the position.
  std::optional<std::uint32_t> FirstFreeKey(std::uint32_t start, std::uint32_t last);

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

// A second sort order that a database of this name keeps.
struct SortOrderWanted {
  std::u16string database;
  PropId prop = 0;
};

// A date order that a database of this name keeps.
struct DateOrderWanted {
  std::u16string database;
  DateOrder order;
};

struct VolumeOptions {
  // Only read: nothing is created, upgraded, marked or written, and every change fails
  // (Misuse). A version 1 volume is read as it is, without second sort orders. Safe while
  // another program has the volume open for writing.
  bool readOnly = false;
  // Opening for writing gives every existing database named here the sort order it lacks, in
  // the transaction that opens (and, for an older volume, upgrades) the volume.
  std::vector<SortOrderWanted> sortOrders;
  // Likewise for date orders: an existing database named here that keeps no date order gets
  // this one (a database keeps one date order at most).
  std::vector<DateOrderWanted> dateOrders;
  // Sits under every file operation of this store (tests only).
  IoFaults* faults = nullptr;
};

class ObjectStore {
 public:
  struct OpenResult {
    VolumeStatus status = VolumeStatus::CreateFailed;
    std::unique_ptr<ObjectStore> store;  // set for Opened and Created only
    std::string detail;                  // what the check found, for logs
    VolumeProblem problem = VolumeProblem::None;
    std::filesystem::path subject;  // the file or folder that `problem` is about
  };

  // Opens the volume at `file`, creating it when it does not exist (unless read-only); see
  // VolumeStatus and VolumeOptions.
  static OpenResult OpenVolume(const std::filesystem::path& file, const VolumeOptions& options);
  static OpenResult OpenVolume(const std::filesystem::path& file, IoFaults* faults = nullptr);

  ~ObjectStore();
  ObjectStore(const ObjectStore&) = delete;
  ObjectStore& operator=(const ObjectStore&) = delete;

  // Creates an empty database kept in order of `sortProp` and, when given, of each of
  // `moreSortOrders` (UI4 identifiers other than `sortProp`). Returns its object identifier; 0
  // when the name is taken, an order is not a UI4 identifier, or on failure.
  // With `dateOrder`, the database keeps that date order too.
  Oid CreateDatabase(std::u16string_view name, std::uint32_t type = 0, PropId sortProp = kKeyPropId,
                     std::span<const PropId> moreSortOrders = {},
                     const DateOrder* dateOrder = nullptr);

  // Opens a database by name, positioned at its first record in the order of `sortProp`.
  // NotFound when no database has that name; Failed when the volume cannot be read or the
  // database keeps no order on `sortProp` (LastError Misuse).
  OpenedDatabase OpenDatabase(std::u16string_view name, PropId sortProp = kKeyPropId);

  // Information on a database by its object identifier; nullopt when there is none or on failure.
  std::optional<DatabaseInfo> GetDatabaseInfo(Oid database);

  // Deletes a database and all its records. False when there is none or on failure.
  bool DeleteDatabase(Oid database);

  // Reads the records of the named database that `range` selects through its date order: group
  // by group in ascending order, each group's records by date, equal dates in key order; then,
  // whatever the range, every record whose properties cannot be decoded (no order can place
  // them, and a full read would meet them). Ends reads in progress.
  RangeRead ReadDateRange(std::u16string_view database, const DateRange& range,
                          const TakeDated& take);

  // Starts a transaction scope (nested inside one that is active). When the start fails, the
  // scope is inactive and Commit returns false.
  Transaction BeginTransaction();

  // SQLite's full integrity check of the volume, and every second sort order, date order and
  // list of taken keys against the records: true when all agree and SQLite reports no problem.
  bool CheckIntegrity();

  // Marks the run as ended cleanly: the next open skips the whole-file check. A later change
  // through this store sets the mark "in use" again. False when it cannot be stored.
  bool MarkCleanEnd();

  bool IsReadOnly() const;

  // After damage was found while the store is open: nothing is written to the file any more
  // (writes fail with Corrupt; closing leaves the log as it is).
  void RefuseWrites();
  bool WritesRefused() const;

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
