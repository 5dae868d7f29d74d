// Full disks and failing writes under the store: every failure is reported as its operation
// says, nothing already stored is lost, and the next write works once the disk recovers.
#include <gtest/gtest.h>

#include <ostream>

#include "store/database_layout.h"
#include "store/loading.h"
#include "store/record_writes.h"
#include "store_fixture.h"

namespace quidora::platform {
// Readable parameters in test listings (CTest shows them beside every test name).
void PrintTo(IoOp op, std::ostream* out) { *out << (op == IoOp::Write ? "write" : "sync"); }
void PrintTo(IoFault fault, std::ostream* out) {
  *out << (fault == IoFault::NoSpace ? "no space" : "I/O error");
}
}  // namespace quidora::platform

namespace quidora::testing {
namespace {

using platform::IoFault;
using platform::IoOp;
namespace layout = store;

class StoreFaultsTest : public StoreTest,
                        public ::testing::WithParamInterface<std::pair<IoOp, IoFault>> {
 protected:
  void SetUp() override {
    Open();
    cash_ = MakeAccount(u"Cash");
    AddAccount(cash_);
    first_ = MakeMoney(cash_.key, u"Food", 100);
    AddMoney(first_);
  }

  void Break() { faults_.FailAfter(GetParam().first, 0, GetParam().second); }

  // A sync that fails after the data reached the file leaves it unknown whether the change
  // survives a restart: the store then has to be all old or all new, and nothing else.
  bool SyncFault() const { return GetParam().first == IoOp::Sync; }

  // What the next run of the program finds.
  MoneyList ReloadedMoney() {
    store_.reset();
    faults_.Clear();
    Restart();
    Open();
    MoneyList all;
    LoadAllMoneyRecords(*store_, all, ui_);
    return all;
  }

  AccountRecord cash_;
  MoneyRecord first_;
  RecordingMessages seen_;
};

TEST_P(StoreFaultsTest, FailedAddIsReportedAndTheNextAddWorks) {
  Break();
  MoneyRecord second = MakeMoney(cash_.key, u"Rent", 200);
  std::uint32_t key = 0;
  EXPECT_FALSE(AddMoneyRecord(*store_, second, key, seen_));
  ASSERT_EQ(seen_.shown,
            std::vector<std::u16string>{u"Error during adding record to database: Vesko Quidbook"});
  EXPECT_EQ(seen_.icons[0], MessageIcon::Exclamation);

  AccountRecord bank = MakeAccount(u"Bank");
  EXPECT_FALSE(AddAccountRecord(*store_, bank, key, seen_));
  EXPECT_EQ(seen_.shown.back(), u"Error during adding record to database: Vesko QuidbookAccs");

  faults_.Clear();
  ASSERT_TRUE(AddMoneyRecord(*store_, second, key, ui_));
  const MoneyList all = ReloadedMoney();
  ASSERT_EQ(all.size(), 2u);
  EXPECT_EQ(all[0].Category(), u"Food");
  EXPECT_EQ(all[1].Category(), u"Rent");
  EXPECT_EQ(accounts_.size(), 1u);
}

TEST_P(StoreFaultsTest, FailedUpdateAndDeleteKeepTheStoredRecord) {
  Break();
  MoneyRecord changed;
  changed.CopyFrom(first_);
  changed.SetCategory(u"Changed");
  EXPECT_FALSE(UpdateMoneyRecord(*store_, changed, seen_));
  EXPECT_FALSE(DeleteMoneyRecord(*store_, first_.key, seen_));
  EXPECT_EQ(seen_.shown, (std::vector<std::u16string>{
                             u"Error during edit operation in database: Vesko Quidbook",
                             u"Error during deleting record in database: Vesko Quidbook"}));
  faults_.Clear();
  const MoneyList all = ReloadedMoney();
  ASSERT_EQ(all.size(), 1u);
  EXPECT_EQ(all[0].Category(), u"Food");
}

TEST_P(StoreFaultsTest, BrokenBatchReportsOnceAndStoresNothing) {
  for (int i = 0; i < 4; ++i) {
    MoneyRecord more = MakeMoney(cash_.key, u"Food", 10 + i);
    AddMoney(more);
  }
  ASSERT_TRUE(LoadAllMoneyRecords(*store_, money_, ui_));
  faults_.FailAfter(GetParam().first, SyncFault() ? 0 : 1, GetParam().second);
  {
    StoreBatch batch(*store_, StringId::EditError, layout::kMoneyDatabaseName);
    for (MoneyRecord& record : money_) {
      record.SetCategory(u"Groceries");
      UpdateMoneyRecord(*store_, record, seen_);
    }
    EXPECT_FALSE(batch.Commit(seen_));
  }
  EXPECT_EQ(seen_.shown, std::vector<std::u16string>{
                             u"Error during edit operation in database: Vesko Quidbook"});
  const MoneyList reloaded = ReloadedMoney();
  ASSERT_EQ(reloaded.size(), 5u);
  const std::u16string_view survivor =
      SyncFault() ? reloaded[0].Category() : std::u16string_view(u"Food");
  for (const MoneyRecord& record : reloaded) EXPECT_EQ(record.Category(), survivor);

  // Space is back: the same work goes through.
  ASSERT_TRUE(LoadAllMoneyRecords(*store_, money_, ui_));
  StoreBatch batch(*store_, StringId::EditError, layout::kMoneyDatabaseName);
  for (MoneyRecord& record : money_) {
    record.SetCategory(u"Groceries");
    EXPECT_TRUE(UpdateMoneyRecord(*store_, record, ui_));
  }
  EXPECT_TRUE(batch.Commit(ui_));
}

TEST_P(StoreFaultsTest, CategoriesRewriteKeepsTheOldCategoriesWhereverItFails) {
  CategoryList before;
  for (const char16_t* name : {u"Food", u"Rent", u"Car"}) {
    CategoryRecord category;
    category.SetName(name);
    before.Append(category);
  }
  ASSERT_TRUE(RewriteCategories(*store_, before, ui_));
  CategoryList after;
  CategoryRecord only;
  only.SetName(u"Travel");
  after.Append(only);

  // Fail the n-th operation of the rewrite, for every n until the rewrite gets through.
  bool rewritten = false;
  for (int successes = 0; successes < 50 && !rewritten; ++successes) {
    RecordingMessages seen;
    faults_.FailAfter(GetParam().first, successes, GetParam().second);
    rewritten = RewriteCategories(*store_, after, seen);
    faults_.Clear();
    if (rewritten) break;
    EXPECT_EQ(seen.shown,
              std::vector<std::u16string>{
                  u"Error during edit operation in database: Vesko QuidbookCustom"})
        << "after " << successes << " operations";
    store_.reset();
    Restart();
    Open();
    ASSERT_EQ(categories_.size(), 3u) << "after " << successes << " operations";
    EXPECT_EQ(categories_[2].Name(), u"Car");
  }
  ASSERT_TRUE(rewritten);
  store_.reset();
  Restart();
  Open();
  ASSERT_EQ(categories_.size(), 1u);
  EXPECT_EQ(categories_[0].Name(), u"Travel");
}

TEST_P(StoreFaultsTest, AccountDeletionFailsWholeAndWorksLater) {
  for (int i = 0; i < 3; ++i) {
    MoneyRecord more = MakeMoney(cash_.key, u"Food", 10 + i);
    AddMoney(more);
  }
  Break();
  EXPECT_FALSE(DeleteAccountMoneyRecords(*store_, cash_.key, seen_));
  ASSERT_EQ(seen_.shown.size(), 1u);
  EXPECT_EQ(seen_.shown[0], u"Error during deleting record in database: Vesko Quidbook");
  const std::size_t left = ReloadedMoney().size();
  if (SyncFault()) {
    EXPECT_TRUE(left == 4u || left == 0u) << left;
  } else {
    EXPECT_EQ(left, 4u);
  }
  if (left == 4u) {
    EXPECT_TRUE(DeleteAccountMoneyRecords(*store_, cash_.key, ui_));
  }
  EXPECT_EQ(ReloadedMoney().size(), 0u);
}

TEST_P(StoreFaultsTest, RangeDeletionFailsWholeAndWorksLater) {
  constexpr std::uint32_t kYear[] = {20050101, 20051231};
  for (int i = 0; i < 3; ++i) {
    MoneyRecord more = MakeMoney(cash_.key, u"Food", 10 + i);
    AddMoney(more);
  }
  // The next year's record is no part of the range.
  MoneyRecord later = MakeMoney(cash_.key, u"Rent", 99, SystemTime{2006, 1, 0, 2, 0, 0, 0, 0});
  AddMoney(later);
  Break();
  EXPECT_FALSE(DeleteMoneyRecordsInRange(*store_, cash_.key, kYear[0], kYear[1], seen_));
  ASSERT_EQ(seen_.shown.size(), 1u);
  EXPECT_EQ(seen_.shown[0], u"Error during deleting record in database: Vesko Quidbook");
  std::size_t left = ReloadedMoney().size();
  if (SyncFault()) {
    EXPECT_TRUE(left == 5u || left == 1u) << left;
  } else {
    EXPECT_EQ(left, 5u);
  }

  // The deletion through the date order, failed at every write and sync it makes in turn
  // until it gets through: until then every record is there (or, after a failed sync, the
  // range may be gone whole).
  bool deleted = left == 1u;
  for (int successes = 0; successes < 50 && !deleted; ++successes) {
    RecordingMessages seen;
    faults_.FailAfter(GetParam().first, successes, GetParam().second);
    deleted = DeleteMoneyRecordsInRange(*store_, cash_.key, kYear[0], kYear[1], seen);
    faults_.Clear();
    if (deleted) break;
    EXPECT_EQ(
        seen.shown,
        std::vector<std::u16string>{u"Error during deleting record in database: Vesko Quidbook"})
        << "after " << successes;
    left = ReloadedMoney().size();
    if (SyncFault() && left == 1u) break;
    EXPECT_EQ(left, 5u) << "after " << successes;
  }
  const MoneyList all = ReloadedMoney();
  ASSERT_EQ(all.size(), 1u);
  EXPECT_EQ(all[0].Category(), u"Rent");
}

INSTANTIATE_TEST_SUITE_P(Faults, StoreFaultsTest,
                         ::testing::Values(std::pair{IoOp::Write, IoFault::NoSpace},
                                           std::pair{IoOp::Write, IoFault::IoError},
                                           std::pair{IoOp::Sync, IoFault::IoError}),
                         [](const auto& param) {
                           const char* op = param.param.first == IoOp::Write ? "Write" : "Sync";
                           const char* fault =
                               param.param.second == IoFault::NoSpace ? "NoSpace" : "IoError";
                           return std::string(op) + fault;
                         });

}  // namespace
}  // namespace quidora::testing
