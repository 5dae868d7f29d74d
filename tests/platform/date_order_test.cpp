// Date orders: after any mix of writes, a read of a range of dates (of one group or of all)
// hands over exactly the records a full read keeps by the same test, in date order; its carried
// properties are the records' own; the order survives damage a full read meets, and a volume of
// the second version gains it once, whole.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <tuple>

#include "platform/object_store.h"
#include "temp_folder.h"
#include "volume_fixtures.h"

namespace quidora::platform {
namespace {

using testing::TempFolder;

constexpr PropId kAccount = MakePropId(1, kTypeUi4);
constexpr PropId kDay = MakePropId(2, kTypeUi4);
constexpr PropId kMonth = MakePropId(3, kTypeUi4);
constexpr PropId kYear = MakePropId(4, kTypeUi4);
constexpr PropId kAmount = MakePropId(5, kTypeUi4);
constexpr PropId kType = MakePropId(6, kTypeUi4);
constexpr PropId kMemo = MakePropId(8, kTypeLpwstr);

std::uint32_t Below(std::mt19937& random, std::uint32_t bound) {
  return static_cast<std::uint32_t>(random() % bound);
}

// The date number a record of these properties has, as the order is to place it.
std::uint32_t DateNumber(const Record& record) {
  const SortKey year = LastValueOf(record, kYear);
  const SortKey month = LastValueOf(record, kMonth);
  const SortKey day = LastValueOf(record, kDay);
  const std::uint32_t y = year.present ? year.value : 0;
  const std::uint32_t m = month.present ? month.value : 0;
  const std::uint32_t d = day.present ? day.value : 0;
  if (y < 1000 || y > 9999 || m > 12 || d > 31) return 0;
  return y * 10000 + m * 100 + d;
}

// Keys crowd together (duplicates are common); accounts, dates and amounts are missing,
// doubled or out of range now and then.
Record RandomRecord(std::mt19937& random) {
  Record record;
  if (Below(random, 15) != 0) record.push_back(PropValue::Ui4(kKeyPropId, Below(random, 40)));
  const std::uint32_t accounts = Below(random, 8) == 0 ? 2 : Below(random, 10) == 0 ? 0 : 1;
  for (std::uint32_t i = 0; i < accounts; ++i) {
    record.push_back(PropValue::Ui4(kAccount, 1 + Below(random, 3)));
  }
  if (Below(random, 12) != 0) record.push_back(PropValue::Ui4(kDay, 1 + Below(random, 31)));
  if (Below(random, 12) != 0) record.push_back(PropValue::Ui4(kMonth, Below(random, 14)));
  if (Below(random, 12) != 0) {
    record.push_back(PropValue::Ui4(kYear, Below(random, 20) == 0 ? 70000 : 2000 + Below(random, 4)));
  }
  if (Below(random, 10) != 0) record.push_back(PropValue::Ui4(kAmount, Below(random, 100000)));
  if (Below(random, 20) == 0) record.push_back(PropValue::Ui4(kAmount, Below(random, 100)));
  record.push_back(PropValue::Ui4(kType, Below(random, 2)));
  record.push_back(PropValue::Text(kMemo, u"memo"));
  return record;
}

class DateOrderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto opened = ObjectStore::OpenVolume(file());
    ASSERT_EQ(opened.status, VolumeStatus::Created) << opened.detail;
    store_ = std::move(opened.store);
    const PropId orders[] = {kAccount};
    const DateOrder order = testing::MoneyDateOrder();
    ASSERT_NE(store_->CreateDatabase(u"money", 0, kKeyPropId, orders, &order), 0u);
    db_ = std::move(store_->OpenDatabase(u"money").handle);
  }

  std::filesystem::path file() const { return folder_ / "objectstore.db"; }

  struct Seen {
    std::uint32_t date;
    Oid oid;
    Record record;  // the whole record, or only what the order carries
    friend bool operator==(const Seen&, const Seen&) = default;
  };

  // What a full read in key order keeps of the range, stably sorted by date (the order's answer)
  // or left in key order.
  std::vector<Seen> FullRead(const DateRange& range, bool byDate = true) {
    std::vector<Seen> kept;
    DatabaseHandle all = std::move(store_->OpenDatabase(u"money").handle);
    Record record;
    while (const Oid oid = all.ReadRecord(record)) {
      const SortKey account = LastValueOf(record, kAccount);
      if (range.group && (!account.present || account.value != *range.group)) continue;
      const std::uint32_t date = DateNumber(record);
      if (date < range.first || date > range.last) continue;
      Record wanted = record;
      if (!range.whole) {
        wanted.clear();
        for (PropId id : {kAmount, kType}) {
          if (const SortKey value = LastValueOf(record, id); value.present) {
            wanted.push_back(PropValue::Ui4(id, value.value));
          }
        }
      }
      kept.push_back({date, oid, wanted});
    }
    if (byDate) {
      std::stable_sort(kept.begin(), kept.end(),
                       [](const Seen& a, const Seen& b) { return a.date < b.date; });
    }
    return kept;
  }

