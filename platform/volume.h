// The object store's volume (inside platform/ only): the connection, its settings and prepared
// statements, the transaction scopes, the mark of a clean end and the upkeep of the second sort
// orders. ObjectStore, DatabaseHandle and Transaction are thin callers of it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/key_runs.h"
#include "platform/object_store.h"
#include "platform/sqlite_wrapper.h"
#include "platform/volume_file.h"

namespace quidora::platform::detail {

inline constexpr std::int64_t kMaxOid = 0xFFFFFFFF;

// A database name as it is stored: UTF-16LE bytes.
std::vector<std::uint8_t> NameBytes(std::u16string_view name);
std::u16string NameFromBytes(std::span<const std::uint8_t> bytes);

inline bool IsUi4(PropId prop) {
  return PropType(prop) == kTypeUi4;
}

// A scope around one statement's use: resets it when left, whatever happened.
class StatementUse {
 public:
  explicit StatementUse(sql::Statement& statement) : statement_(statement) {}
  ~StatementUse() { statement_.Reset(); }
  StatementUse(const StatementUse&) = delete;
  StatementUse& operator=(const StatementUse&) = delete;

 private:
  sql::Statement& statement_;
};

// Why opening the connection failed, for OpenResult.
struct OpenFailure {
  int rc = SQLITE_OK;
  int systemErrno = 0;
  std::string detail;
};

class Cursor;

class Volume {
 public:
  sql::Connection db;
  StoreError lastError = StoreError::None;

  // Opens for writing a volume that passed CheckVolumeFile (of version `version`), upgrades it
  // when it is older, gives the wanted databases their sort orders and marks it in use, all in
  // one transaction.
  bool Open(const std::filesystem::path& file, const VolumeOptions& options, std::uint32_t version,
            OpenFailure& failure);
  // Opens for reading only.
  bool OpenReadOnly(const std::filesystem::path& file, std::uint32_t version, OpenFailure& failure);
  bool ReadOnly() const { return readOnly_; }
  // Damage found while the volume is open: every later write is refused, and closing leaves the
  // log beside the file instead of folding it in, so the damaged file is never written again.
  void RefuseWrites();
  bool WritesRefused() const { return writesRefused_; }
  // Whether the volume has the tables of second sort orders and key runs (always, unless a
  // version 1 volume was opened read-only).
  bool HasOrders() const { return version_ >= 2; }
  // Whether it has the tables of date orders (always, unless an older volume was opened
  // read-only).
  bool HasDateOrders() const { return version_ >= 3; }

  // Every read in progress ends before anything writes: a pending read would hold the
  // connection's read transaction open, keep an autocommit write from committing and see the
  // table change under it.
  void EndReads();
  void Register(Cursor* cursor) { cursors_.push_back(cursor); }
  void Unregister(Cursor* cursor) { std::erase(cursors_, cursor); }

  // Transaction scopes: depth 1 is BEGIN IMMEDIATE ... COMMIT, deeper ones are savepoints.
  int Begin();
  bool Commit(int depth);
  void Rollback(int depth);
  int Depth() const { return depth_; }

  // Records `rc` as the last error when it is one; after a failure inside a transaction, notes
  // whether SQLite rolled the whole transaction back. True when rc is a success code.
  bool Check(int rc);
  bool Fail(StoreError error) {
    lastError = error;
    return false;
  }

  std::optional<Oid> NextOid();

  // The second sort orders of database `db`; nullopt on failure.
  std::optional<std::vector<PropId>> OrdersOf(Oid database);
  // Stores the copies of a record for each of `orders` (`decoded` false: its bytes could not
  // be decoded into `props`).
  bool AddCopies(Oid database, const std::vector<PropId>& orders, std::int64_t skey, Oid oid,
                 std::span<const std::uint8_t> bytes, bool decoded,
                 std::span<const PropValue> props);
  bool InsertCopy(Oid database, PropId prop, std::int64_t value, std::int64_t skey, Oid oid,
                  std::span<const std::uint8_t> bytes);
  bool DeleteCopies(Oid oid);
  // After a record was rewritten: its copy in the order on `prop` follows it, rewritten in
  // place when its place (value and key) is the same.
  bool MoveCopy(Oid database, PropId prop, std::int64_t oldValue, std::int64_t oldSkey,
                std::int64_t skey, Oid oid, std::span<const std::uint8_t> bytes,
                std::int64_t value);
  // Gives `database` a second sort order on `prop` with a copy of each record. Inside a
  // transaction.
  bool AddSortOrder(Oid database, PropId prop);
  // Whether the database keeps an order on `prop` (the key order or a second one); nullopt on
  // failure.
  std::optional<bool> KeepsOrder(Oid database, PropId primary, PropId prop);

