#include "device_home.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>

#include "core/account_record.h"
#include "core/message_service.h"
#include "core/money_record.h"
#include "core/record_list.h"
#include "platform/locations.h"
#include "platform/registry.h"
#include "store/database_layout.h"
#include "store/databases.h"
#include "store/loading.h"
#include "store/record_keys.h"
#include "store/record_properties.h"
#include "store/record_writes.h"
#include "store/settings.h"

namespace quidora::bench {

namespace {

// Collects what the storage layer would show, so that the generator can print it.
class CollectedMessages : public MessageService {
 public:
  MessageAnswer Show(std::u16string_view text, MessageIcon, MessageButtons) override {
    if (!shown.empty()) shown += "; ";
    for (char16_t c : text) shown += c < 0x80 ? static_cast<char>(c) : '?';
    return MessageAnswer::Ok;
  }
  void Beep() override {}
  void SetWaitCursor(bool) override {}
  std::string shown;
};

// A small deterministic generator (64-bit linear congruential, high bits used).
class Draw {
 public:
  explicit Draw(std::uint32_t seed)
      : state_(seed * 6364136223846793005ull + 1442695040888963407ull) {}
  std::uint32_t Below(std::uint32_t bound) {
    state_ = state_ * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<std::uint32_t>((state_ >> 33) % bound);
  }