  // The range read, with the groups of an all-groups read in ascending order (as a full read
  // sorted by group and then date would list them).
  // `inKeyOrder` gets the records sorted back by the place each was handed with.
  std::vector<Seen> RangeRead(const DateRange& range, int* undecodable = nullptr,
                              std::vector<Seen>* inKeyOrder = nullptr) {
    std::vector<Seen> read;
    std::vector<std::pair<std::int64_t, Oid>> places;
    Record record;
    const auto status = store_->ReadDateRange(u"money", range, [&](const DatedRecord& dated) {
      if (dated.undecodable) {
        if (undecodable != nullptr) ++*undecodable;
        return true;
      }
      EXPECT_TRUE(DecodeRecord(dated.bytes, record));
      if (range.whole) {
        EXPECT_EQ(dated.group.has_value(), LastValueOf(record, kAccount).present);
      }
      read.push_back({dated.date, dated.oid, record});
      places.emplace_back(dated.sortKey, dated.oid);
      return true;
    });
    EXPECT_EQ(status, RangeRead::Read);
    if (inKeyOrder != nullptr) {
      std::vector<std::size_t> order(read.size());
      std::iota(order.begin(), order.end(), std::size_t{0});
      std::sort(order.begin(), order.end(),
                [&](std::size_t a, std::size_t b) { return places[a] < places[b]; });
      for (std::size_t at : order) inKeyOrder->push_back(read[at]);
    }
    return read;
  }

  TempFolder folder_;
  std::unique_ptr<ObjectStore> store_;
  DatabaseHandle db_;
};

TEST_F(DateOrderTest, RangeReadsAgreeWithTheFullReadAfterEveryKindOfWrite) {
  const unsigned seed = std::random_device()();
  SCOPED_TRACE("seed " + std::to_string(seed));
  std::mt19937 random(seed);
  std::vector<Oid> oids;
  for (int step = 1; step <= 500; ++step) {
    const std::uint32_t op = Below(random, 10);
    if (op < 6 || oids.empty()) {
      const Oid oid = db_.WriteRecord(0, RandomRecord(random));
      ASSERT_NE(oid, 0u);
      oids.push_back(oid);
    } else if (op < 8) {
      // Over a stored record: key, account and date may change, or only the amount.
      const Oid over = oids[Below(random, static_cast<std::uint32_t>(oids.size()))];
      const Record write = Below(random, 3) == 0
                               ? Record{PropValue::Ui4(kAmount, Below(random, 1000))}
                               : RandomRecord(random);
      ASSERT_NE(db_.WriteRecord(over, write), 0u);
    } else {
      const std::size_t at = Below(random, static_cast<std::uint32_t>(oids.size()));
      ASSERT_TRUE(db_.DeleteRecord(oids[at]));
      oids.erase(oids.begin() + static_cast<std::ptrdiff_t>(at));
    }
    if (step % 100 != 0) continue;
    ASSERT_TRUE(store_->CheckIntegrity()) << "step " << step;
    for (bool whole : {true, false}) {
      // One account's year, a range that takes dates of 0 in, and every record.
      for (const DateRange range :
           {DateRange{2, 20010101, 20011231, whole}, DateRange{1, 0, 20020615, whole},
            DateRange{3, 0, 0xFFFFFFFF, whole}}) {
        std::vector<Seen> inKeyOrder;
        EXPECT_EQ(RangeRead(range, nullptr, &inKeyOrder), FullRead(range)) << "step " << step;
        EXPECT_EQ(inKeyOrder, FullRead(range, false)) << "step " << step;
      }
      // All accounts: the same records, grouped by account.
      const DateRange all{std::nullopt, 20000301, 20021130, whole};
      std::vector<Seen> expected;
      for (std::uint32_t account = 1; account <= 3; ++account) {
        for (Seen& seen : FullRead(DateRange{account, all.first, all.last, whole})) {
          expected.push_back(std::move(seen));
        }
      }
      std::vector<Seen> read = RangeRead(all);
      // Records without an account come last in the order: they are no account's.
      std::vector<Seen> withoutAccount = FullRead(all);
      EXPECT_EQ(read.size(), withoutAccount.size()) << "step " << step;
      read.resize(std::min(read.size(), expected.size()));
      EXPECT_EQ(read, expected) << "step " << step;
    }
  }
  // A caller that has enough stops the read.
  int handed = 0;
  EXPECT_EQ(store_->ReadDateRange(u"money", DateRange{},
                                  [&](const DatedRecord&) { return ++handed < 3; }),
            RangeRead::Read);
  EXPECT_EQ(handed, std::min<int>(3, static_cast<int>(oids.size())));
}

