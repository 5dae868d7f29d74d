#include "platform/object_store.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <vector>

#include "platform/io_faults.h"
#include "platform/key_runs.h"
#include "platform/sqlite_wrapper.h"
#include "platform/volume_file.h"

namespace quidora::platform {
namespace detail {
namespace {

// Records without a key sort after every key.
constexpr std::int64_t kNoKeySort = std::int64_t{1} << 32;
constexpr std::int64_t kMaxOid = 0xFFFFFFFF;

// The page cache holds the upper levels of the trees and the pages a group of writes changes.
// Records are read in long runs (an account's records, a full walk) that gain nothing from
// being kept: a larger cache only makes each run allocate and fault in fresh pages. Measured at
// a million records in a fresh process, first paint took 154 ms with 16 MiB and 124 ms with
// 2 MiB or 1 MiB, while adds, renames and range deletions cost the same.
constexpr int kPageCacheKib = 2 * 1024;

std::int64_t SortValue(std::span<const PropValue> props) {
  const SortKey key = SortKeyOf(props);
  return key.present ? std::int64_t{key.value} : kNoKeySort;
}

std::vector<std::uint8_t> NameBytes(std::u16string_view name) {
  std::vector<std::uint8_t> bytes;
  bytes.reserve(name.size() * 2);
  for (char16_t unit : name) {
    bytes.push_back(static_cast<std::uint8_t>(unit));
    bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
  }
  return bytes;
}

std::u16string NameFromBytes(std::span<const std::uint8_t> bytes) {
  std::u16string name(bytes.size() / 2, u'\0');
  for (std::size_t i = 0; i < name.size(); ++i) {
    name[i] = static_cast<char16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
  }
  return name;
}

StoreError ErrorOf(int rc) {
  switch (rc & 0xFF) {
    case SQLITE_OK:
    case SQLITE_ROW:
    case SQLITE_DONE:
      return StoreError::None;
    case SQLITE_FULL:
      return StoreError::Full;
    case SQLITE_IOERR:
    case SQLITE_CANTOPEN:
    case SQLITE_READONLY:
      return StoreError::Io;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
      return StoreError::Corrupt;
    case SQLITE_MISUSE:
      return StoreError::Misuse;
    default:
      return StoreError::Other;
  }
}

// Merges a write over a stored record: each given property replaces the first stored one with
// its identifier that this write has not replaced yet; the rest are appended.
void MergeInto(Record& stored, std::span<const PropValue> props) {
  std::vector<bool> replaced(stored.size(), false);
  for (const PropValue& prop : props) {
    bool placed = false;
    for (std::size_t i = 0; i < stored.size() && !placed; ++i) {
      if (!replaced[i] && stored[i].id == prop.id) {
        stored[i] = prop;
        replaced[i] = true;
        placed = true;
      }
    }
    if (!placed) {
      stored.push_back(prop);
      replaced.push_back(true);
    }
  }
}

bool IsUi4(PropId prop) {
  return PropType(prop) == kTypeUi4;
}

}  // namespace

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
  // Whether the volume has the tables of second sort orders and key runs (always, unless a
  // version 1 volume was opened read-only).
  bool HasOrders() const { return version_ >= 2; }

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
  sql::Statement markInUse;
  sql::Statement markClean;
  KeyRuns runs;

 private:
  bool Exec(const char* sql) { return Check(db.Exec(sql)); }
  bool Settings(OpenFailure& failure);
  bool PrepareStatements(OpenFailure& failure);
  bool Fill(OpenFailure& failure, const std::string& what, int rc) {
    failure.rc = rc;
    failure.systemErrno = db.SystemErrno();
    failure.detail = what + ": " + db.ErrorMessage();
    return false;
  }

  std::vector<Cursor*> cursors_;
  int depth_ = 0;
  bool rolledBack_ = false;  // SQLite ended the outermost transaction on its own after an error
  bool readOnly_ = false;
  bool markedClean_ = false;
  std::uint32_t version_ = kSchemaVersion;
};

// A handle's reading state. The position is the last (value, skey, oid) read or sought before;
// in the key order the value is the skey.
class Cursor {
 public:
  Cursor(std::shared_ptr<Volume> volume, Oid database, PropId prop, bool secondary)
      : volume_(std::move(volume)), db_(database), prop_(prop), secondary_(secondary) {
    volume_->Register(this);
  }
  ~Cursor() { volume_->Unregister(this); }
  Cursor(const Cursor&) = delete;
  Cursor& operator=(const Cursor&) = delete;

  bool Prepare() {
    return volume_->Check(scan_.Prepare(
        volume_->db, secondary_
                         ? "SELECT value, skey, oid, props FROM ordered_records"
                           " WHERE db = ?1 AND prop = ?2 AND (value, skey, oid) > (?3, ?4, ?5)"
                           " ORDER BY value, skey, oid"
                         : "SELECT skey, skey, oid, props FROM records"
                           " WHERE db = ?1 AND (skey, oid) > (?4, ?5) ORDER BY skey, oid"));
  }

  void EndRead() {
    if (scanning_) {
      scan_.Reset();
      scanning_ = false;
    }
  }

  Volume& volume() { return *volume_; }
  const std::shared_ptr<Volume>& sharedVolume() const { return volume_; }
  Oid database() const { return db_; }
  PropId prop() const { return prop_; }
  bool secondary() const { return secondary_; }

  // The next read returns the first record after (value, skey, oid) in read order.
  void PlaceBefore(std::int64_t value, std::int64_t skey, Oid oid) {
    EndRead();
    value_ = value;
    skey_ = skey;
    oid_ = static_cast<std::int64_t>(oid) - 1;
  }

  Oid Read(Record& out, std::optional<std::int64_t> onlyValue) {
    if (!scanning_) {
      scan_.Bind(1, db_);
      scan_.Bind(2, prop_);
      scan_.Bind(3, value_);
      scan_.Bind(4, skey_);
      scan_.Bind(5, oid_);
      scanning_ = true;
    }
    const int rc = scan_.Step();
    if (rc != SQLITE_ROW) {
      EndRead();
      if (rc == SQLITE_DONE) {
        error_ = StoreError::NotFound;
      } else {
        volume_->Check(rc);
        error_ = volume_->lastError;
      }
      return 0;
    }
    const std::int64_t value = scan_.ColumnInt64(0);
    if (onlyValue && value != *onlyValue) {
      EndRead();  // the position stays before this record
      error_ = StoreError::NotFound;
      return 0;
    }
    value_ = value;
    skey_ = scan_.ColumnInt64(1);
    oid_ = scan_.ColumnInt64(2);
    // An undecodable record is passed over: the scan stays on it, so the next read goes on.
    if (!DecodeRecord(scan_.ColumnBlob(3), out)) {
      error_ = StoreError::Undecodable;
      return 0;
    }
    error_ = StoreError::None;
    return static_cast<Oid>(oid_);
  }

