#include "platform/object_store.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/io_faults.h"
#include "platform/sqlite_wrapper.h"
#include "platform/volume_file.h"

namespace quidora::platform {
namespace detail {
namespace {

// Records without a key sort after every key.
constexpr std::int64_t kNoKeySort = std::int64_t{1} << 32;
constexpr std::int64_t kMaxOid = 0xFFFFFFFF;

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

}  // namespace

class Cursor;

class Volume {
 public:
  sql::Connection db;
  StoreError lastError = StoreError::None;

  bool Open(const std::filesystem::path& file, IoFaults* faults, std::string& detail);

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

  sql::Statement nextOid;
  sql::Statement insertRecord;
  sql::Statement selectRecord;
  sql::Statement updateRecord;
  sql::Statement deleteRecord;
  sql::Statement adjustCount;
  sql::Statement firstWithKey;
  sql::Statement databaseByName;
  sql::Statement databaseByOid;
  sql::Statement insertDatabase;
  sql::Statement deleteDatabaseRecords;
  sql::Statement deleteDatabase;

 private:
  bool Exec(const char* sql) { return Check(db.Exec(sql)); }
  std::vector<Cursor*> cursors_;
  int depth_ = 0;
  bool rolledBack_ = false;  // SQLite ended the outermost transaction on its own after an error
};

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

class Cursor {
 public:
  Cursor(std::shared_ptr<Volume> volume, Oid database) : volume_(std::move(volume)), db_(database) {
    volume_->Register(this);
  }
  ~Cursor() { volume_->Unregister(this); }
  Cursor(const Cursor&) = delete;
  Cursor& operator=(const Cursor&) = delete;

