// The second sort orders' copies of the records, and the check that they and the key runs agree
// with the records.
#include <algorithm>
#include <map>

#include "platform/date_order.h"
#include "platform/volume.h"

namespace quidora::platform::detail {

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

bool Volume::InsertCopy(Oid database, PropId prop, std::int64_t value, std::int64_t skey, Oid oid,
                        std::span<const std::uint8_t> bytes) {
  StatementUse use(insertCopy);
  insertCopy.Bind(1, database);
  insertCopy.Bind(2, prop);
  insertCopy.Bind(3, value);
  insertCopy.Bind(4, skey);
  insertCopy.Bind(5, oid);
  insertCopy.BindBlobStatic(6, bytes);
  return Check(insertCopy.Step());
}

bool Volume::AddCopies(Oid database, const std::vector<PropId>& orders, std::int64_t skey, Oid oid,
                       std::span<const std::uint8_t> bytes, bool decoded,
                       std::span<const PropValue> props) {
  for (PropId prop : orders) {
    if (!InsertCopy(database, prop, OrderValue(decoded, props, prop), skey, oid, bytes)) {
      return false;
    }
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
  return InsertCopy(database, prop, value, skey, oid, bytes);
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
struct Stored {
  std::int64_t skey;
  std::vector<std::uint8_t> bytes;
};

// Whether the date order of `database`, when it keeps one, places every one of its `records`
// (by oid) where its properties say and carries what they say.
bool DatePlacesAgree(sql::Connection& db, std::int64_t database,
                     const std::map<std::int64_t, Stored>& records) {
  std::optional<DateOrder> order;
  if (!ReadRows(db, "SELECT grp, year, month, day, carried FROM date_orders WHERE db = ?1",
                database, [&](sql::Statement& s) {
                  order = DateOrder{static_cast<PropId>(s.ColumnInt64(0)),
                                    static_cast<PropId>(s.ColumnInt64(1)),
                                    static_cast<PropId>(s.ColumnInt64(2)),
                                    static_cast<PropId>(s.ColumnInt64(3)),
                                    PropIdsFromBytes(s.ColumnBlob(4))};
                })) {
    return false;
  }
  if (!order) return true;
  std::size_t places = 0;
  bool agree = true;
  Record props;
  std::vector<std::uint8_t> carried;
  if (!ReadRows(db, "SELECT grp, date, skey, oid, carried FROM dated_records WHERE db = ?1",
                database, [&](sql::Statement& s) {
                  ++places;
                  const auto found = records.find(s.ColumnInt64(3));
                  if (found == records.end() || found->second.skey != s.ColumnInt64(2)) {
                    agree = false;
                    return;
                  }
                  const bool decoded = DecodeRecord(found->second.bytes, props);
                  const DatePlace place = DatePlaceOf(*order, decoded, props);
                  EncodeCarried(*order, decoded, props, carried);
                  const auto stored = s.ColumnBlob(4);
                  if (s.ColumnInt64(0) != place.group || s.ColumnInt64(1) != place.date ||
                      !std::equal(stored.begin(), stored.end(), carried.begin(), carried.end())) {
                    agree = false;
                  }
                })) {
    return false;
  }
  return agree && places == records.size();
}

}  // namespace

bool OrdersAndRunsAgree(sql::Connection& db, bool dateOrders) {
  std::vector<std::int64_t> databases;
  if (!ReadRows(db, "SELECT oid FROM databases", std::nullopt,
                [&](sql::Statement& s) { databases.push_back(s.ColumnInt64(0)); })) {
    return false;
  }
  for (std::int64_t database : databases) {
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
    if (dateOrders && !DatePlacesAgree(db, database, records)) return false;
  }
  return true;
}

}  // namespace quidora::platform::detail