  StoreError error_ = StoreError::None;

 private:
  std::shared_ptr<Volume> volume_;
  Oid db_;
  PropId prop_;
  bool secondary_;
  sql::Statement scan_;
  bool scanning_ = false;
  std::int64_t value_ = -1;
  std::int64_t skey_ = -1;
  std::int64_t oid_ = 0;
};

void Volume::EndReads() {
  for (Cursor* cursor : cursors_) cursor->EndRead();
}

bool Volume::Check(int rc) {
  if (rc == SQLITE_OK || rc == SQLITE_ROW || rc == SQLITE_DONE) return true;
  lastError = ErrorOf(rc);
  if (depth_ > 0 && sqlite3_get_autocommit(db.get()) != 0) rolledBack_ = true;
  return false;
}

bool Volume::Settings(OpenFailure& failure) {
  // Statement journals in memory keep the savepoint of each write inside a group from creating
  // and deleting a temporary file (measured: 1.8 ms against 0.04 ms a write).
  const std::string cache = "PRAGMA cache_size=-" + std::to_string(kPageCacheKib);
  for (const char* setting :
       {"PRAGMA busy_timeout=5000", cache.c_str(), "PRAGMA temp_store=MEMORY"}) {
    if (const int rc = db.Exec(setting); rc != SQLITE_OK) return Fill(failure, "settings", rc);
  }
  return true;
}

bool Volume::PrepareStatements(OpenFailure& failure) {
  struct Prepared {
    sql::Statement& statement;
    const char* sql;
  };
  const Prepared version1[] = {
      {nextOid, "UPDATE oid_counter SET next = next + 1 RETURNING next - 1"},
      {insertRecord, "INSERT INTO records(db, skey, oid, props) VALUES(?1, ?2, ?3, ?4)"},
      {selectRecord, "SELECT skey, props FROM records WHERE oid = ?1 AND db = ?2"},
      {updateRecord, "UPDATE records SET skey = ?3, props = ?2 WHERE oid = ?1"},
      {updateProps, "UPDATE records SET props = ?2 WHERE oid = ?1"},
      {deleteRecord, "DELETE FROM records WHERE oid = ?1 AND db = ?2"},
      {adjustCount, "UPDATE databases SET record_count = record_count + ?1 WHERE oid = ?2"},
      {firstWithKey, "SELECT oid FROM records WHERE db = ?1 AND skey = ?2 ORDER BY oid LIMIT 1"},
      {databaseByName, "SELECT oid, sort_prop FROM databases WHERE name = ?1"},
      {databaseByOid, "SELECT name, type, sort_prop, record_count FROM databases WHERE oid = ?1"},
      {insertDatabase,
       "INSERT INTO databases(oid, name, type, sort_prop, record_count) VALUES(?1, ?2, ?3, ?4, 0)"},
      {deleteDatabaseRecords, "DELETE FROM records WHERE db = ?1"},
      {deleteDatabase, "DELETE FROM databases WHERE oid = ?1"},
  };
  const Prepared version2[] = {
      {ordersOf, "SELECT prop FROM sort_orders WHERE db = ?1 ORDER BY prop"},
      {insertOrder, "INSERT INTO sort_orders(db, prop) VALUES(?1, ?2)"},
      {insertCopy,
       "INSERT INTO ordered_records(db, prop, value, skey, oid, props)"
       " VALUES(?1, ?2, ?3, ?4, ?5, ?6)"},
      {deleteCopies, "DELETE FROM ordered_records WHERE oid = ?1"},
      {updateCopy,
       "UPDATE ordered_records SET props = ?6"
       " WHERE db = ?1 AND prop = ?2 AND value = ?3 AND skey = ?4 AND oid = ?5"},
      {deleteCopy,
       "DELETE FROM ordered_records"
       " WHERE db = ?1 AND prop = ?2 AND value = ?3 AND skey = ?4 AND oid = ?5"},
      {deleteCopyOf, "DELETE FROM ordered_records WHERE oid = ?1 AND prop = ?2"},
      {copyOf, "SELECT value, skey FROM ordered_records WHERE oid = ?1 AND db = ?2 AND prop = ?3"},
      {firstWithValue,
       "SELECT skey, oid FROM ordered_records WHERE db = ?1 AND prop = ?2 AND value = ?3"
       " ORDER BY skey, oid LIMIT 1"},
      {anyWithValue,
       "SELECT 1 FROM ordered_records WHERE db = ?1 AND prop = ?2 AND value = ?3 LIMIT 1"},
      {deleteDatabaseCopies, "DELETE FROM ordered_records WHERE db = ?1"},
      {deleteDatabaseOrders, "DELETE FROM sort_orders WHERE db = ?1"},
      {deleteDatabaseRuns, "DELETE FROM key_runs WHERE db = ?1"},
      {recordsOf, "SELECT skey, oid, props FROM records WHERE db = ?1"},
      {markInUse, "UPDATE volume_state SET clean_end = 0"},
      {markClean, "UPDATE volume_state SET clean_end = 1"},
  };
  for (const Prepared& p : version1) {
    if (const int rc = p.statement.Prepare(db, p.sql); rc != SQLITE_OK) {
      return Fill(failure, "prepare", rc);
    }
  }
  if (!HasOrders()) return true;
  for (const Prepared& p : version2) {
    if (const int rc = p.statement.Prepare(db, p.sql); rc != SQLITE_OK) {
      return Fill(failure, "prepare", rc);
    }
  }
  if (const int rc = runs.Prepare(db); rc != SQLITE_OK) return Fill(failure, "prepare", rc);
  return true;
}

bool Volume::Open(const std::filesystem::path& file, const VolumeOptions& options,
                  std::uint32_t version, OpenFailure& failure) {
  const char* vfs = options.faults != nullptr ? options.faults->VfsName().c_str() : nullptr;
  if (const int rc = db.Open(SqliteUri(file, ""),
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX, vfs);
      rc != SQLITE_OK) {
    return Fill(failure, "open", rc);
  }
  if (sqlite3_db_readonly(db.get(), "main") == 1) {
    failure.rc = SQLITE_READONLY;
    failure.detail = "the volume is read-only";
    return false;
  }
  sql::Statement mode;
  if (const int rc = mode.Prepare(db, "PRAGMA journal_mode=WAL"); rc != SQLITE_OK) {
    return Fill(failure, "journal", rc);
  }
  if (const int rc = mode.Step(); rc != SQLITE_ROW || mode.ColumnText(0) != "wal") {
    return Fill(failure, "journal", rc == SQLITE_ROW ? SQLITE_CANTOPEN : rc);
  }
  mode = sql::Statement();
  if (const int rc = db.Exec("PRAGMA synchronous=FULL"); rc != SQLITE_OK) {
    return Fill(failure, "settings", rc);
  }
  if (!Settings(failure)) return false;
  // The first real read: a folder that does not let SQLite make its -wal shows here.
  {
    sql::Statement probe;
    if (const int rc = probe.Prepare(db, "SELECT count(*) FROM databases"); rc != SQLITE_OK) {
      return Fill(failure, "read", rc);
    }
    if (const int rc = probe.Step(); rc != SQLITE_ROW) return Fill(failure, "read", rc);
  }

  // One transaction: the upgrade, the wanted sort orders and the mark, all or nothing. It is
  // taken only when there is something to do: opening a volume that is up to date writes
  // nothing and waits for no other writer.
  const bool older = version < kSchemaVersion;
  if (!older) {
    version_ = kSchemaVersion;
    if (!PrepareStatements(failure)) return false;
    const std::optional<std::vector<std::pair<Oid, PropId>>> missing = MissingOrders(options);
    if (!missing) return Fill(failure, "sort orders", db.ExtendedErrorCode());
    if (missing->empty()) {
      sql::Statement mark;
      int rc = mark.Prepare(db, "SELECT clean_end FROM volume_state");
      if (rc == SQLITE_OK) rc = mark.Step();
      if (rc != SQLITE_ROW) return Fill(failure, "mark", rc);
      markedClean_ = mark.ColumnInt64(0) != 0;
      return true;
    }
  }
  if (const int rc = db.Exec("BEGIN IMMEDIATE"); rc != SQLITE_OK) return Fill(failure, "begin", rc);
  const auto abandon = [&](const std::string& what, int rc) {
    Fill(failure, what, rc);
    db.Exec("ROLLBACK");
    return false;
  };
  if (older) {
    // Read again inside the transaction: another program may have upgraded it meanwhile.
    sql::Statement current;
    int rc = current.Prepare(db, "PRAGMA user_version");
    if (rc == SQLITE_OK) rc = current.Step();
    if (rc != SQLITE_ROW) return abandon("upgrade", rc);
    version = static_cast<std::uint32_t>(current.ColumnInt64(0));
    current = sql::Statement();
    if (version < kSchemaVersion && !UpgradeSchema(db, version, failure.detail)) {
      failure.rc = db.ExtendedErrorCode();
      failure.systemErrno = db.SystemErrno();
      db.Exec("ROLLBACK");
      return false;
    }
    version_ = kSchemaVersion;
    if (!PrepareStatements(failure)) {
      db.Exec("ROLLBACK");
      return false;
    }
  }
  const std::optional<std::vector<std::pair<Oid, PropId>>> missing = MissingOrders(options);
  if (!missing) return abandon("sort orders", db.ExtendedErrorCode());
  for (const auto& [database, prop] : *missing) {
    if (!AddSortOrder(database, prop)) return abandon("sort orders", db.ExtendedErrorCode());
  }
  {
    StatementUse use(markInUse);
    if (const int rc = markInUse.Step(); rc != SQLITE_DONE) return abandon("mark", rc);
  }
  if (const int rc = db.Exec("COMMIT"); rc != SQLITE_OK) return abandon("commit", rc);
  return true;
}

std::optional<std::vector<std::pair<Oid, PropId>>> Volume::MissingOrders(
    const VolumeOptions& options) {
  std::vector<std::pair<Oid, PropId>> missing;
  for (const SortOrderWanted& wanted : options.sortOrders) {
    if (!IsUi4(wanted.prop)) continue;
    const std::vector<std::uint8_t> name = NameBytes(wanted.database);
    StatementUse use(databaseByName);
    databaseByName.BindBlobStatic(1, name);
    const int rc = databaseByName.Step();
    if (rc == SQLITE_DONE) continue;
    if (!Check(rc)) return std::nullopt;
    const auto database = static_cast<Oid>(databaseByName.ColumnInt64(0));
    const std::optional<bool> kept =
        KeepsOrder(database, static_cast<PropId>(databaseByName.ColumnInt64(1)), wanted.prop);
    if (!kept) return std::nullopt;
    if (!*kept) missing.emplace_back(database, wanted.prop);
  }
  return missing;
}

bool Volume::OpenReadOnly(const std::filesystem::path& file, std::uint32_t version,
                          OpenFailure& failure) {
  readOnly_ = true;
  version_ = version;
  const auto open = [&](const char* query) {
    if (const int rc = db.Open(SqliteUri(file, query),
                               SQLITE_OPEN_READONLY | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX);
        rc != SQLITE_OK) {
      return Fill(failure, "open", rc);
    }
    if (const int rc = db.Exec("PRAGMA query_only=ON"); rc != SQLITE_OK) {
      return Fill(failure, "settings", rc);
    }
    if (!Settings(failure) || !PrepareStatements(failure)) return false;
    sql::Statement probe;
    if (const int rc = probe.Prepare(db, "SELECT count(*) FROM databases"); rc != SQLITE_OK) {
      return Fill(failure, "read", rc);
    }
    if (const int rc = probe.Step(); rc != SQLITE_ROW) return Fill(failure, "read", rc);
    return true;
  };
  if (open("mode=ro")) return true;
  // On a medium that cannot be written SQLite cannot make the index of the log, and nobody can
  // change the file there: without a log it is read as it stands.
  struct stat log {};
  const bool hasLog = ::stat((file.string() + "-wal").c_str(), &log) == 0 && log.st_size > 0;
  if ((failure.rc & 0xFF) != SQLITE_CANTOPEN || hasLog) return false;
  db.Close();
  return open("immutable=1");
}

int Volume::Begin() {
  if (readOnly_) {
    Fail(StoreError::Misuse);
    return 0;
  }
  if (rolledBack_) return 0;
  EndReads();
  if (depth_ == 0) {
    if (!Exec("BEGIN IMMEDIATE")) return 0;
    if (markedClean_) {
      StatementUse use(markInUse);
      if (!Check(markInUse.Step())) {
        db.Exec("ROLLBACK");
        return 0;
      }
    }
  } else {
    const std::string sql = "SAVEPOINT s" + std::to_string(depth_);
    if (!Exec(sql.c_str())) return 0;
  }
  return ++depth_;
}

bool Volume::Commit(int depth) {
  if (depth != depth_ || depth == 0) return Fail(StoreError::Misuse);
  EndReads();
  if (rolledBack_) {
    // SQLite already undid the whole group; unwind the scope without further SQL.
    if (--depth_ == 0) rolledBack_ = false;
    return Fail(lastError == StoreError::None ? StoreError::Other : lastError);
  }
  if (depth == 1) {
    const bool ok = Exec("COMMIT");
    if (!ok && sqlite3_get_autocommit(db.get()) == 0) db.Exec("ROLLBACK");
    depth_ = 0;
    rolledBack_ = false;
    if (ok) markedClean_ = false;
    return ok;
  }
  const std::string sql = "RELEASE s" + std::to_string(depth - 1);
  if (!Exec(sql.c_str())) {
    Rollback(depth);
    return false;
  }
  --depth_;
  return true;
}

void Volume::Rollback(int depth) {
  if (depth <= 0 || depth > depth_) return;
  EndReads();
  if (!rolledBack_) {
    if (depth == 1) {
      if (sqlite3_get_autocommit(db.get()) == 0) db.Exec("ROLLBACK");
    } else {
      const std::string name = "s" + std::to_string(depth - 1);
      db.Exec(("ROLLBACK TO " + name + "; RELEASE " + name).c_str());
    }
  }
  depth_ = depth - 1;
  if (depth_ == 0) rolledBack_ = false;
}

bool Volume::MarkClean() {
  if (readOnly_ || depth_ != 0) return Fail(StoreError::Misuse);
  EndReads();
  StatementUse use(markClean);
  if (!Check(markClean.Step())) return false;
  markedClean_ = true;
  return true;
}

std::optional<Oid> Volume::NextOid() {
  StatementUse use(nextOid);
  const int rc = nextOid.Step();
  if (rc != SQLITE_ROW) {
    Check(rc);
    return std::nullopt;
  }
  const std::int64_t oid = nextOid.ColumnInt64(0);
  if (oid <= 0 || oid > kMaxOid) {
    Fail(StoreError::Misuse);
    return std::nullopt;
  }
  return static_cast<Oid>(oid);
}

std::optional<std::vector<PropId>> Volume::OrdersOf(Oid database) {
  std::vector<PropId> orders;
  if (!HasOrders()) return orders;
  StatementUse use(ordersOf);
  ordersOf.Bind(1, database);
  int rc = SQLITE_OK;
  while ((rc = ordersOf.Step()) == SQLITE_ROW) {
    orders.push_back(static_cast<PropId>(ordersOf.ColumnInt64(0)));
  }
  if (!Check(rc)) return std::nullopt;
  return orders;
}

std::optional<bool> Volume::KeepsOrder(Oid database, PropId primary, PropId prop) {
  if (prop == primary) return true;
  const std::optional<std::vector<PropId>> orders = OrdersOf(database);
  if (!orders) return std::nullopt;
  return std::find(orders->begin(), orders->end(), prop) != orders->end();
}

bool Volume::AddCopies(Oid database, const std::vector<PropId>& orders, std::int64_t skey, Oid oid,
                       std::span<const std::uint8_t> bytes, bool decoded,
                       std::span<const PropValue> props) {
  for (PropId prop : orders) {
    StatementUse use(insertCopy);
    insertCopy.Bind(1, database);
    insertCopy.Bind(2, prop);
    insertCopy.Bind(3, OrderValue(decoded, props, prop));
    insertCopy.Bind(4, skey);
    insertCopy.Bind(5, oid);
    insertCopy.BindBlobStatic(6, bytes);
    if (!Check(insertCopy.Step())) return false;
  }
  return true;
}

bool Volume::DeleteCopies(Oid oid) {
  if (!HasOrders()) return true;
  StatementUse use(deleteCopies);
  deleteCopies.Bind(1, oid);
  return Check(deleteCopies.Step());
}

bool Volume::MoveCopy(Oid database, PropId prop, std::int64_t oldValue, std::int64_t oldSkey,
                      std::int64_t skey, Oid oid, std::span<const std::uint8_t> bytes,
                      std::int64_t value) {
  const bool inPlace = value == oldValue && skey == oldSkey;
  sql::Statement& change = inPlace ? updateCopy : deleteCopy;
  {
    StatementUse use(change);
    change.Bind(1, database);
    change.Bind(2, prop);
    change.Bind(3, oldValue);
    change.Bind(4, oldSkey);
    change.Bind(5, oid);
    if (inPlace) change.BindBlobStatic(6, bytes);
    if (!Check(change.Step())) return false;
  }
  const bool found = sqlite3_changes(db.get()) == 1;
  if (inPlace && found) return true;
  if (!found) {
    // The copy was not where the record said: wherever it is, it goes.
    StatementUse use(deleteCopyOf);
    deleteCopyOf.Bind(1, oid);
    deleteCopyOf.Bind(2, prop);
    if (!Check(deleteCopyOf.Step())) return false;
  }
  StatementUse use(insertCopy);
  insertCopy.Bind(1, database);
  insertCopy.Bind(2, prop);
  insertCopy.Bind(3, value);
  insertCopy.Bind(4, skey);
  insertCopy.Bind(5, oid);
  insertCopy.BindBlobStatic(6, bytes);
  return Check(insertCopy.Step());
}

bool Volume::AddSortOrder(Oid database, PropId prop) {
  {
    StatementUse use(insertOrder);
    insertOrder.Bind(1, database);
    insertOrder.Bind(2, prop);
    if (!Check(insertOrder.Step())) return false;
  }
  StatementUse use(recordsOf);
  recordsOf.Bind(1, database);
  const std::vector<PropId> orders = {prop};
  Record props;
  int rc = SQLITE_OK;
  while ((rc = recordsOf.Step()) == SQLITE_ROW) {
    const std::span<const std::uint8_t> bytes = recordsOf.ColumnBlob(2);
    const bool decoded = DecodeRecord(bytes, props);
    if (!AddCopies(database, orders, recordsOf.ColumnInt64(0),
                   static_cast<Oid>(recordsOf.ColumnInt64(1)), bytes, decoded, props)) {
      return false;
    }
  }
  return Check(rc);
}

}  // namespace detail

