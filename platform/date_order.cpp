#include "platform/date_order.h"

#include <algorithm>

#include "core/stored_date.h"
#include "platform/volume_file.h"

namespace quidora::platform::detail {

DatePlace DatePlaceOf(const DateOrder& order, bool decoded, std::span<const PropValue> props) {
  if (!decoded) return {kValueUndecodable, 0};
  const SortKey year = LastValueOf(props, order.year);
  const SortKey month = LastValueOf(props, order.month);
  const SortKey day = LastValueOf(props, order.day);
  return {OrderValue(true, props, order.group),
          StoredDateNumber(year.present ? year.value : 0, month.present ? month.value : 0,
                           day.present ? day.value : 0)};
}

namespace {

void PutVarint(std::uint64_t value, std::vector<std::uint8_t>& out) {
  while (value >= 0x80) {
    out.push_back(static_cast<std::uint8_t>(value | 0x80));
    value >>= 7;
  }
  out.push_back(static_cast<std::uint8_t>(value));
}

bool TakeVarint(std::span<const std::uint8_t>& bytes, std::uint64_t& value) {
  value = 0;
  for (int shift = 0; shift < 64 && !bytes.empty(); shift += 7) {
    const std::uint8_t byte = bytes.front();
    bytes = bytes.subspan(1);
    value |= std::uint64_t{byte & 0x7Fu} << shift;
    if ((byte & 0x80) == 0) return true;
  }
  return false;
}

}  // namespace

void EncodeCarried(const DateOrder& order, bool decoded, std::span<const PropValue> props,
                   std::vector<std::uint8_t>& out) {
  out.clear();
  if (!decoded) return;
  // A place is read far more often than it is written, and there are as many as records: each
  // carried number is one varint, 0 for a property the record lacks and value + 1 otherwise.
  for (PropId id : order.carried) {
    const SortKey value = LastValueOf(props, id);
    PutVarint(value.present ? std::uint64_t{value.value} + 1 : 0, out);
  }
}

bool DecodeCarried(const DateOrder& order, std::span<const std::uint8_t> bytes, Record& out) {
  out.clear();
  for (PropId id : order.carried) {
    std::uint64_t value = 0;
    if (!TakeVarint(bytes, value) || value > 0x100000000u) return false;
    if (value != 0) out.push_back(PropValue::Ui4(id, static_cast<std::uint32_t>(value - 1)));
  }
  return bytes.empty();
}

std::vector<std::uint8_t> PropIdBytes(std::span<const PropId> ids) {
  std::vector<std::uint8_t> bytes;
  for (PropId id : ids) {
    for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<std::uint8_t>(id >> shift));
  }
  return bytes;
}

std::vector<PropId> PropIdsFromBytes(std::span<const std::uint8_t> bytes) {
  std::vector<PropId> ids;
  for (std::size_t i = 0; i + 4 <= bytes.size(); i += 4) {
    ids.push_back(static_cast<PropId>(bytes[i]) | static_cast<PropId>(bytes[i + 1]) << 8 |
                  static_cast<PropId>(bytes[i + 2]) << 16 |
                  static_cast<PropId>(bytes[i + 3]) << 24);
  }
  return ids;
}

