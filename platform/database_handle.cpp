// DatabaseHandle: reads through its cursor, and the writes that keep a record, its copies in
// the second sort orders and the key runs together in one transaction.
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "platform/object_store.h"
#include "platform/store_cursor.h"
#include "platform/volume.h"

namespace quidora::platform {
namespace detail {
namespace {

// Records without a key sort after every key.
constexpr std::int64_t kNoKeySort = std::int64_t{1} << 32;

std::int64_t SortValue(std::span<const PropValue> props) {
  const SortKey key = SortKeyOf(props);
  return key.present ? std::int64_t{key.value} : kNoKeySort;
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

// The stored key of a record of `database` and, when `props` is given, its properties. False
// with the volume's last error set (NotFound, Undecodable or the read's failure).
// With `decoded`, a record that cannot be decoded is no failure: `*decoded` tells.
bool ReadStored(Volume& v, Oid database, Oid record, std::int64_t& skey, Record* props,
                bool* decoded = nullptr) {
  StatementUse use(v.selectRecord);
  v.selectRecord.Bind(1, record);
  v.selectRecord.Bind(2, database);
  const int rc = v.selectRecord.Step();
  if (rc != SQLITE_ROW) {
    if (v.Check(rc)) v.lastError = StoreError::NotFound;
    return false;
  }
  skey = v.selectRecord.ColumnInt64(0);
  if (props == nullptr) return true;
  const bool readable = DecodeRecord(v.selectRecord.ColumnBlob(1), *props);
  if (decoded != nullptr) {
    *decoded = readable;
    return true;
  }
  return readable || v.Fail(StoreError::Undecodable);
}

}  // namespace
}  // namespace detail

using detail::StatementUse;

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
  const std::optional<std::optional<DateOrder>> dateOrder = v.DateOrderOf(database);
  if (!dateOrder) return fail();
  Record before;  // the stored properties, while the date order needs them

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
    if (!detail::ReadStored(v, database, record, oldSkey, &stored)) return fail();
    for (PropId prop : *orders) oldValues.push_back(detail::OrderValue(true, stored, prop));
    if (*dateOrder) before = stored;
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
  if (*dateOrder) {
    const bool placed =
        record == 0 ? v.PlaceDated(database, **dateOrder, skey, oid, true, written)
                    : v.MoveDated(database, **dateOrder, oldSkey, before, skey, oid, written);
    if (!placed) return fail();
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
  const std::optional<std::optional<DateOrder>> dateOrder = v.DateOrderOf(database);
  if (!dateOrder) return fail();
  std::int64_t skey = 0;
  Record stored;
  bool decoded = true;
  if (!detail::ReadStored(v, database, record, skey, *dateOrder ? &stored : nullptr, &decoded)) {
    return fail();
  }
  if (*dateOrder && !v.UnplaceDated(database, **dateOrder, skey, record, decoded, stored)) {
    return fail();
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
}  // namespace quidora::platform