  bool Prepare() {
    return volume_->Check(scan_.Prepare(
        volume_->db,
        "SELECT skey, oid, props FROM records WHERE db = ?1 AND (skey, oid) > (?2, ?3)"
        " ORDER BY skey, oid"));
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

  // The next read returns the first record after (skey, oid) in read order.
  void PlaceBefore(std::int64_t skey, Oid oid) {
    EndRead();
    skey_ = skey;
    oid_ = static_cast<std::int64_t>(oid) - 1;
  }

  Oid Read(Record& out) {
    if (!scanning_) {
      scan_.Bind(1, db_);
      scan_.Bind(2, skey_);
      scan_.Bind(3, oid_);
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
    const std::int64_t skey = scan_.ColumnInt64(0);
    const std::int64_t oid = scan_.ColumnInt64(1);
    if (!DecodeRecord(scan_.ColumnBlob(2), out)) {
      EndRead();
      error_ = StoreError::Corrupt;
      return 0;
    }
    skey_ = skey;
    oid_ = oid;
    error_ = StoreError::None;
    return static_cast<Oid>(oid);
  }

  StoreError error_ = StoreError::None;

 private:
  std::shared_ptr<Volume> volume_;
  Oid db_;
  sql::Statement scan_;
  bool scanning_ = false;
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

bool Volume::Open(const std::filesystem::path& file, IoFaults* faults, std::string& detail) {
  const char* vfs = faults != nullptr ? faults->VfsName().c_str() : nullptr;
  if (db.Open(SqliteUri(file, ""), SQLITE_OPEN_READWRITE | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX,
              vfs) != SQLITE_OK) {
    detail = "open: " + db.ErrorMessage();
    return false;
  }
  if (sqlite3_db_readonly(db.get(), "main") == 1) {
    detail = "the volume is read-only";
    return false;
  }
  sql::Statement mode;
  if (db.Exec("PRAGMA busy_timeout=5000") != SQLITE_OK ||
      mode.Prepare(db, "PRAGMA journal_mode=WAL") != SQLITE_OK || mode.Step() != SQLITE_ROW ||
      mode.ColumnText(0) != "wal") {
    detail = "journal: " + db.ErrorMessage();
    return false;
  }
  mode = sql::Statement();
  // A larger page cache keeps a big group of writes with scattered keys from spilling the same
  // pages to the log again and again; statement journals in memory keep the savepoint of each
  // write inside a group from creating and deleting a temporary file (measured: 1.8 ms against
  // 0.04 ms a write).
  if (db.Exec("PRAGMA synchronous=FULL") != SQLITE_OK ||
      db.Exec("PRAGMA cache_size=-65536") != SQLITE_OK ||
      db.Exec("PRAGMA temp_store=MEMORY") != SQLITE_OK) {
    detail = "settings: " + db.ErrorMessage();
    return false;
  }
  struct Prepared {
    sql::Statement& statement;
    const char* sql;
  };
  const Prepared statements[] = {
      {nextOid, "UPDATE oid_counter SET next = next + 1 RETURNING next - 1"},
      {insertRecord, "INSERT INTO records(db, skey, oid, props) VALUES(?1, ?2, ?3, ?4)"},
      {selectRecord, "SELECT skey, props FROM records WHERE oid = ?1 AND db = ?2"},
      {updateRecord, "UPDATE records SET skey = ?1, props = ?2 WHERE oid = ?3"},
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
  for (const Prepared& p : statements) {
    if (p.statement.Prepare(db, p.sql) != SQLITE_OK) {
      detail = "prepare: " + db.ErrorMessage();
      return false;
    }
  }
  // The first real read: a folder that does not let SQLite make its -wal shows here.
  sql::Statement probe;
  if (probe.Prepare(db, "SELECT count(*) FROM databases") != SQLITE_OK ||
      probe.Step() != SQLITE_ROW) {
    detail = "read: " + db.ErrorMessage();
    return false;
  }
  return true;
}

int Volume::Begin() {
  if (rolledBack_) return 0;
  EndReads();
  if (depth_ == 0) {
    if (!Exec("BEGIN IMMEDIATE")) return 0;
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

StoreError DatabaseHandle::LastError() const {
  return cursor_ ? cursor_->error_ : StoreError::Misuse;
}

Oid DatabaseHandle::SeekToRecord(Oid record) {
  if (!cursor_) return 0;
  detail::Volume& v = cursor_->volume();
  StatementUse use(v.selectRecord);
  v.selectRecord.Bind(1, record);
  v.selectRecord.Bind(2, cursor_->database());
  const int rc = v.selectRecord.Step();
  if (rc != SQLITE_ROW) {
    cursor_->error_ = v.Check(rc) ? StoreError::NotFound : v.lastError;
    return 0;
  }
  cursor_->PlaceBefore(v.selectRecord.ColumnInt64(0), record);
  cursor_->error_ = StoreError::None;
  return record;
}

Oid DatabaseHandle::SeekFirstEqual(std::uint32_t key) {
  if (!cursor_) return 0;
  detail::Volume& v = cursor_->volume();
  StatementUse use(v.firstWithKey);
  v.firstWithKey.Bind(1, cursor_->database());
  v.firstWithKey.Bind(2, key);
  const int rc = v.firstWithKey.Step();
  if (rc != SQLITE_ROW) {
    cursor_->error_ = v.Check(rc) ? StoreError::NotFound : v.lastError;
    return 0;
  }
  const auto oid = static_cast<Oid>(v.firstWithKey.ColumnInt64(0));
  cursor_->PlaceBefore(key, oid);
  cursor_->error_ = StoreError::None;
  return oid;
}

Oid DatabaseHandle::ReadRecord(Record& out) {
  return cursor_ ? cursor_->Read(out) : 0;
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

  std::vector<std::uint8_t> bytes;
  Oid oid = record;
  std::int64_t skey = 0;
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
    Record stored;
    {
      StatementUse use(v.selectRecord);
      v.selectRecord.Bind(1, record);
      v.selectRecord.Bind(2, database);
      const int rc = v.selectRecord.Step();
      if (rc != SQLITE_ROW) {
        if (v.Check(rc)) v.lastError = StoreError::NotFound;
        return fail();
      }
      if (!DecodeRecord(v.selectRecord.ColumnBlob(1), stored)) {
        v.lastError = StoreError::Corrupt;
        return fail();
      }
    }
    detail::MergeInto(stored, props);
    EncodeRecord(stored, bytes);
    skey = detail::SortValue(stored);
    StatementUse use(v.updateRecord);
    v.updateRecord.Bind(1, skey);
    v.updateRecord.BindBlobStatic(2, bytes);
    v.updateRecord.Bind(3, record);
    if (!v.Check(v.updateRecord.Step())) return fail();
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
  if (!scope.Commit()) return fail();
  cursor_->error_ = StoreError::None;
  return true;
}

// ---- ObjectStore ----

ObjectStore::ObjectStore(std::shared_ptr<detail::Volume> volume) : volume_(std::move(volume)) {}
ObjectStore::~ObjectStore() = default;

ObjectStore::OpenResult ObjectStore::OpenVolume(const std::filesystem::path& file,
                                                IoFaults* faults) {
  OpenResult result;
  detail::VolumeCheck check = detail::CheckVolumeFile(file);
  if (check.missing) {
    check = detail::CreateVolumeFile(file, faults != nullptr ? faults->VfsName().c_str() : nullptr);
    if (check.status != VolumeStatus::Created) {
      result.status = VolumeStatus::CreateFailed;
      result.detail = std::move(check.detail);
      return result;
    }
  } else if (check.status != VolumeStatus::Opened) {
    result.status = check.status;
    result.detail = std::move(check.detail);
    return result;
  }
  auto volume = std::make_shared<detail::Volume>();
  std::string detail;
  if (!volume->Open(file, faults, detail)) {
    result.status = VolumeStatus::Unreadable;
    result.detail = std::move(detail);
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

Oid ObjectStore::CreateDatabase(std::u16string_view name, std::uint32_t type, PropId sortProp) {
  detail::Volume& v = *volume_;
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
  return scope.Commit() ? *oid : 0;
}

OpenedDatabase ObjectStore::OpenDatabase(std::u16string_view name, PropId sortProp) {
  detail::Volume& v = *volume_;
  OpenedDatabase opened;
  const std::vector<std::uint8_t> nameBytes = detail::NameBytes(name);
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
  const auto oid = static_cast<Oid>(v.databaseByName.ColumnInt64(0));
  if (static_cast<PropId>(v.databaseByName.ColumnInt64(1)) != sortProp) {
    v.lastError = StoreError::Misuse;
    return opened;
  }
  auto cursor = std::make_unique<detail::Cursor>(volume_, oid);
  if (!cursor->Prepare()) return opened;
  opened.status = OpenStatus::Opened;
  opened.oid = oid;
  opened.handle = DatabaseHandle(std::move(cursor));
  return opened;
}

std::optional<DatabaseInfo> ObjectStore::GetDatabaseInfo(Oid database) {
  detail::Volume& v = *volume_;
  StatementUse use(v.databaseByOid);
  v.databaseByOid.Bind(1, database);
  const int rc = v.databaseByOid.Step();
  if (rc != SQLITE_ROW) {
    if (v.Check(rc)) v.lastError = StoreError::NotFound;
    return std::nullopt;
  }
  DatabaseInfo info;
  info.oid = database;
  info.name = detail::NameFromBytes(v.databaseByOid.ColumnBlob(0));
  info.type = static_cast<std::uint32_t>(v.databaseByOid.ColumnInt64(1));
  info.sortProp = static_cast<PropId>(v.databaseByOid.ColumnInt64(2));
  info.recordCount = static_cast<std::uint32_t>(v.databaseByOid.ColumnInt64(3));
  return info;
}

bool ObjectStore::DeleteDatabase(Oid database) {
  detail::Volume& v = *volume_;
  const int depth = v.Begin();
  Transaction scope(volume_, depth);
  if (depth == 0) return false;
  {
    StatementUse use(v.deleteDatabaseRecords);
    v.deleteDatabaseRecords.Bind(1, database);
    if (!v.Check(v.deleteDatabaseRecords.Step())) return false;
  }
  {
    StatementUse use(v.deleteDatabase);
    v.deleteDatabase.Bind(1, database);
    if (!v.Check(v.deleteDatabase.Step())) return false;
    if (sqlite3_changes(v.db.get()) != 1) return v.Fail(StoreError::NotFound);
  }
  return scope.Commit();
}

Transaction ObjectStore::BeginTransaction() {
  const int depth = volume_->Begin();
  return depth > 0 ? Transaction(volume_, depth) : Transaction();
}

bool ObjectStore::CheckIntegrity() {
  volume_->EndReads();
  sql::Statement check;
  if (check.Prepare(volume_->db, "PRAGMA integrity_check") != SQLITE_OK) return false;
  return check.Step() == SQLITE_ROW && check.ColumnText(0) == "ok";
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