TEST_F(DateOrderTest, UndecodableRecordsComeAfterEveryRangeAndStillDelete) {
  const Oid first = db_.WriteRecord(0, testing::MoneyLike(1));
  const Oid broken = db_.WriteRecord(0, testing::MoneyLike(2));
  db_.Close();
  store_.reset();
  // The record cut short in every place it is kept, each place where a damaged record stands.
  const std::string oid = std::to_string(broken);
  if (!testing::RunSqliteProgram(
          file(), "UPDATE records SET props = x'01' WHERE oid = " + oid +
                      "; UPDATE ordered_records SET props = x'01', value = 4294967297"
                      " WHERE oid = " + oid +
                      "; UPDATE dated_records SET grp = 4294967297, date = 0, carried = x''"
                      " WHERE oid = " + oid + ";")) {
    GTEST_SKIP() << "the sqlite3 program is not installed";
  }
  store_ = std::move(ObjectStore::OpenVolume(file()).store);
  ASSERT_NE(store_, nullptr);
  EXPECT_TRUE(store_->CheckIntegrity());
  for (bool whole : {true, false}) {
    int undecodable = 0;
    EXPECT_EQ(RangeRead(DateRange{7, 30000101, 30001231, whole}, &undecodable).size(), 0u);
    EXPECT_EQ(undecodable, 1) << "a full read would have met it";
    undecodable = 0;
    EXPECT_EQ(RangeRead(DateRange{std::nullopt, 0, 0xFFFFFFFF, whole}, &undecodable).size(), 1u);
    EXPECT_EQ(undecodable, 1);
  }
  DatabaseHandle db = std::move(store_->OpenDatabase(u"money").handle);
  EXPECT_TRUE(db.DeleteRecord(broken));
  EXPECT_TRUE(db.DeleteRecord(first));
  EXPECT_TRUE(store_->CheckIntegrity());
  // A place without its record is damage the read reports.
  ASSERT_NE(db.WriteRecord(0, testing::MoneyLike(3)), 0u);
  db.Close();
  store_.reset();
  ASSERT_TRUE(testing::RunSqliteProgram(file(), "DELETE FROM records;"));
  store_ = std::move(ObjectStore::OpenVolume(file()).store);
  EXPECT_FALSE(store_->CheckIntegrity());
  EXPECT_EQ(store_->ReadDateRange(u"money", DateRange{}, [](const DatedRecord&) { return true; }),
            RangeRead::Failed);
}

TEST_F(DateOrderTest, ASecondVersionVolumeGainsTheOrderOnceWholeAndOlderReadersAreTold) {
  db_.Close();
  store_.reset();
  std::filesystem::remove(file());
  ASSERT_TRUE(testing::MakeVolume(file(), 3000));
  if (!testing::MakeSecondVersionVolume(file())) GTEST_SKIP() << "no sqlite3 program";
  VolumeOptions readOnly;
  readOnly.readOnly = true;
  {
    auto reader = ObjectStore::OpenVolume(file(), readOnly);
    ASSERT_EQ(reader.status, VolumeStatus::Opened) << reader.detail;
    EXPECT_EQ(reader.store->ReadDateRange(u"money", DateRange{}, nullptr), RangeRead::NoOrder);
    EXPECT_EQ(reader.store->ReadDateRange(u"nothing", DateRange{}, nullptr),
              RangeRead::NoDatabase);
  }
  VolumeOptions options;
  options.dateOrders.push_back({u"money", testing::MoneyDateOrder()});
  {
    auto opened = ObjectStore::OpenVolume(file(), options);
    ASSERT_EQ(opened.status, VolumeStatus::Opened) << opened.detail;
    store_ = std::move(opened.store);
  }
  EXPECT_TRUE(store_->CheckIntegrity());
  const Oid money = store_->OpenDatabase(u"money").oid;
  EXPECT_EQ(store_->GetDatabaseInfo(money)->dateOrder, testing::MoneyDateOrder());
  for (const DateRange range : {DateRange{7, 20030101, 20031231, true},
                                DateRange{7, 20050301, 20050331, false}}) {
    const std::vector<Seen> read = RangeRead(range);
    EXPECT_FALSE(read.empty());
    EXPECT_EQ(read, FullRead(range));
  }
  // Once: the next open finds nothing to do and writes nothing.
  store_.reset();
  const std::string bytes = testing::ReadBytes(file());
  auto again = ObjectStore::OpenVolume(file(), options);
  ASSERT_EQ(again.status, VolumeStatus::Opened);
  again.store.reset();
  EXPECT_EQ(testing::ReadBytes(file()), bytes);
}

}  // namespace
}  // namespace quidora::platform