using detail::StatementUse;

std::string_view ToString(VolumeStatus status) {
  switch (status) {
    case VolumeStatus::Opened:
      return "opened";
    case VolumeStatus::Created:
      return "created";
    case VolumeStatus::Unreadable:
      return "unreadable";
    case VolumeStatus::Damaged:
      return "damaged";
    case VolumeStatus::Foreign:
      return "foreign";
    case VolumeStatus::Newer:
      return "newer";
    case VolumeStatus::CreateFailed:
      return "create failed";
    case VolumeStatus::UpgradeFailed:
      return "upgrade failed";
    case VolumeStatus::Missing:
      return "missing";
  }
  return "unknown";
}

// ---- Transaction ----

Transaction::Transaction() = default;
Transaction::Transaction(std::shared_ptr<detail::Volume> volume, int depth)
    : volume_(std::move(volume)), depth_(depth) {}
Transaction::~Transaction() {
  Rollback();
}
Transaction::Transaction(Transaction&& other) noexcept
    : volume_(std::move(other.volume_)), depth_(other.depth_) {
  other.depth_ = 0;
}
Transaction& Transaction::operator=(Transaction&& other) noexcept {
  if (this != &other) {
    Rollback();
    volume_ = std::move(other.volume_);
    depth_ = other.depth_;
    other.depth_ = 0;
  }
  return *this;
}

