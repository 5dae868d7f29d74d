// The places of the records in their database's date order, kept by every write in its
// transaction.
#include <algorithm>
#include <tuple>

#include "platform/date_order.h"
#include "platform/volume.h"

namespace quidora::platform::detail {

std::optional<std::optional<DateOrder>> Volume::DateOrderOf(Oid database) {
  if (!HasDateOrders()) return std::optional<DateOrder>();
  StatementUse use(dateOrderOf);
  dateOrderOf.Bind(1, database);
  const int rc = dateOrderOf.Step();
  if (rc == SQLITE_DONE) return std::optional<DateOrder>();
  if (rc != SQLITE_ROW) {
    Check(rc);
    return std::nullopt;
  }
  DateOrder order;
  order.group = static_cast<PropId>(dateOrderOf.ColumnInt64(0));
  order.year = static_cast<PropId>(dateOrderOf.ColumnInt64(1));
  order.month = static_cast<PropId>(dateOrderOf.ColumnInt64(2));
  order.day = static_cast<PropId>(dateOrderOf.ColumnInt64(3));
  order.carried = PropIdsFromBytes(dateOrderOf.ColumnBlob(4));
  return std::optional<DateOrder>(std::move(order));
}

bool Volume::AddDateOrder(Oid database, const DateOrder& order) {
  const bool numbers = std::all_of(order.carried.begin(), order.carried.end(), IsUi4);
  if (!HasDateOrders() || !IsUi4(order.group) || !IsUi4(order.year) || !IsUi4(order.month) ||
      !IsUi4(order.day) || !numbers) {
    return Fail(StoreError::Misuse);
  }
  {
    const std::vector<std::uint8_t> carried = PropIdBytes(order.carried);
    StatementUse use(insertDateOrder);
    insertDateOrder.Bind(1, database);
    insertDateOrder.Bind(2, order.group);
    insertDateOrder.Bind(3, order.year);
    insertDateOrder.Bind(4, order.month);
    insertDateOrder.Bind(5, order.day);
    insertDateOrder.BindBlobStatic(6, carried);
    if (!Check(insertDateOrder.Step())) return false;
  }
  // The places are gathered first and stored in their own order: each insert then lands beside
  // the one before instead of on a page anywhere in the tree, which at a million records is the
  // difference between seconds and minutes.
  struct Place {
    std::int64_t group;
    std::uint32_t date;
    std::int64_t skey;
    std::int64_t oid;
    std::vector<std::uint8_t> carried;
  };
  std::vector<Place> places;
  {
    StatementUse use(recordsOf);
    recordsOf.Bind(1, database);
    Record props;
    int rc = SQLITE_OK;
    while ((rc = recordsOf.Step()) == SQLITE_ROW) {
      const std::span<const std::uint8_t> bytes = recordsOf.ColumnBlob(2);
      const bool decoded = DecodeRecord(bytes, props);
      const DatePlace place = DatePlaceOf(order, decoded, props);
      Place& stored = places.emplace_back(
          Place{place.group, place.date, recordsOf.ColumnInt64(0), recordsOf.ColumnInt64(1), {}});
      EncodeCarried(order, decoded, props, stored.carried);
    }
    if (!Check(rc)) return false;
  }
  std::sort(places.begin(), places.end(), [](const Place& a, const Place& b) {
    return std::tie(a.group, a.date, a.skey, a.oid) < std::tie(b.group, b.date, b.skey, b.oid);
  });
  for (const Place& place : places) {
    StatementUse use(insertDated);
    insertDated.Bind(1, database);
    insertDated.Bind(2, place.group);
    insertDated.Bind(3, place.date);
    insertDated.Bind(4, place.skey);
    insertDated.Bind(5, place.oid);
    insertDated.BindBlobStatic(6, place.carried);
    if (!Check(insertDated.Step())) return false;
  }
  return true;
}

namespace {

// Binds the five columns that name a place (?1 to ?5).
void BindPlace(sql::Statement& statement, Oid database, const DatePlace& place, std::int64_t skey,
               Oid oid) {
  statement.Bind(1, database);
  statement.Bind(2, place.group);
  statement.Bind(3, place.date);
  statement.Bind(4, skey);
  statement.Bind(5, oid);
}

}  // namespace

bool Volume::PlaceDated(Oid database, const DateOrder& order, std::int64_t skey, Oid oid,
                        bool decoded, std::span<const PropValue> props) {
  std::vector<std::uint8_t> carried;
  EncodeCarried(order, decoded, props, carried);
  StatementUse use(insertDated);
  BindPlace(insertDated, database, DatePlaceOf(order, decoded, props), skey, oid);
  insertDated.BindBlobStatic(6, carried);
  return Check(insertDated.Step());
}

bool Volume::UnplaceDated(Oid database, const DateOrder& order, std::int64_t skey, Oid oid,
                          bool decoded, std::span<const PropValue> props) {
  {
    StatementUse use(deleteDated);
    BindPlace(deleteDated, database, DatePlaceOf(order, decoded, props), skey, oid);
    if (!Check(deleteDated.Step())) return false;
  }
  if (sqlite3_changes(db.get()) == 1) return true;
  // The place was not where the record says: wherever it is, it goes (a walk of the database's
  // places, which only a damaged volume ever pays).
  StatementUse use(deleteDatedOf);
  deleteDatedOf.Bind(1, database);
  deleteDatedOf.Bind(2, oid);
  return Check(deleteDatedOf.Step());
}

bool Volume::MoveDated(Oid database, const DateOrder& order, std::int64_t oldSkey,
                       std::span<const PropValue> oldProps, std::int64_t skey, Oid oid,
                       std::span<const PropValue> props) {
  if (oldSkey == skey && DatePlaceOf(order, true, oldProps) == DatePlaceOf(order, true, props)) {
    std::vector<std::uint8_t> carried;
    EncodeCarried(order, true, props, carried);
    StatementUse use(updateDated);
    BindPlace(updateDated, database, DatePlaceOf(order, true, props), skey, oid);
    updateDated.BindBlobStatic(6, carried);
    if (!Check(updateDated.Step())) return false;
    if (sqlite3_changes(db.get()) == 1) return true;
  }
  return UnplaceDated(database, order, oldSkey, oid, true, oldProps) &&
         PlaceDated(database, order, skey, oid, true, props);
}

std::optional<std::vector<std::pair<Oid, DateOrder>>> Volume::MissingDateOrders(
    const VolumeOptions& options) {
  std::vector<std::pair<Oid, DateOrder>> missing;
  for (const DateOrderWanted& wanted : options.dateOrders) {
    const std::vector<std::uint8_t> name = NameBytes(wanted.database);
    Oid database = 0;
    {
      StatementUse use(databaseByName);
      databaseByName.BindBlobStatic(1, name);
      const int rc = databaseByName.Step();
      if (rc == SQLITE_DONE) continue;
      if (!Check(rc)) return std::nullopt;
      database = static_cast<Oid>(databaseByName.ColumnInt64(0));
    }
    const std::optional<std::optional<DateOrder>> kept = DateOrderOf(database);
    if (!kept) return std::nullopt;
    if (!kept->has_value()) missing.emplace_back(database, wanted.order);
  }
  return missing;
}

}  // namespace quidora::platform::detail
