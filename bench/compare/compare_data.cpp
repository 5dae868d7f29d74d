// quidora_compare_data: the data of the side-by-side comparison, written three ways from one
// sequence of drawn records, so that every tool works on the same rows.
//
//   quidora_compare_data --records N --home DIR --journal FILE --rows FILE [--seed S]
//
// DIR becomes a device home (QUIDORA_HOME=DIR) through the storage layer: 30 categories, 15
// accounts, N money records. FILE of --journal is the same records as a journal of the
// established double-entry tools: each record is one transaction between "Assets:<account>"
// and "Categories:<category>" (income adds to the asset). FILE of --rows is the same records as
// tab-separated rows for a plain SQL table: key, account, date (yyyymmdd), type (0 income,
// 1 expense), amount (cents), category, memo.
//
// The records: accounts and categories evenly drawn, dates from 2000 to 2025, 70 % expenses,
// amounts from 0.01 to 1,000.00, memos of 0 to 30 characters. With those amounts every
// account's running balance stays inside the signed 32-bit range of cents over all its
// records up to a few million records, and so does every yearly sum.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/message_service.h"
#include "core/money_record.h"
#include "device_home.h"
#include "platform/locations.h"
#include "platform/registry.h"
#include "platform/utf8.h"
#include "store/database_layout.h"
#include "store/databases.h"
#include "store/loading.h"
#include "store/record_properties.h"
#include "store/record_writes.h"
#include "store/settings.h"

namespace quidora::bench {
namespace {

namespace fs = std::filesystem;

constexpr std::uint32_t kLargestAmount = 100000;  // cents
constexpr std::uint32_t kLongestMemo = 30;

const std::vector<std::u16string> kAccounts = {
    u"Cash",     u"Bank", u"Savings", u"Wallet",  u"Card",   u"Travel", u"Business", u"Home",
    u"Children", u"Car",  u"Holiday", u"Pension", u"Shares", u"Loan",   u"Reserve"};

class SilentMessages : public MessageService {
 public:
  MessageAnswer Show(std::u16string_view text, MessageIcon, MessageButtons) override {
    shown = platform::Utf16ToUtf8Lenient(text);
    return MessageAnswer::Ok;
  }
  void Beep() override {}
  void SetWaitCursor(bool) override {}
  std::string shown;
};

// 64-bit linear congruential generator, high bits used: the same seed, the same data.
class Draw {
 public:
  explicit Draw(std::uint32_t seed) : state_(seed * 6364136223846793005ull + 1) {}
  std::uint32_t Below(std::uint32_t bound) {
    state_ = state_ * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<std::uint32_t>((state_ >> 33) % bound);
  }

