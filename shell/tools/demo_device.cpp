#include "shell/tools/demo_device.h"

#include <array>
#include <string_view>

#include "core/message_service.h"
#include "core/record_list.h"
#include "store/databases.h"
#include "store/loading.h"
#include "store/record_writes.h"
#include "store/settings.h"

namespace quidora::tools {

namespace {

// Collects what the store would have shown the user.
class CollectingMessages : public MessageService {
 public:
  MessageAnswer Show(std::u16string_view text, MessageIcon, MessageButtons) override {
    for (char16_t c : text) shown.push_back(c < 128 ? static_cast<char>(c) : '?');
    shown.push_back('\n');
    return MessageAnswer::Yes;
  }
  void Beep() override {}
  void SetWaitCursor(bool) override {}
  std::string shown;
};

constexpr std::array<std::u16string_view, 15> kAccountNames = {
    u"Cash",     u"Checking", u"Savings", u"Visa Card", u"Holiday", u"House",  u"Car",    u"Kids",
    u"Business", u"Garden",   u"Pension", u"Travel",    u"Gifts",   u"Health", u"Reserve"};
constexpr std::array<std::u16string_view, 8> kCategoryNames = {
    u"Food", u"Salary", u"Rent", u"Fuel", u"Books", u"Clothes", u"Phone", u"Gifts"};

}  // namespace

bool FillDemoDevice(const platform::DeviceLocations& locations, const platform::Clock& clock,
                    const DemoContents& contents, std::string& error) {
  if (!platform::PrepareDevice(locations)) {
    error = "cannot prepare the device folders";
    return false;
  }
  CollectingMessages messages;
  Databases store(locations.objectStore, clock);
  CategoryList categories;
  AccountList accounts;
  AccountRecord current;
  Settings settings;
  if (!OpenDatabases(store, categories, accounts, current, settings, messages)) {
    error = "cannot open the databases: " + messages.shown;
    return false;
  }

  for (std::u16string_view name : kCategoryNames) {
    CategoryRecord category;
    category.SetName(name);
    categories.Append(category);
  }
  if (!RewriteCategories(store, categories, messages)) {
    error = "cannot write the categories: " + messages.shown;
    return false;
  }

  const SystemTime now = clock.NowUtc();
  const std::size_t accountCount = std::min(contents.accounts, kAccountNames.size());
  for (std::size_t a = accounts.size(); a < accountCount; ++a) {
    AccountRecord account;
    account.SetName(kAccountNames[a]);
    account.SetDescription(u"");
    SystemTime created = now;
    created.day = static_cast<std::uint16_t>(1 + a);
    created.month = 1;
    account.SetDate(created);
    std::uint32_t key = 0;
    if (!AddAccountRecord(store, account, key, messages)) {
      error = "cannot add an account: " + messages.shown;
      return false;
    }
    account.key = key;

    StoreBatch batch(store, StringId::AddError, u"Vesko Quidbook");
    for (std::size_t r = 0; r < contents.recordsPerAccount; ++r) {
      MoneyRecord record;
      record.accountKey = key;
      SystemTime date = now;
      date.year = static_cast<std::uint16_t>(now.year - (r / 336) % 20);
      date.month = static_cast<std::uint16_t>(1 + (r * 5 + a) % 12);
      date.day = static_cast<std::uint16_t>(1 + (r * 7 + a * 3) % 28);
      record.SetDate(date);
      const bool income = r % 4 == 1;
      record.type = income ? kIncome : kExpense;
      record.SetCategory(income ? u"Salary" : kCategoryNames[(r + a) % kCategoryNames.size()]);
      record.SetMemo(r % 3 == 0 ? u"" : u"Demo record");
      record.amount =
          static_cast<std::int32_t>(income ? 150000 + r * 100 : 250 + (r * 1237) % 20000);
      record.SetAmount(record.amount);
      std::uint32_t recordKey = 0;
      if (!AddMoneyRecord(store, record, recordKey, messages)) {
        error = "cannot add a money record: " + messages.shown;
        return false;
      }
    }
    if (!batch.Commit(messages)) {
      error = "cannot store the money records: " + messages.shown;
      return false;
    }
  }
  return true;
}

}  // namespace quidora::tools