namespace {

constexpr const char* kCarriedScan =
    "SELECT grp, date, carried, skey, oid FROM dated_records"
    " WHERE db = ?1 AND grp = ?2 AND date BETWEEN ?3 AND ?4 ORDER BY date, skey, oid";
constexpr const char* kWholeScan =
    "SELECT d.grp, d.date, r.props, d.skey, d.oid FROM dated_records AS d"
    " LEFT JOIN records AS r ON r.db = d.db AND r.skey = d.skey AND r.oid = d.oid"
    " WHERE d.db = ?1 AND d.grp = ?2 AND d.date BETWEEN ?3 AND ?4"
    " ORDER BY d.date, d.skey, d.oid";

// What a read of the carried properties turns them into: the stored encoding of the carried
// properties the record holds, as a whole read would hand them with the rest.
struct CarriedRead {
  DateOrder order;
  Record props;
  std::vector<std::uint8_t> bytes;
};

// Hands over one group's records in first..last; false when `take` stopped the read or the read
// failed (rc then says why). `carried` is given for a scan of the carried properties.
bool ReadGroup(sql::Statement& scan, std::int64_t database, std::int64_t group,
               std::uint32_t first, std::uint32_t last, CarriedRead* carried,
               const TakeDated& take, bool& stopped, int& rc) {
  scan.Bind(1, database);
  scan.Bind(2, group);
  scan.Bind(3, first);
  scan.Bind(4, last);
  DatedRecord record;
  record.group = group < kValueAbsent ? std::optional<std::uint32_t>(static_cast<std::uint32_t>(group))
                                      : std::nullopt;
  record.undecodable = group == kValueUndecodable;
  while ((rc = scan.Step()) == SQLITE_ROW) {
    if (scan.ColumnType(2) == SQLITE_NULL) {
      rc = SQLITE_CORRUPT;  // the order places a record the database does not hold
      break;
    }
    record.date = static_cast<std::uint32_t>(scan.ColumnInt64(1));
    record.sortKey = scan.ColumnInt64(3);
    record.oid = static_cast<Oid>(scan.ColumnInt64(4));
    record.bytes = scan.ColumnBlob(2);
    if (carried != nullptr && !record.undecodable) {
      if (!DecodeCarried(carried->order, record.bytes, carried->props)) {
        rc = SQLITE_CORRUPT;
        break;
      }
      carried->bytes.clear();
      EncodeRecord(carried->props, carried->bytes);
      record.bytes = carried->bytes;
    }
    if (!take(record)) {
      stopped = true;
      break;
    }
  }
  scan.Reset();
  if (stopped) rc = SQLITE_OK;
  return !stopped && rc == SQLITE_DONE;
}

}  // namespace

RangeRead ReadDated(const sql::Connection& db, std::int64_t database, const DateRange& range,
                    const TakeDated& take, int& rc) {
  sql::Statement order;
  // A volume of a version before date orders has no such table: it keeps none.
  if (order.Prepare(db, "SELECT carried FROM date_orders WHERE db = ?1") != SQLITE_OK) {
    return RangeRead::NoOrder;
  }
  order.Bind(1, database);
  rc = order.Step();
  if (rc == SQLITE_DONE) return RangeRead::NoOrder;
  if (rc != SQLITE_ROW) return RangeRead::Failed;
  CarriedRead carried;
  carried.order.carried = PropIdsFromBytes(order.ColumnBlob(0));
  sql::Statement scan;
  sql::Statement whole;
  sql::Statement nextGroup;
  if ((rc = scan.Prepare(db, range.whole ? kWholeScan : kCarriedScan)) != SQLITE_OK ||
      (rc = whole.Prepare(db, kWholeScan)) != SQLITE_OK ||
      (rc = nextGroup.Prepare(db,
                              "SELECT grp FROM dated_records WHERE db = ?1 AND grp > ?2"
                              " AND grp < ?3 ORDER BY grp LIMIT 1")) != SQLITE_OK) {
    return RangeRead::Failed;
  }
  bool stopped = false;
  const auto read = [&](sql::Statement& statement, std::int64_t group, std::uint32_t first,
                        std::uint32_t last) {
    CarriedRead* wanted = &statement == &scan && !range.whole ? &carried : nullptr;
    return ReadGroup(statement, database, group, first, last, wanted, take, stopped, rc);
  };
  if (range.group) {
    if (!read(scan, *range.group, range.first, range.last)) {
      return stopped ? RangeRead::Read : RangeRead::Failed;
    }
  } else {
    // Each group is found with one seek past the one before: a walk of the groups, not of the
    // records.
    std::int64_t after = -1;
    while (true) {
      nextGroup.Bind(1, database);
      nextGroup.Bind(2, after);
      nextGroup.Bind(3, kValueUndecodable);
      rc = nextGroup.Step();
      if (rc == SQLITE_DONE) {
        nextGroup.Reset();
        break;
      }
      if (rc != SQLITE_ROW) return RangeRead::Failed;
      after = nextGroup.ColumnInt64(0);
      nextGroup.Reset();
      if (!read(scan, after, range.first, range.last)) {
        return stopped ? RangeRead::Read : RangeRead::Failed;
      }
    }
  }
  if (!read(whole, kValueUndecodable, 0, 0xFFFFFFFF)) {
    return stopped ? RangeRead::Read : RangeRead::Failed;
  }
  rc = SQLITE_OK;
  return RangeRead::Read;
}

}  // namespace quidora::platform::detail
