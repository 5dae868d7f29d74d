// The one write of an import: records stored as the transaction dialog's add stores them, new
// categories and a new account in the same group, and nothing at all when any part fails.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "import/import_write.h"
#include "import_test_support.h"
#include "store/database_layout.h"
#include "store/loading.h"
#include "store/record_writes.h"
#include "tests/store/store_fixture.h"

namespace quidora::testing {
namespace {

using ::testing::ElementsAre;

constexpr char kFile[] =
    "!Type:Bank\nD12/31/2024\nT-10.00\nLFood\nMfirst\n^\n"
    "D12/31/2024\nT-20.00\nLFuel\nMsecond\n^\n"
    "D01/01/2025\nT30.00\nLSalary\n^\n";

class ImportWriteTest : public StoreTest {
 protected:
  void SetUp() override {
    Open();
    CategoryRecord food;
    food.SetName(u"Food");
    categories_.Append(std::move(food));
    ASSERT_TRUE(RewriteCategories(*store_, categories_, ui_));
    AccountRecord cash = MakeAccount(u"Cash");
    cashKey_ = AddAccount(cash);
    MoneyRecord earlier = MakeMoney(cashKey_, u"Food", 500);
    AddMoney(earlier);  // takes the clock key 623211
  }

  std::vector<std::string> StoredMoney() {
    Restart();
    Open();
    current_.key = cashKey_;
    MoneyList money;
    LoadAccountMoneyRecords(*store_, money, current_, ui_);
    std::vector<std::string> described;
    for (const MoneyRecord& record : money) {
      described.push_back(std::to_string(record.key) + "|" + std::to_string(record.DateNumber()) + "|" +
                          std::to_string(record.type) + "|" + std::to_string(record.amount) + "|" +
                          platform::Utf16ToUtf8Lenient(record.Category()) + "|" +
                          platform::Utf16ToUtf8Lenient(record.Memo()));
    }
    return described;
  }

  std::vector<std::u16string> CategoryNames() {
    std::vector<std::u16string> names;
    for (const CategoryRecord& category : categories_) names.emplace_back(category.Name());
    return names;
  }

  std::uint32_t cashKey_ = 0;
};

TEST_F(ImportWriteTest, RecordsNewCategoriesAndKeysAreStoredAsTheDialogAddsThem) {
  const import::ImportPlan plan = PlanBytes(kFile, {}, categories_).plan;
  ASSERT_TRUE(plan.Usable());
  const std::optional<std::uint32_t> key = import::WriteImport(
      *store_, plan, import::ImportTarget{cashKey_, u"", kToday}, categories_, accounts_, ui_);
  EXPECT_EQ(key, cashKey_);
  EXPECT_THAT(CategoryNames(), ElementsAre(u"Food", u"Fuel", u"Salary"));
  // The clock key is taken, so the records get the next free keys, in the order of the file.
  EXPECT_THAT(StoredMoney(),
              ElementsAre("623211|20051029|1|500|Food|memo", "623212|20241231|1|1000|Food|first",
                          "623213|20241231|1|2000|Fuel|second", "623214|20250101|0|3000|Salary|"));
  // After a restart the categories database gives the same list, in the same order.
  EXPECT_THAT(CategoryNames(), ElementsAre(u"Food", u"Fuel", u"Salary"));
}

TEST_F(ImportWriteTest, ANewAccountIsAddedWithItsRecordsAndCountsAgainstTheList) {
  const import::ImportPlan plan = PlanBytes(kFile, {}, categories_).plan;
  const std::optional<std::uint32_t> key = import::WriteImport(
      *store_, plan, import::ImportTarget{std::nullopt, u"Card", kToday}, categories_, accounts_, ui_);
  ASSERT_TRUE(key.has_value());
  ASSERT_EQ(accounts_.size(), 2u);
  EXPECT_EQ(accounts_[1].Name(), u"Card");
  EXPECT_EQ(accounts_[1].key, *key);
  Restart();
  Open();
  ASSERT_EQ(accounts_.size(), 2u);
  EXPECT_EQ(accounts_[1].Name(), u"Card");
  EXPECT_EQ(accounts_[1].DateNumber(), 20261209u);
  current_.key = *key;
  MoneyList money;
  LoadAccountMoneyRecords(*store_, money, current_, ui_);
  EXPECT_EQ(money.size(), 3u);
}

TEST_F(ImportWriteTest, AFailedWriteStoresNothingAndLeavesTheListsAlone) {
  const import::ImportPlan plan = PlanBytes(kFile, {}, categories_).plan;
  for (const platform::IoOp op : {platform::IoOp::Write, platform::IoOp::Sync}) {
    SCOPED_TRACE(static_cast<int>(op));
    faults_.FailAfter(op, 0, platform::IoFault::NoSpace);
    RecordingMessages messages;
    EXPECT_FALSE(import::WriteImport(*store_, plan, import::ImportTarget{std::nullopt, u"Card", kToday},
                                     categories_, accounts_, messages));
    EXPECT_FALSE(messages.shown.empty());
    EXPECT_THAT(CategoryNames(), ElementsAre(u"Food"));
    EXPECT_EQ(accounts_.size(), 1u);
    faults_.Clear();
    EXPECT_THAT(StoredMoney(), ElementsAre("623211|20051029|1|500|Food|memo"));
    EXPECT_THAT(CategoryNames(), ElementsAre(u"Food"));
    EXPECT_EQ(accounts_.size(), 1u);
  }
}

TEST_F(ImportWriteTest, APlanWithProblemsWritesNothing) {
  const import::ImportPlan plan = PlanBytes("!Type:Bank\nD12/31/2024\nTabc\nLFood\n^\n", {}, categories_).plan;
  ASSERT_FALSE(plan.Usable());
  EXPECT_FALSE(import::WriteImport(*store_, plan, import::ImportTarget{cashKey_, u"", kToday},
                                   categories_, accounts_, ui_));
  EXPECT_THAT(StoredMoney(), ElementsAre("623211|20051029|1|500|Food|memo"));
}

}  // namespace
}  // namespace quidora::testing