 private:
  std::uint64_t state_;
};

const std::vector<std::u16string> kAccountNames = {
    u"Cash",     u"Bank", u"Savings", u"Wallet",  u"Card",   u"Travel", u"Business", u"Home",
    u"Children", u"Car",  u"Holiday", u"Pension", u"Shares", u"Loan",   u"Reserve"};

std::optional<platform::DeviceLocations> LocationsOf(const std::filesystem::path& home) {
  const std::string folder = std::filesystem::absolute(home).string();
  return platform::ResolveDeviceLocations([&](const char* name) -> const char* {
    return std::string_view(name) == "QUIDORA_HOME" ? folder.c_str() : nullptr;
  });
}

MoneyRecord DrawMoneyRecord(Draw& draw, const std::vector<std::uint32_t>& accountKeys,
                            std::uint32_t maxAmount) {
  MoneyRecord record;
  record.Reset();
  record.accountKey = accountKeys[draw.Below(static_cast<std::uint32_t>(accountKeys.size()))];
  const auto& categories = GeneratedCategories();
  record.SetCategory(categories[draw.Below(static_cast<std::uint32_t>(categories.size()))]);
  SystemTime date;
  date.year = static_cast<std::uint16_t>(2000 + draw.Below(26));
  date.month = static_cast<std::uint16_t>(1 + draw.Below(12));
  date.day = static_cast<std::uint16_t>(1 + draw.Below(28));
  record.SetDate(date);
  // Mostly everyday amounts, a few large ones.
  std::uint32_t amount = draw.Below(10) == 0 ? draw.Below(100000000) : draw.Below(50000);
  if (maxAmount != 0) amount %= maxAmount;
  record.amount = static_cast<std::int32_t>(1 + amount);
  record.type = draw.Below(5) == 0 ? kIncome : kExpense;
  const std::uint32_t memo = draw.Below(4);
  if (memo == 1) {
    record.SetMemo(u"");
  } else if (memo >= 2) {
    std::u16string text = u"Memo number ";
    for (char c : std::to_string(draw.Below(100000))) text += static_cast<char16_t>(c);
    record.SetMemo(text);
  }
  return record;
}

// `count` distinct keys in ascending order. Plain ones are 1000, 1001, ...; clock-like ones are
// made from random moments as an add makes them, each taken one moved on to the next free key.
std::vector<std::uint32_t> MakeKeys(std::uint64_t count, bool clockKeys, std::uint32_t seed) {
  std::vector<std::uint32_t> keys;
  keys.reserve(count);
  if (!clockKeys) {
    for (std::uint64_t i = 0; i < count; ++i) keys.push_back(static_cast<std::uint32_t>(1000 + i));
    return keys;
  }
  Draw draw(seed ^ 0x9E3779B9u);  // apart from the record fields' draws
  std::vector<bool> taken(std::size_t{1} << 25);
  for (std::uint64_t i = 0; i < count; ++i) {
    SystemTime moment;
    moment.day = static_cast<std::uint16_t>(1 + draw.Below(31));
    moment.hour = static_cast<std::uint16_t>(draw.Below(24));
    moment.minute = static_cast<std::uint16_t>(draw.Below(60));
    moment.second = static_cast<std::uint16_t>(draw.Below(60));
    std::uint32_t key = ClockKey(moment);
    while (key < taken.size() && taken[key]) ++key;
    if (key >= taken.size()) taken.resize(std::size_t{key} * 2);
    taken[key] = true;
    keys.push_back(key);
  }
  std::sort(keys.begin(), keys.end());
  return keys;
}

}  // namespace

const std::vector<std::u16string>& GeneratedCategories() {
  static const std::vector<std::u16string> kCategories = {
      u"Food",      u"Car",         u"Bills",    u"Rent",      u"Salary",   u"Clothes",
      u"Books",     u"Travel",      u"Health",   u"Gifts",     u"Phone",    u"Internet",
      u"Insurance", u"Taxes",       u"Garden",   u"Pets",      u"Sport",    u"Music",
      u"Cinema",    u"Restaurants", u"Fuel",     u"Repairs",   u"Children", u"School",
      u"Charity",   u"Savings",     u"Interest", u"Transport", u"Hobby",    u"Entertainment"};
  return kCategories;
}

SystemTime SteppingClock::NowUtc() const {
  const SystemTime now = now_;
  if (++now_.second == 60) {
    now_.second = 0;
    if (++now_.minute == 60) {
      now_.minute = 0;
      if (++now_.hour == 24) {
        now_.hour = 0;
        now_.day = static_cast<std::uint16_t>(now_.day % 28 + 1);
      }
    }
  }
  return now;
}

bool GenerateDeviceHome(const std::filesystem::path& home, const GenerateOptions& options,
                        GeneratedHome& out, std::string& error) {
  const std::optional<platform::DeviceLocations> locations = LocationsOf(home);
  if (!locations || !platform::PrepareDevice(*locations)) {
    error = "cannot prepare the folders of " + home.string();
    return false;
  }
  if (std::filesystem::exists(locations->objectStore)) {
    error = locations->objectStore.string() + " exists already";
    return false;
  }
  out = GeneratedHome{locations->objectStore, locations->registry, {}, 0};

  SteppingClock clock(SystemTime{2026, 1, 0, 1, 0, 0, 0, 0});
  Databases store(locations->objectStore, clock);
  CollectedMessages ui;
  Settings settings;
  platform::Registry registry = platform::Registry::Load(locations->registry);
  ReadSettings(registry, settings, u"Vesko", u"Quidora");
  CategoryList categories;
  AccountList accounts;
  AccountRecord current;
  if (!OpenDatabases(store, categories, accounts, current, settings, ui)) {
    error = "cannot open the databases: " + store.VolumeDetail() + " " + ui.shown;
    return false;
  }

  for (const std::u16string& name : GeneratedCategories()) {
    CategoryRecord category;
    category.SetName(name);
    categories.Append(std::move(category));
  }
  Draw draw(options.seed);
  for (const std::u16string& name : kAccountNames) {
    AccountRecord account;
    account.Reset();
    account.SetName(name);
    account.SetDescription(u"");
    account.SetDate(
        SystemTime{static_cast<std::uint16_t>(2000 + draw.Below(5)), 1, 0, 1, 0, 0, 0, 0});
    std::uint32_t key = 0;
    if (!AddAccountRecord(store, account, key, ui)) {
      error = "cannot add an account: " + ui.shown;
      return false;
    }
    out.accountKeys.push_back(key);
  }
  if (!RewriteCategories(store, categories, ui)) {
    error = "cannot write the categories: " + ui.shown;
    return false;
  }

  {
    StoreBatch batch(store, StringId::AddError, store::kMoneyDatabaseName);
    DatabaseSlot& money = store.Money();
    if (!store.EnsureOpen(money)) {
      error = "cannot open the money database";
      return false;
    }
    const std::vector<std::uint32_t> keys =
        MakeKeys(options.records, options.clockKeys, options.seed);
    const std::vector<std::uint32_t> owners(
        out.accountKeys.begin(),
        out.accountKeys.begin() +
            std::clamp<std::ptrdiff_t>(options.accounts, 1, std::ssize(out.accountKeys)));
    for (std::uint64_t i = 0; i < options.records; ++i) {
      const MoneyRecord record = DrawMoneyRecord(draw, owners, options.maxAmount);
      const auto props = MoneyProperties(record, keys[i]);
      if (money.handle.WriteRecord(0, props) == 0) {
        error = "cannot write money record " + std::to_string(i);
        return false;
      }
    }
    if (!batch.Commit(ui)) {
      error = "cannot store the money records: " + ui.shown;
      return false;
    }
  }
  out.records = options.records;

  SetLastAccount(settings, kAccountNames.front());
  if (!WriteSettings(registry, settings)) {
    error = "cannot write the settings to " + locations->registry.string();
    return false;
  }
  // Ended as the device program ends a run: its next start skips the whole-volume check.
  if (!store.MarkCleanEnd()) {
    error = "cannot mark the clean end";
    return false;
  }
  return true;
}

bool DescribeDeviceHome(const std::filesystem::path& home, GeneratedHome& out) {
  const std::optional<platform::DeviceLocations> locations = LocationsOf(home);
  if (!locations || !std::filesystem::exists(locations->objectStore)) return false;
  platform::FixedClock clock(SystemTime{2026, 1, 0, 1, 0, 0, 0, 0});
  Databases store(locations->objectStore, clock);
  CollectedMessages ui;
  Settings settings;
  CategoryList categories;
  AccountList accounts;
  AccountRecord current;
  if (!OpenDatabases(store, categories, accounts, current, settings, ui)) return false;
  out = GeneratedHome{locations->objectStore, locations->registry, {}, 0};
  for (const AccountRecord& account : accounts) out.accountKeys.push_back(account.key);
  const std::optional<std::uint32_t> count = store.Money().handle.RecordCount();
  if (!count) return false;
  out.records = *count;
  return true;
}

std::filesystem::path BenchDataFolder() {
  const char* configured = std::getenv("QUIDORA_BENCH_DATA");
  return configured != nullptr && configured[0] == '/'
             ? std::filesystem::path(configured)
             : std::filesystem::path("/tmp/quidora-bench-data");
}

const GeneratedHome& CachedDeviceHome(const GenerateOptions& options) {
  std::string name = "home-" + std::to_string(options.records);
  if (options.seed != 1) name += "-seed" + std::to_string(options.seed);
  if (options.clockKeys) name += "-clock";
  if (options.maxAmount != 0) name += "-max" + std::to_string(options.maxAmount);
  if (options.accounts != GenerateOptions{}.accounts) {
    name += "-accounts" + std::to_string(options.accounts);
  }
  static std::map<std::string, GeneratedHome> homes;
  if (auto found = homes.find(name); found != homes.end()) return found->second;
  const std::filesystem::path home = BenchDataFolder() / name;
  GeneratedHome made;
  if (!DescribeDeviceHome(home, made) || made.records != options.records) {
    std::error_code ignored;
    std::filesystem::remove_all(home, ignored);
    std::string error;
    std::fprintf(stderr, "generating %llu money records in %s ...\n",
                 static_cast<unsigned long long>(options.records), home.c_str());
    if (!GenerateDeviceHome(home, options, made, error)) {
      std::fprintf(stderr, "bench: %s\n", error.c_str());
      std::exit(1);
    }
  }
  return homes.emplace(name, made).first->second;
}

const GeneratedHome& CachedDeviceHome(std::uint64_t records) {
  GenerateOptions options;
  options.records = records;
  return CachedDeviceHome(options);
}

}  // namespace quidora::bench