bool Transaction::IsActive() const {
  return volume_ != nullptr && depth_ > 0 && depth_ <= volume_->Depth();
}

bool Transaction::Commit() {
  if (volume_ == nullptr || depth_ == 0) return false;
  if (depth_ != volume_->Depth()) return volume_->Fail(StoreError::Misuse);
  const bool ok = volume_->Commit(depth_);
  depth_ = 0;
  return ok;
}

void Transaction::Rollback() {
  if (volume_ != nullptr && depth_ > 0) volume_->Rollback(depth_);
  depth_ = 0;
}

// ---- DatabaseHandle ----

DatabaseHandle::DatabaseHandle() = default;
DatabaseHandle::~DatabaseHandle() = default;
DatabaseHandle::DatabaseHandle(DatabaseHandle&&) noexcept = default;
DatabaseHandle& DatabaseHandle::operator=(DatabaseHandle&&) noexcept = default;
DatabaseHandle::DatabaseHandle(std::unique_ptr<detail::Cursor> cursor)
    : cursor_(std::move(cursor)) {}

bool DatabaseHandle::IsOpen() const {
  return cursor_ != nullptr;
}
void DatabaseHandle::Close() {
  cursor_.reset();
}
Oid DatabaseHandle::DatabaseOid() const {
  return cursor_ ? cursor_->database() : 0;
}
PropId DatabaseHandle::SortProp() const {
  return cursor_ ? cursor_->prop() : kKeyPropId;
}

