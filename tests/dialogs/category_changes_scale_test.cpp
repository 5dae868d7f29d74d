// A category rename or deletion applied to the records of a large store: one batch, all of the
// category's records changed, and in time.
#include <chrono>
#include <cstdio>
#include <ctime>

#include "dialog_fixture.h"
#include "dialogs/category_changes.h"
#include "store/database_layout.h"
#include "store/loading.h"
#include "store/record_properties.h"

namespace quidora::testing {
namespace {

constexpr std::uint32_t kRecords = 1'000'000;
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

  struct Seconds {
    double wall;
    double cpu;  // of this process: what other work on a shared machine does not inflate
  };
  static Seconds SecondsOf(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    const std::clock_t cpuStart = std::clock();
    work();
    return {std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
            static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC};
  }
};

TEST_F(CategoryChangesScaleTest, RenameAndDeleteOfAThirtiethOfAMillionRecords) {
  const std::u16string from = CategoryName(3);
  MoneyList probe;
  const Seconds load = SecondsOf([&] { LoadAllMoneyRecords(*store_, probe, messages_); });
  std::printf("loading all %zu records: %.2f s (cpu %.2f s)\n", probe.size(), load.wall, load.cpu);
  probe.Clear();
  const std::uint32_t carrying = CountStored(from);
  ASSERT_EQ(carrying, kRecords / kCategories + (3 < kRecords % kCategories ? 1 : 0));

  bool renamed = false;
  const Seconds rename =
      SecondsOf([&] { renamed = dialogs::RenameCategoryRecords(*program_, from, u"Renamed"); });
  EXPECT_TRUE(renamed);
  EXPECT_TRUE(program_->categoriesChanged);
  EXPECT_EQ(CountStored(from), 0u);
  EXPECT_EQ(CountStored(u"Renamed"), carrying);
  std::printf("rename of %u records: %.2f s (cpu %.2f s)\n", carrying, rename.wall, rename.cpu);
  EXPECT_LE(rename.cpu, 2.0);

  bool deleted = false;
  const Seconds deletion =
      SecondsOf([&] { deleted = dialogs::DeleteCategoryRecords(*program_, u"Renamed"); });
  EXPECT_TRUE(deleted);
  EXPECT_EQ(CountStored(u"Renamed"), 0u);
  std::printf("deletion of %u records: %.2f s (cpu %.2f s)\n", carrying, deletion.wall,
              deletion.cpu);
  EXPECT_LE(deletion.cpu, 2.0);
  // The money list holds the shown account's records again.
  for (const MoneyRecord& record : program_->money) {
    ASSERT_EQ(record.accountKey, program_->currentAccount.key);
  }
}

}  // namespace
}  // namespace quidora::testing
