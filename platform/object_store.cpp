#include "platform/object_store.h"

#include <unistd.h>

#include <cerrno>
#include <vector>

#include "platform/date_order.h"
#include "platform/io_faults.h"
#include "platform/store_cursor.h"
#include "platform/volume.h"

namespace quidora::platform {

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

void ObjectStore::RefuseWrites() {
  volume_->RefuseWrites();
}

bool ObjectStore::WritesRefused() const {
  return volume_->WritesRefused();
}

Oid ObjectStore::CreateDatabase(std::u16string_view name, std::uint32_t type, PropId sortProp,
                                std::span<const PropId> moreSortOrders,
                                const DateOrder* dateOrder) {
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
  if (dateOrder != nullptr && !v.AddDateOrder(*oid, *dateOrder)) return 0;
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
  std::optional<std::optional<DateOrder>> dateOrder = v.DateOrderOf(database);
  if (!dateOrder) return std::nullopt;
  info.dateOrder = std::move(*dateOrder);
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
  if (v.HasDateOrders() &&
      (!run(v.deleteDatabaseDated) || !run(v.deleteDatabaseDateOrder))) {
    return false;
  }
  if (!run(v.deleteDatabase)) return false;
  if (sqlite3_changes(v.db.get()) != 1) return v.Fail(StoreError::NotFound);
  return scope.Commit();
}

RangeRead ObjectStore::ReadDateRange(std::u16string_view database, const DateRange& range,
                                     const TakeDated& take) {
  detail::Volume& v = *volume_;
  v.EndReads();
  const std::vector<std::uint8_t> nameBytes = detail::NameBytes(database);
  std::int64_t oid = 0;
  {
    StatementUse use(v.databaseByName);
    v.databaseByName.BindBlobStatic(1, nameBytes);
    const int rc = v.databaseByName.Step();
    if (rc == SQLITE_DONE) {
      v.lastError = StoreError::NotFound;
      return RangeRead::NoDatabase;
    }
    if (!v.Check(rc)) return RangeRead::Failed;
    oid = v.databaseByName.ColumnInt64(0);
  }
  if (!v.HasDateOrders()) return RangeRead::NoOrder;
  int rc = SQLITE_OK;
  const RangeRead read = detail::ReadDated(v.db, oid, range, take, rc);
  if (read == RangeRead::Failed && v.Check(rc)) v.lastError = StoreError::Other;
  return read;
}

Transaction ObjectStore::BeginTransaction() {
  const int depth = volume_->Begin();
  return depth > 0 ? Transaction(volume_, depth) : Transaction();
}

bool ObjectStore::MarkCleanEnd() {
  return volume_->MarkClean();
}

bool ObjectStore::CheckIntegrity() {
  volume_->EndReads();
  {
    sql::Statement check;
    if (check.Prepare(volume_->db, "PRAGMA integrity_check") != SQLITE_OK) return false;
    if (check.Step() != SQLITE_ROW || check.ColumnText(0) != "ok") return false;
  }
  return !volume_->HasOrders() || detail::OrdersAndRunsAgree(volume_->db, volume_->HasDateOrders());
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