 private:
  std::uint64_t state_;
};

struct Drawn {
  std::uint32_t account;   // index into kAccounts
  std::uint32_t category;  // index into GeneratedCategories()
  SystemTime date;
  std::uint32_t type;
  std::uint32_t amount;
  std::string memo;  // ASCII letters and single spaces, never at either end
};

Drawn DrawRecord(Draw& draw) {
  Drawn record;
  record.account = draw.Below(static_cast<std::uint32_t>(kAccounts.size()));
  record.category = draw.Below(static_cast<std::uint32_t>(GeneratedCategories().size()));
  record.date.year = static_cast<std::uint16_t>(2000 + draw.Below(26));
  record.date.month = static_cast<std::uint16_t>(1 + draw.Below(12));
  record.date.day = static_cast<std::uint16_t>(1 + draw.Below(28));
  record.type = draw.Below(10) < 7 ? kExpense : kIncome;
  record.amount = 1 + draw.Below(kLargestAmount);
  const std::uint32_t length = draw.Below(kLongestMemo + 1);
  for (std::uint32_t i = 0; i < length; ++i) {
    const bool space = i > 0 && i + 1 < length && record.memo.back() != ' ' && draw.Below(6) == 0;
    record.memo += space ? ' ' : static_cast<char>((draw.Below(2) ? 'a' : 'A') + draw.Below(26));
  }
  return record;
}

std::string Ascii(std::u16string_view text) {
  return platform::Utf16ToUtf8Lenient(text);
}

std::u16string Wide(std::string_view text) {
  return std::u16string(text.begin(), text.end());
}

std::string Cents(std::uint32_t cents) {
  char text[32];
  std::snprintf(text, sizeof text, "%u.%02u", cents / 100, cents % 100);
  return text;
}

int Usage() {
  std::fprintf(stderr,
               "usage: quidora_compare_data --records N --home DIR --journal FILE --rows FILE "
               "[--seed S]\n");
  return 2;
}

int Generate(std::uint64_t records, const fs::path& home, const fs::path& journalFile,
             const fs::path& rowsFile, std::uint32_t seed) {
  const std::string folder = fs::absolute(home).string();
  const auto locations = platform::ResolveDeviceLocations([&](const char* name) -> const char* {
    return std::string_view(name) == "QUIDORA_HOME" ? folder.c_str() : nullptr;
  });
  if (!locations || !platform::PrepareDevice(*locations) || fs::exists(locations->objectStore)) {
    std::fprintf(stderr, "quidora_compare_data: %s must be a new home\n", folder.c_str());
    return 1;
  }
  SteppingClock clock(SystemTime{2026, 1, 4, 1, 0, 0, 0, 0});
  Databases store(locations->objectStore, clock);
  SilentMessages ui;
  Settings settings;
  platform::Registry registry = platform::Registry::Load(locations->registry);
  ReadSettings(registry, settings, u"Vesko", u"Quidora");
  CategoryList categories;
  AccountList accounts;
  AccountRecord current;
  const auto fail = [&](const std::string& what) {
    std::fprintf(stderr, "quidora_compare_data: %s %s\n", what.c_str(), ui.shown.c_str());
    return 1;
  };
  if (!OpenDatabases(store, categories, accounts, current, settings, ui)) {
    return fail("cannot open the databases");
  }
  for (const std::u16string& name : GeneratedCategories()) {
    CategoryRecord category;
    category.SetName(name);
    categories.Append(std::move(category));
  }
  if (!RewriteCategories(store, categories, ui)) return fail("cannot write the categories");
  std::vector<std::uint32_t> accountKeys;
  for (const std::u16string& name : kAccounts) {
    AccountRecord account;
    account.Reset();
    account.SetName(name);
    account.SetDescription(u"");
    account.SetDate(SystemTime{2000, 1, 6, 1, 0, 0, 0, 0});
    std::uint32_t key = 0;
    if (!AddAccountRecord(store, account, key, ui)) return fail("cannot add an account");
    accountKeys.push_back(key);
  }

  std::ofstream journal(journalFile, std::ios::binary | std::ios::trunc);
  std::ofstream rows(rowsFile, std::ios::binary | std::ios::trunc);
  if (!journal || !rows) return fail("cannot create the journal or the rows file");
  Draw draw(seed);
  {
    StoreBatch batch(store, StringId::AddError, store::kMoneyDatabaseName);
    DatabaseSlot& money = store.Money();
    if (!store.EnsureOpen(money)) return fail("cannot open the money database");
    char date[24];
    for (std::uint64_t i = 0; i < records; ++i) {
      const Drawn drawn = DrawRecord(draw);
      const std::uint32_t key = static_cast<std::uint32_t>(1000 + i);
      MoneyRecord record;
      record.Reset();
      record.accountKey = accountKeys[drawn.account];
      record.SetCategory(GeneratedCategories()[drawn.category]);
      record.SetDate(drawn.date);
      record.amount = static_cast<std::int32_t>(drawn.amount);
      record.type = drawn.type;
      record.SetMemo(Wide(drawn.memo));
      if (money.handle.WriteRecord(0, MoneyProperties(record, key)) == 0) {
        return fail("cannot write money record " + std::to_string(i));
      }

      const std::string account = Ascii(kAccounts[drawn.account]);
      const std::string category = Ascii(GeneratedCategories()[drawn.category]);
      std::snprintf(date, sizeof date, "%04u/%02u/%02u", drawn.date.year, drawn.date.month,
                    drawn.date.day);
      journal << date << (drawn.memo.empty() ? "" : " ") << drawn.memo << "\n    Assets:" << account
              << "  " << (drawn.type == kIncome ? "" : "-") << Cents(drawn.amount)
              << "\n    Categories:" << category << "\n\n";
      rows << key << '\t' << account << '\t'
           << drawn.date.year * 10000u + drawn.date.month * 100u + drawn.date.day << '\t'
           << drawn.type << '\t' << drawn.amount << '\t' << category << '\t' << drawn.memo << '\n';
    }
    if (!batch.Commit(ui)) return fail("cannot store the money records");
  }
  journal.close();
  rows.close();
  if (!journal || !rows) return fail("cannot write the journal or the rows file");

  SetLastAccount(settings, kAccounts.front());
  if (!WriteSettings(registry, settings)) return fail("cannot write the settings");
  // Ended as the device program ends a run: its next start skips the whole-volume check that
  // follows a run that ended unclean.
  if (!store.MarkCleanEnd()) return fail("cannot mark the clean end");
  return 0;
}

std::optional<std::uint64_t> Number(const char* text) {
  char* end = nullptr;
  const unsigned long long value = std::strtoull(text, &end, 10);
  if (end == text || *end != '\0' || text[0] == '-') return std::nullopt;
  return value;
}

}  // namespace
}  // namespace quidora::bench

int main(int argc, char** argv) {
  using quidora::bench::Number;
  std::optional<std::uint64_t> records;
  std::uint64_t seed = 1;
  std::string home;
  std::string journal;
  std::string rows;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string_view option = argv[i];
    const char* value = argv[i + 1];
    if (option == "--records") {
      records = Number(value);
    } else if (option == "--seed") {
      seed = Number(value).value_or(1ull << 40);
    } else if (option == "--home") {
      home = value;
    } else if (option == "--journal") {
      journal = value;
    } else if (option == "--rows") {
      rows = value;
    } else {
      return quidora::bench::Usage();
    }
  }
  if (argc % 2 == 0 || !records || *records > 100'000'000 || seed > 0xFFFFFFFF || home.empty() ||
      journal.empty() || rows.empty()) {
    return quidora::bench::Usage();
  }
  const auto start = std::chrono::steady_clock::now();
  const int status =
      quidora::bench::Generate(*records, home, journal, rows, static_cast<std::uint32_t>(seed));
  if (status == 0) {
    std::printf("%llu records in %s, %s and %s (%.1f s)\n",
                static_cast<unsigned long long>(*records), home.c_str(), journal.c_str(),
                rows.c_str(),
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  return status;
}