StoreError DatabaseHandle::LastError() const {
  return cursor_ ? cursor_->error_ : StoreError::Misuse;
}

Oid DatabaseHandle::SeekToRecord(Oid record) {
  if (!cursor_) return 0;
  detail::Volume& v = cursor_->volume();
  sql::Statement& find = cursor_->secondary() ? v.copyOf : v.selectRecord;
  StatementUse use(find);
  find.Bind(1, record);
  find.Bind(2, cursor_->database());
  if (cursor_->secondary()) find.Bind(3, cursor_->prop());
  const int rc = find.Step();
  if (rc != SQLITE_ROW) {
    cursor_->error_ = v.Check(rc) ? StoreError::NotFound : v.lastError;
    return 0;
  }
  const std::int64_t first = find.ColumnInt64(0);
  const std::int64_t skey = cursor_->secondary() ? find.ColumnInt64(1) : first;
  cursor_->PlaceBefore(first, skey, record);
  cursor_->error_ = StoreError::None;
  return record;
}

Oid DatabaseHandle::SeekFirstEqual(std::uint32_t value) {
  if (!cursor_) return 0;
  detail::Volume& v = cursor_->volume();
  const bool secondary = cursor_->secondary();
  sql::Statement& find = secondary ? v.firstWithValue : v.firstWithKey;
  StatementUse use(find);
  find.Bind(1, cursor_->database());
  if (secondary) {
    find.Bind(2, cursor_->prop());
    find.Bind(3, value);
  } else {
    find.Bind(2, value);
  }
  const int rc = find.Step();
  if (rc != SQLITE_ROW) {
    cursor_->error_ = v.Check(rc) ? StoreError::NotFound : v.lastError;
    return 0;
  }
  const std::int64_t skey = secondary ? find.ColumnInt64(0) : std::int64_t{value};
  const auto oid = static_cast<Oid>(find.ColumnInt64(secondary ? 1 : 0));
  cursor_->PlaceBefore(value, skey, oid);
  cursor_->error_ = StoreError::None;
  return oid;
}

Oid DatabaseHandle::ReadRecord(Record& out) {
  return cursor_ ? cursor_->Read(out, std::nullopt) : 0;
}

Oid DatabaseHandle::ReadRecordEqual(std::uint32_t value, Record& out) {
  return cursor_ ? cursor_->Read(out, std::int64_t{value}) : 0;
}

std::optional<bool> DatabaseHandle::HoldsUndecodable() {
  if (!cursor_) return std::nullopt;
  if (!cursor_->secondary()) {
    cursor_->error_ = StoreError::Misuse;
    return std::nullopt;
  }
  detail::Volume& v = cursor_->volume();
  StatementUse use(v.anyWithValue);
  v.anyWithValue.Bind(1, cursor_->database());
  v.anyWithValue.Bind(2, cursor_->prop());
  v.anyWithValue.Bind(3, detail::kValueUndecodable);
  const int rc = v.anyWithValue.Step();
  if (rc == SQLITE_ROW) return true;
  if (rc == SQLITE_DONE) return false;
  v.Check(rc);
  cursor_->error_ = v.lastError;
  return std::nullopt;
}

std::optional<bool> DatabaseHandle::ContainsKey(std::uint32_t key) {
  if (!cursor_) return std::nullopt;
  detail::Volume& v = cursor_->volume();
  StatementUse use(v.firstWithKey);
  v.firstWithKey.Bind(1, cursor_->database());
  v.firstWithKey.Bind(2, key);
  const int rc = v.firstWithKey.Step();
  if (rc == SQLITE_ROW) return true;
  if (rc == SQLITE_DONE) return false;
  v.Check(rc);
  cursor_->error_ = v.lastError;
  return std::nullopt;
}

std::optional<std::uint32_t> DatabaseHandle::FirstFreeKey(std::uint32_t start, std::uint32_t last) {
  if (!cursor_) return std::nullopt;
  detail::Volume& v = cursor_->volume();
  if (!v.HasOrders()) {
    cursor_->error_ = StoreError::Misuse;
    return std::nullopt;
  }
  std::optional<std::uint32_t> found;
  if (!v.Check(v.runs.FirstFree(cursor_->database(), start, last, found))) {
    cursor_->error_ = v.lastError;
    return std::nullopt;
  }
  cursor_->error_ = found ? StoreError::None : StoreError::NotFound;
  return found;
}