  // The date order of `database`: nothing inside when it keeps none; nullopt on failure.
  std::optional<std::optional<DateOrder>> DateOrderOf(Oid database);
  // Gives `database` the date order with a place for each record. Inside a transaction.
  bool AddDateOrder(Oid database, const DateOrder& order);
  // A record's place in the date order: stored, removed (found wherever it is when it is not
  // where its properties say), and moved after a rewrite.
  bool PlaceDated(Oid database, const DateOrder& order, std::int64_t skey, Oid oid, bool decoded,
                  std::span<const PropValue> props);
  bool UnplaceDated(Oid database, const DateOrder& order, std::int64_t skey, Oid oid, bool decoded,
                    std::span<const PropValue> props);
  bool MoveDated(Oid database, const DateOrder& order, std::int64_t oldSkey,
                 std::span<const PropValue> oldProps, std::int64_t skey, Oid oid,
                 std::span<const PropValue> props);
  // The wanted date orders that existing databases lack.
  std::optional<std::vector<std::pair<Oid, DateOrder>>> MissingDateOrders(
      const VolumeOptions& options);

  // After MarkCleanEnd: the next change sets the mark "in use" again first.
  bool MarkClean();
  // The wanted sort orders that existing databases lack: (database, property).
  std::optional<std::vector<std::pair<Oid, PropId>>> MissingOrders(const VolumeOptions& options);

  sql::Statement nextOid;
  sql::Statement insertRecord;
  sql::Statement selectRecord;
  sql::Statement updateRecord;
  sql::Statement updateProps;
  sql::Statement deleteRecord;
  sql::Statement adjustCount;
  sql::Statement firstWithKey;
  sql::Statement databaseByName;
  sql::Statement databaseByOid;
  sql::Statement insertDatabase;
  sql::Statement deleteDatabaseRecords;
  sql::Statement deleteDatabase;
  // Since version 2.
  sql::Statement ordersOf;
  sql::Statement insertOrder;
  sql::Statement insertCopy;
  sql::Statement deleteCopies;
  sql::Statement updateCopy;
  sql::Statement deleteCopy;
  sql::Statement deleteCopyOf;
  sql::Statement copyOf;
  sql::Statement firstWithValue;
  sql::Statement anyWithValue;
  sql::Statement deleteDatabaseCopies;
  sql::Statement deleteDatabaseOrders;
  sql::Statement deleteDatabaseRuns;
  sql::Statement recordsOf;
  // Since version 3.
  sql::Statement dateOrderOf;
  sql::Statement insertDateOrder;
  sql::Statement insertDated;
  sql::Statement updateDated;
  sql::Statement deleteDated;
  sql::Statement deleteDatedOf;
  sql::Statement deleteDatabaseDated;
  sql::Statement deleteDatabaseDateOrder;
  sql::Statement markInUse;
  sql::Statement markClean;
  KeyRuns runs;

 private:
  bool Exec(const char* sql) { return Check(db.Exec(sql)); }
  bool Settings(OpenFailure& failure);
  bool PrepareStatements(OpenFailure& failure);
  // A failed step seen by Check is the one to tell: the statements reset on the way out (a
  // loop's read statement, for one) clear SQLite's own error before it can be read here.
  bool Fill(OpenFailure& failure, const std::string& what, int rc) {
    const int code = rc & 0xFF;
    const bool cleared = code == SQLITE_OK || code == SQLITE_ROW || code == SQLITE_DONE;
    if (cleared && firstFailure_.rc != SQLITE_OK) {
      failure.rc = firstFailure_.rc;
      failure.systemErrno = firstFailure_.systemErrno;
      failure.detail = what + ": " + firstFailure_.detail;
      return false;
    }
    failure.rc = rc;
    failure.systemErrno = db.SystemErrno();
    failure.detail = what + ": " + db.ErrorMessage();
    return false;
  }
  OpenFailure firstFailure_;  // while opening: the first step that failed

  std::vector<Cursor*> cursors_;
  int depth_ = 0;
  bool rolledBack_ = false;  // SQLite ended the outermost transaction on its own after an error
  bool readOnly_ = false;
  bool markedClean_ = false;
  bool writesRefused_ = false;
  std::uint32_t version_ = kSchemaVersion;
};

// Whether the second sort orders, the key runs and (with `dateOrders`) the date orders of every
// database say what its records say.
bool OrdersAndRunsAgree(sql::Connection& db, bool dateOrders);

}  // namespace quidora::platform::detail
