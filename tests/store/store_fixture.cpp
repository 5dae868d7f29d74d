#include "store_fixture.h"

#include <cstdlib>

#include "store/loading.h"
#include "store/record_writes.h"

namespace quidora::testing {

TempFolder::TempFolder() {
  std::string templ = (std::filesystem::temp_directory_path() / "quidora-store-XXXXXX").string();
  const char* made = mkdtemp(templ.data());
  if (made == nullptr) throw std::runtime_error("no temporary folder");
  path_ = made;
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

SystemTime UtcTime(std::uint16_t day, std::uint16_t hour, std::uint16_t minute,
                   std::uint16_t second) {
  return SystemTime{2026, 12, 2, day, hour, minute, second, 0};
}

MoneyRecord MakeMoney(std::uint32_t accountKey, std::u16string_view category, std::int32_t amount,
                      SystemTime date, std::uint32_t type) {
  MoneyRecord record;
  record.Reset();
  record.accountKey = accountKey;
  record.SetCategory(category);
  record.amount = amount;
  record.SetAmount(amount);
  record.type = type;
  record.SetDate(date);
  record.SetMemo(u"memo");
  return record;
}

AccountRecord MakeAccount(std::u16string_view name, std::u16string_view description,
                          SystemTime date) {
  AccountRecord account;
  account.Reset();
  account.SetName(name);
  account.SetDescription(description);
  account.SetDate(date);
  return account;
}

std::vector<platform::Record> StoredRecords(platform::ObjectStore& volume,
                                            std::u16string_view database) {
  std::vector<platform::Record> records;
  platform::OpenedDatabase opened = volume.OpenDatabase(database);
  if (opened.status != platform::OpenStatus::Opened) return records;
  platform::Record props;
  while (opened.handle.ReadRecord(props) != 0) records.push_back(props);
  return records;
}

std::vector<std::uint32_t> StoredKeys(platform::ObjectStore& volume, std::u16string_view database) {
  std::vector<std::uint32_t> keys;
  for (const platform::Record& record : StoredRecords(volume, database)) {
    keys.push_back(platform::SortKeyOf(record).value);
  }
  return keys;
}

bool DatabaseExists(platform::ObjectStore& volume, std::u16string_view database) {
  return volume.OpenDatabase(database).status == platform::OpenStatus::Opened;
}

void PutRecord(platform::ObjectStore& volume, std::u16string_view database,
               const platform::Record& props) {
  if (!DatabaseExists(volume, database)) volume.CreateDatabase(database);
  platform::OpenedDatabase opened = volume.OpenDatabase(database);
  ASSERT_EQ(opened.status, platform::OpenStatus::Opened);
  ASSERT_NE(opened.handle.WriteRecord(0, props), 0u);
}

StoreTest::StoreTest() {
  Restart();
}

StoreTest::~StoreTest() {
  EXPECT_TRUE(ui_.AllShown());
}

void StoreTest::Restart() {
  store_.reset();
  store_ = std::make_unique<Databases>(VolumeFile(), clock_, &faults_);
  settings_ = Settings();
  categories_ = CategoryList();
  accounts_ = AccountList();
  current_ = AccountRecord();
  money_ = MoneyList();
}

void StoreTest::Open() {
  ASSERT_TRUE(OpenDatabases(*store_, categories_, accounts_, current_, settings_, ui_));
}

platform::ObjectStore& StoreTest::Volume() {
  EXPECT_TRUE(store_->OpenVolume());
  return store_->Volume();
}

std::uint32_t StoreTest::AddAccount(AccountRecord& account) {
  std::uint32_t key = 0;
  EXPECT_TRUE(AddAccountRecord(*store_, account, key, ui_));
  account.key = key;
  accounts_.Append(account);
  return key;
}

std::uint32_t StoreTest::AddMoney(MoneyRecord& record) {
  std::uint32_t key = 0;
  EXPECT_TRUE(AddMoneyRecord(*store_, record, key, ui_));
  record.key = key;
  return key;
}

}  // namespace quidora::testing