std::optional<std::uint32_t> DatabaseHandle::RecordCount() {
  if (!cursor_) return std::nullopt;
  detail::Volume& v = cursor_->volume();
  StatementUse use(v.databaseByOid);
  v.databaseByOid.Bind(1, cursor_->database());
  const int rc = v.databaseByOid.Step();
  if (rc != SQLITE_ROW) {
    cursor_->error_ = v.Check(rc) ? StoreError::NotFound : v.lastError;
    return std::nullopt;
  }
  return static_cast<std::uint32_t>(v.databaseByOid.ColumnInt64(3));
}

Oid DatabaseHandle::WriteRecord(Oid record, std::span<const PropValue> props) {
  if (!cursor_) return 0;
  detail::Volume& v = cursor_->volume();
  const Oid database = cursor_->database();
  const int depth = v.Begin();
  Transaction scope(cursor_->sharedVolume(), depth);
  auto fail = [&] {
    cursor_->error_ = v.lastError == StoreError::None ? StoreError::Other : v.lastError;
    return Oid{0};
  };
  if (depth == 0) return fail();
  const std::optional<std::vector<PropId>> orders = v.OrdersOf(database);
  if (!orders) return fail();

  std::vector<std::uint8_t> bytes;
  Oid oid = record;
  std::int64_t skey = 0;
  std::int64_t oldSkey = -1;
  std::vector<std::int64_t> oldValues;
  Record stored;
  std::span<const PropValue> written = props;
  if (record == 0) {
    const std::optional<Oid> next = v.NextOid();
    if (!next) return fail();
    oid = *next;
    EncodeRecord(props, bytes);
    skey = detail::SortValue(props);
    StatementUse use(v.insertRecord);
    v.insertRecord.Bind(1, database);
    v.insertRecord.Bind(2, skey);
    v.insertRecord.Bind(3, oid);
    v.insertRecord.BindBlobStatic(4, bytes);
    if (!v.Check(v.insertRecord.Step())) return fail();
  } else {
    {
      StatementUse use(v.selectRecord);
      v.selectRecord.Bind(1, record);
      v.selectRecord.Bind(2, database);
      const int rc = v.selectRecord.Step();
      if (rc != SQLITE_ROW) {
        if (v.Check(rc)) v.lastError = StoreError::NotFound;
        return fail();
      }
      oldSkey = v.selectRecord.ColumnInt64(0);
      if (!DecodeRecord(v.selectRecord.ColumnBlob(1), stored)) {
        v.lastError = StoreError::Undecodable;
        return fail();
      }
    }
    for (PropId prop : *orders) oldValues.push_back(detail::OrderValue(true, stored, prop));
    detail::MergeInto(stored, props);
    written = stored;
    EncodeRecord(stored, bytes);
    skey = detail::SortValue(stored);
    // With the key unchanged the record stays in its place: only its properties are rewritten,
    // which leaves the index by object identifier alone.
    sql::Statement& update = skey == oldSkey ? v.updateProps : v.updateRecord;
    StatementUse use(update);
    update.Bind(1, record);
    update.BindBlobStatic(2, bytes);
    if (skey != oldSkey) update.Bind(3, skey);
    if (!v.Check(update.Step())) return fail();
  }
  if (record == 0) {
    StatementUse use(v.adjustCount);
    v.adjustCount.Bind(1, 1);
    v.adjustCount.Bind(2, database);
    if (!v.Check(v.adjustCount.Step())) return fail();
    if (sqlite3_changes(v.db.get()) != 1) {
      v.lastError = StoreError::NotFound;  // the database was deleted under this handle
      return fail();
    }
  }
  if (record == 0) {
    if (!v.AddCopies(database, *orders, skey, oid, bytes, true, written)) return fail();
  } else {
    for (std::size_t i = 0; i < orders->size(); ++i) {
      const PropId prop = (*orders)[i];
      if (!v.MoveCopy(database, prop, oldValues[i], oldSkey, skey, oid, bytes,
                      detail::OrderValue(true, written, prop))) {
        return fail();
      }
    }
  }
  if (v.HasOrders() && oldSkey != skey) {
    if (oldSkey >= 0 && oldSkey < detail::kValueAbsent &&
        !v.Check(v.runs.Remove(database, static_cast<std::uint32_t>(oldSkey)))) {
      return fail();
    }
    if (skey < detail::kValueAbsent &&
        !v.Check(v.runs.Add(database, static_cast<std::uint32_t>(skey)))) {
      return fail();
    }
  }
  if (!scope.Commit()) return fail();
  cursor_->error_ = StoreError::None;
  return oid;
}

bool DatabaseHandle::DeleteRecord(Oid record) {
  if (!cursor_) return false;
  detail::Volume& v = cursor_->volume();
  const Oid database = cursor_->database();
  const int depth = v.Begin();
  Transaction scope(cursor_->sharedVolume(), depth);
  auto fail = [&] {
    cursor_->error_ = v.lastError == StoreError::None ? StoreError::Other : v.lastError;
    return false;
  };
  if (depth == 0) return fail();
  std::int64_t skey = 0;
  {
    StatementUse use(v.selectRecord);
    v.selectRecord.Bind(1, record);
    v.selectRecord.Bind(2, database);
    const int rc = v.selectRecord.Step();
    if (rc != SQLITE_ROW) {
      if (v.Check(rc)) v.lastError = StoreError::NotFound;
      return fail();
    }
    skey = v.selectRecord.ColumnInt64(0);
  }
  {
    StatementUse use(v.deleteRecord);
    v.deleteRecord.Bind(1, record);
    v.deleteRecord.Bind(2, database);
    if (!v.Check(v.deleteRecord.Step())) return fail();
    if (sqlite3_changes(v.db.get()) != 1) {
      v.lastError = StoreError::NotFound;
      return fail();
    }
  }
  {
    StatementUse use(v.adjustCount);
    v.adjustCount.Bind(1, -1);
    v.adjustCount.Bind(2, database);
    if (!v.Check(v.adjustCount.Step())) return fail();
  }
  if (!v.DeleteCopies(record)) return fail();
  if (v.HasOrders() && skey < detail::kValueAbsent &&
      !v.Check(v.runs.Remove(database, static_cast<std::uint32_t>(skey)))) {
    return fail();
  }
  if (!scope.Commit()) return fail();
  cursor_->error_ = StoreError::None;
  return true;
}

// ---- ObjectStore ----

