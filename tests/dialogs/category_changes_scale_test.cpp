// A category rename or deletion applied to the records of a large store: one batch, and every
// record of the category changed, none of the others. (Its speed is measured by
// BM_RenameCategoryApplied in bench/store, not here.)

#include "dialog_fixture.h"
#include "dialogs/category_changes.h"
#include "store/database_layout.h"
#include "store/loading.h"
#include "store/record_properties.h"

namespace quidora::testing {
namespace {

constexpr std::uint32_t kRecords = 150'000;
constexpr std::uint32_t kCategories = 30;

class CategoryChangesScaleTest : public DialogTest {
 protected:
  CategoryChangesScaleTest() {
    std::vector<std::uint32_t> accounts;
    for (int i = 0; i < 15; ++i) {
      accounts.push_back(AddAccount(u"Account " + std::u16string(1, char16_t(u'A' + i))));
    }
    for (std::uint32_t c = 0; c < kCategories; ++c) AddCategory(CategoryName(c));

    // Written straight through the store with keys of their own: clock-made keys would all
    // meet under the fixed clock.
    StoreBatch batch(*store_, StringId::AddError, store::kMoneyDatabaseName);
    DatabaseSlot& money = store_->Money();
    EXPECT_TRUE(store_->EnsureOpen(money));
    MoneyRecord record;
    record.SetDate(Date(2005, 10, 29));
    record.SetMemo(u"");
    for (std::uint32_t i = 0; i < kRecords; ++i) {
      record.accountKey = accounts[i % accounts.size()];
      record.SetCategory(CategoryName(i % kCategories));
      record.amount = static_cast<std::int32_t>(100 + i % 5000);
      record.type = i % 7 == 0 ? kIncome : kExpense;
      if (money.handle.WriteRecord(0, MoneyProperties(record, 1000 + i)) == 0) {
        ADD_FAILURE() << "cannot write record " << i;
        break;
      }
    }
    EXPECT_TRUE(batch.Commit(messages_));
    ShowAccount(accounts[0]);
  }

  static std::u16string CategoryName(std::uint32_t index) {
    return u"Category " + std::u16string(1, char16_t(u'A' + index % 26)) +
           std::u16string(1, char16_t(u'a' + index / 26));
  }

  std::uint32_t CountStored(std::u16string_view category) {
    MoneyList all;
    EXPECT_TRUE(LoadAllMoneyRecords(*store_, all, messages_));
    std::uint32_t count = 0;
    for (const MoneyRecord& record : all) count += record.Category() == category ? 1 : 0;
    return count;
  }
};

TEST_F(CategoryChangesScaleTest, RenameAndDeleteReachEveryRecordOfTheCategory) {
  const std::u16string from = CategoryName(3);
  const std::uint32_t carrying = CountStored(from);
  ASSERT_EQ(carrying, kRecords / kCategories + (3 < kRecords % kCategories ? 1 : 0));

  EXPECT_TRUE(dialogs::RenameCategoryRecords(*program_, from, u"Renamed"));
  EXPECT_TRUE(program_->categoriesChanged);
  EXPECT_EQ(CountStored(from), 0u);
  EXPECT_EQ(CountStored(u"Renamed"), carrying);
  EXPECT_EQ(CountStored(CategoryName(4)), carrying);

  EXPECT_TRUE(dialogs::DeleteCategoryRecords(*program_, u"Renamed"));
  EXPECT_EQ(CountStored(u"Renamed"), 0u);
  MoneyList all;
  ASSERT_TRUE(LoadAllMoneyRecords(*store_, all, messages_));
  EXPECT_EQ(all.size(), kRecords - carrying);
  // The money list holds the shown account's records again.
  for (const MoneyRecord& record : program_->money) {
    ASSERT_EQ(record.accountKey, program_->currentAccount.key);
  }
}

}  // namespace
}  // namespace quidora::testing