namespace {

// What a refused open for writing is about: a file or folder that cannot be written is named
// as read-only, whatever SQLite made of it.
void ExplainRefusal(const std::filesystem::path& file, const detail::OpenFailure& failure,
                    ObjectStore::OpenResult& result) {
  const std::filesystem::path folder = file.parent_path().empty() ? "." : file.parent_path();
  result.detail = failure.detail;
  if (::access(file.c_str(), W_OK) != 0 && (errno == EACCES || errno == EROFS)) {
    result.problem = VolumeProblem::ReadOnly;
    result.subject = file;
  } else if (::access(folder.c_str(), W_OK | X_OK) != 0 && (errno == EACCES || errno == EROFS)) {
    result.problem = VolumeProblem::ReadOnly;
    result.subject = folder;
  } else {
    result.problem = detail::ProblemOf(failure.rc, failure.systemErrno, file);
    result.subject = file;
  }
}

}  // namespace

ObjectStore::ObjectStore(std::shared_ptr<detail::Volume> volume) : volume_(std::move(volume)) {}
ObjectStore::~ObjectStore() = default;

ObjectStore::OpenResult ObjectStore::OpenVolume(const std::filesystem::path& file,
                                                IoFaults* faults) {
  VolumeOptions options;
  options.faults = faults;
  return OpenVolume(file, options);
}

ObjectStore::OpenResult ObjectStore::OpenVolume(const std::filesystem::path& file,
                                                const VolumeOptions& options) {
  OpenResult result;
  detail::VolumeCheck check = detail::CheckVolumeFile(file);
  const auto refuse = [&](VolumeStatus status, detail::VolumeCheck& refusal) {
    result.status = status;
    result.problem = refusal.problem;
    result.subject = std::move(refusal.subject);
    result.detail = std::move(refusal.detail);
    return std::move(result);
  };
  if (check.missing && options.readOnly) {
    check.problem = VolumeProblem::Missing;
    return refuse(VolumeStatus::Missing, check);
  }
  if (check.missing) {
    check = detail::CreateVolumeFile(
        file, options.faults != nullptr ? options.faults->VfsName().c_str() : nullptr);
    if (check.status != VolumeStatus::Created) return refuse(VolumeStatus::CreateFailed, check);
  } else if (check.status != VolumeStatus::Opened) {
    return refuse(check.status, check);
  }
  auto volume = std::make_shared<detail::Volume>();
  detail::OpenFailure failure;
  const bool opened = options.readOnly ? volume->OpenReadOnly(file, check.version, failure)
                                       : volume->Open(file, options, check.version, failure);
  if (!opened) {
    ExplainRefusal(file, failure, result);
    result.status = check.version < detail::kSchemaVersion && !options.readOnly
                        ? VolumeStatus::UpgradeFailed
                        : VolumeStatus::Unreadable;
    return result;
  }
  result.status = check.status;
  result.detail = std::move(check.detail);
  result.store.reset(new ObjectStore(std::move(volume)));
  return result;
}

StoreError ObjectStore::LastError() const {
  return volume_->lastError;
}

bool ObjectStore::IsReadOnly() const {
  return volume_->ReadOnly();
}

Oid ObjectStore::CreateDatabase(std::u16string_view name, std::uint32_t type, PropId sortProp,
                                std::span<const PropId> moreSortOrders) {
  detail::Volume& v = *volume_;
  for (PropId prop : moreSortOrders) {
    if (!detail::IsUi4(prop) || prop == sortProp || !v.HasOrders()) {
      v.Fail(StoreError::Misuse);
      return 0;
    }
  }
  const int depth = v.Begin();
  Transaction scope(volume_, depth);
  if (depth == 0) return 0;
  const std::vector<std::uint8_t> nameBytes = detail::NameBytes(name);
  {
    StatementUse use(v.databaseByName);
    v.databaseByName.BindBlobStatic(1, nameBytes);
    const int rc = v.databaseByName.Step();
    if (rc == SQLITE_ROW) {
      v.lastError = StoreError::Other;  // the name is taken
      return 0;
    }
    if (!v.Check(rc)) return 0;
  }
  const std::optional<Oid> oid = v.NextOid();
  if (!oid) return 0;
  {
    StatementUse use(v.insertDatabase);
    v.insertDatabase.Bind(1, *oid);
    v.insertDatabase.BindBlobStatic(2, nameBytes);
    v.insertDatabase.Bind(3, type);
    v.insertDatabase.Bind(4, sortProp);
    if (!v.Check(v.insertDatabase.Step())) return 0;
  }
  for (PropId prop : moreSortOrders) {
    if (!v.AddSortOrder(*oid, prop)) return 0;
  }
  return scope.Commit() ? *oid : 0;
}

OpenedDatabase ObjectStore::OpenDatabase(std::u16string_view name, PropId sortProp) {
  detail::Volume& v = *volume_;
  OpenedDatabase opened;
  const std::vector<std::uint8_t> nameBytes = detail::NameBytes(name);
  Oid oid = 0;
  PropId primary = 0;
  {
    StatementUse use(v.databaseByName);
    v.databaseByName.BindBlobStatic(1, nameBytes);
    const int rc = v.databaseByName.Step();
    if (rc == SQLITE_DONE) {
      v.lastError = StoreError::NotFound;
      opened.status = OpenStatus::NotFound;
      return opened;
    }
    if (rc != SQLITE_ROW) {
      v.Check(rc);
      return opened;
    }
    oid = static_cast<Oid>(v.databaseByName.ColumnInt64(0));
    primary = static_cast<PropId>(v.databaseByName.ColumnInt64(1));
  }
  const std::optional<bool> kept = v.KeepsOrder(oid, primary, sortProp);
  if (!kept) return opened;
  if (!*kept) {
    v.lastError = StoreError::Misuse;
    return opened;
  }
  auto cursor = std::make_unique<detail::Cursor>(volume_, oid, sortProp, sortProp != primary);
  if (!cursor->Prepare()) return opened;
  opened.status = OpenStatus::Opened;
  opened.oid = oid;
  opened.handle = DatabaseHandle(std::move(cursor));
  return opened;
}

std::optional<DatabaseInfo> ObjectStore::GetDatabaseInfo(Oid database) {
  detail::Volume& v = *volume_;
  DatabaseInfo info;
  {
    StatementUse use(v.databaseByOid);
    v.databaseByOid.Bind(1, database);
    const int rc = v.databaseByOid.Step();
    if (rc != SQLITE_ROW) {
      if (v.Check(rc)) v.lastError = StoreError::NotFound;
      return std::nullopt;
    }
    info.oid = database;
    info.name = detail::NameFromBytes(v.databaseByOid.ColumnBlob(0));
    info.type = static_cast<std::uint32_t>(v.databaseByOid.ColumnInt64(1));
    info.sortProp = static_cast<PropId>(v.databaseByOid.ColumnInt64(2));
    info.recordCount = static_cast<std::uint32_t>(v.databaseByOid.ColumnInt64(3));
  }
  std::optional<std::vector<PropId>> orders = v.OrdersOf(database);
  if (!orders) return std::nullopt;
  info.moreSortOrders = std::move(*orders);
  return info;
}

bool ObjectStore::DeleteDatabase(Oid database) {
  detail::Volume& v = *volume_;
  const int depth = v.Begin();
  Transaction scope(volume_, depth);
  if (depth == 0) return false;
  const auto run = [&](sql::Statement& statement) {
    StatementUse use(statement);
    statement.Bind(1, database);
    return v.Check(statement.Step());
  };
  if (!run(v.deleteDatabaseRecords) || !run(v.deleteDatabaseCopies) ||
      !run(v.deleteDatabaseOrders) || !run(v.deleteDatabaseRuns)) {
    return false;
  }
  if (!run(v.deleteDatabase)) return false;
  if (sqlite3_changes(v.db.get()) != 1) return v.Fail(StoreError::NotFound);
  return scope.Commit();
}

Transaction ObjectStore::BeginTransaction() {
  const int depth = volume_->Begin();
  return depth > 0 ? Transaction(volume_, depth) : Transaction();
}

bool ObjectStore::MarkCleanEnd() {
  return volume_->MarkClean();
}

namespace {

// Hands every row of `sql` (with `database`, when given, bound to ?1) to `row`; false on
// failure.
template <typename Row>
bool ReadRows(sql::Connection& db, const char* sql, std::optional<std::int64_t> database, Row row) {
  sql::Statement statement;
  if (statement.Prepare(db, sql) != SQLITE_OK) return false;
  if (database) statement.Bind(1, *database);
  int rc = SQLITE_OK;
  while ((rc = statement.Step()) == SQLITE_ROW) row(statement);
  return rc == SQLITE_DONE;
}

// Whether the second sort orders and the key runs of every database say what its records say.
bool OrdersAndRunsAgree(sql::Connection& db) {
  std::vector<std::int64_t> databases;
  if (!ReadRows(db, "SELECT oid FROM databases", std::nullopt,
                [&](sql::Statement& s) { databases.push_back(s.ColumnInt64(0)); })) {
    return false;
  }
  for (std::int64_t database : databases) {
    struct Stored {
      std::int64_t skey;
      std::vector<std::uint8_t> bytes;
    };
    std::map<std::int64_t, Stored> records;  // by oid
    std::vector<std::pair<std::int64_t, std::int64_t>> runs;
    if (!ReadRows(db, "SELECT skey, oid, props FROM records WHERE db = ?1 ORDER BY skey, oid",
                  database, [&](sql::Statement& s) {
                    const std::int64_t skey = s.ColumnInt64(0);
                    const auto bytes = s.ColumnBlob(2);
                    records[s.ColumnInt64(1)] = {skey, {bytes.begin(), bytes.end()}};
                    if (skey >= detail::kValueAbsent) return;
                    if (!runs.empty() && skey <= runs.back().second + 1) {
                      runs.back().second = std::max(runs.back().second, skey);
                    } else {
                      runs.emplace_back(skey, skey);
                    }
                  })) {
      return false;
    }
    std::vector<std::pair<std::int64_t, std::int64_t>> listed;
    if (!ReadRows(
            db, "SELECT first, last FROM key_runs WHERE db = ?1 ORDER BY first", database,
            [&](sql::Statement& s) { listed.emplace_back(s.ColumnInt64(0), s.ColumnInt64(1)); }) ||
        listed != runs) {
      return false;
    }
    std::vector<std::int64_t> orders;
    if (!ReadRows(db, "SELECT prop FROM sort_orders WHERE db = ?1", database,
                  [&](sql::Statement& s) { orders.push_back(s.ColumnInt64(0)); })) {
      return false;
    }
    for (std::int64_t prop : orders) {
      std::size_t copies = 0;
      bool agree = true;
      Record props;
      const std::string sql =
          "SELECT value, skey, oid, props FROM ordered_records WHERE db = ?1"
          " AND prop = " +
          std::to_string(prop);
      if (!ReadRows(db, sql.c_str(), database, [&](sql::Statement& s) {
            ++copies;
            const auto found = records.find(s.ColumnInt64(2));
            const auto bytes = s.ColumnBlob(3);
            if (found == records.end() || found->second.skey != s.ColumnInt64(1) ||
                !std::equal(bytes.begin(), bytes.end(), found->second.bytes.begin(),
                            found->second.bytes.end())) {
              agree = false;
              return;
            }
            const bool decoded = DecodeRecord(found->second.bytes, props);
            if (s.ColumnInt64(0) != detail::OrderValue(decoded, props, static_cast<PropId>(prop))) {
              agree = false;
            }
          })) {
        return false;
      }
      if (!agree || copies != records.size()) return false;
    }
  }
  return true;
}

}  // namespace

bool ObjectStore::CheckIntegrity() {
  volume_->EndReads();
  {
    sql::Statement check;
    if (check.Prepare(volume_->db, "PRAGMA integrity_check") != SQLITE_OK) return false;
    if (check.Step() != SQLITE_ROW || check.ColumnText(0) != "ok") return false;
  }
  return !volume_->HasOrders() || OrdersAndRunsAgree(volume_->db);
}

std::optional<BaselineScan> ScanWithPlainSqlite(const std::filesystem::path& file,
                                                std::u16string_view database) {
  sql::Connection db;
  if (db.Open(detail::SqliteUri(file, "mode=ro"), SQLITE_OPEN_READONLY | SQLITE_OPEN_URI) !=
      SQLITE_OK) {
    return std::nullopt;
  }
  const std::vector<std::uint8_t> name = detail::NameBytes(database);
  sql::Statement find;
  if (find.Prepare(db, "SELECT oid FROM databases WHERE name = ?1") != SQLITE_OK) {
    return std::nullopt;
  }
  find.BindBlobStatic(1, name);
  if (find.Step() != SQLITE_ROW) return std::nullopt;
  const std::int64_t oid = find.ColumnInt64(0);
  sql::Statement scan;
  if (scan.Prepare(db, "SELECT skey, oid, props FROM records WHERE db = ?1 ORDER BY skey, oid") !=
      SQLITE_OK) {
    return std::nullopt;
  }
  scan.Bind(1, oid);
  BaselineScan result;
  int rc = SQLITE_OK;
  while ((rc = scan.Step()) == SQLITE_ROW) {
    ++result.records;
    result.bytes += scan.ColumnBlob(2).size();
  }
  if (rc != SQLITE_DONE) return std::nullopt;
  return result;
}

}  // namespace quidora::platform
