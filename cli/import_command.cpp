#include "cli/import_command.h"

#include <charconv>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>

#include "cli/commands.h"
#include "core/amount_text.h"
#include "core/text_ops.h"
#include "import/import_write.h"
#include "import/parse_file.h"
#include "import/plan_file.h"
#include "import/record_rules.h"
#include "platform/backup_snapshot.h"
#include "platform/folder_lock.h"
#include "platform/utf8.h"
#include "platform/volume_reader.h"
#include "store/store_reader.h"

namespace quidora::cli {

namespace {

namespace fs = std::filesystem;
using import::FileFormat;

constexpr std::string_view kName = "quidora-cli";
constexpr std::size_t kProblemsShown = 20;

struct ImportRequest {
  std::string file;
  std::string account;
  std::optional<std::string> category;
  bool dryRun = false;
  bool keepDuplicates = false;
  bool createAccount = false;
  import::ParseOptions parse;
};

struct Refusal {
  int status = kExitRefused;
  std::string message;
};

std::optional<char16_t> OneCharacter(std::string_view text) {
  if (text == "\\t" || text == "tab") return u'\t';
  if (text.size() != 1 || static_cast<unsigned char>(text[0]) >= 128) return std::nullopt;
  return static_cast<char16_t>(text[0]);
}

std::optional<std::uint32_t> Number(std::string_view text, std::uint32_t highest) {
  std::uint32_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value > highest) return std::nullopt;
  return value;
}

// The request, or what is wrong with the command line.
std::optional<ImportRequest> ParseImport(std::span<const std::string_view> args, std::string& error) {
  ImportRequest request;
  bool haveFile = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    auto value = [&]() -> std::optional<std::string_view> {
      if (i + 1 >= args.size()) {
        error = std::string(arg) + " needs a value";
        return std::nullopt;
      }
      return args[++i];
    };
    auto bad = [&](std::string_view v) {
      error = "\"" + std::string(v) + "\" is not a value of " + std::string(arg);
      return std::nullopt;
    };
    if (arg == "--dry-run") {
      request.dryRun = true;
    } else if (arg == "--keep-duplicates") {
      request.keepDuplicates = true;
    } else if (arg == "--create-account") {
      request.createAccount = true;
    } else if (arg == "--account" || arg == "--category" || arg == "--format" ||
               arg == "--date-form" || arg == "--notation" || arg == "--date-order" ||
               arg == "--columns" || arg == "--date-format" || arg == "--decimal" ||
               arg == "--delimiter" || arg == "--skip" || arg == "--encoding") {
      const std::optional<std::string_view> v = value();
      if (!v) return std::nullopt;
      if (arg == "--account") {
        request.account = *v;
      } else if (arg == "--category") {
        request.category = std::string(*v);
      } else if (arg == "--format") {
        if (*v == "quidora") request.parse.format = FileFormat::Own;
        else if (*v == "ofx" || *v == "qfx") request.parse.format = FileFormat::Ofx;
        else if (*v == "qif") request.parse.format = FileFormat::Qif;
        else if (*v == "csv") request.parse.format = FileFormat::Csv;
        else return bad(*v);
      } else if (arg == "--date-form") {
        request.parse.dateForm = Number(*v, 3);
        if (!request.parse.dateForm) return bad(*v);
      } else if (arg == "--notation") {
        request.parse.notation = Number(*v, 1);
        if (!request.parse.notation) return bad(*v);
      } else if (arg == "--date-order") {
        if (*v == "dmy") request.parse.dateOrder = import::DateOrder::DayMonthYear;
        else if (*v == "mdy") request.parse.dateOrder = import::DateOrder::MonthDayYear;
        else if (*v == "ymd") request.parse.dateOrder = import::DateOrder::YearMonthDay;
        else return bad(*v);
      } else if (arg == "--columns") {
        request.parse.csv.columns = *v;
      } else if (arg == "--date-format") {
        request.parse.csv.dateFormat = *v;
      } else if (arg == "--decimal") {
        if (*v != "." && *v != ",") return bad(*v);
        request.parse.csv.decimal = static_cast<char16_t>((*v)[0]);
      } else if (arg == "--delimiter") {
        const std::optional<char16_t> c = OneCharacter(*v);
        if (!c || *c == u'"' || *c == u'\r' || *c == u'\n') return bad(*v);
        request.parse.csv.delimiter = *c;
      } else if (arg == "--skip") {
        const std::optional<std::uint32_t> n = Number(*v, 1000000);
        if (!n) return bad(*v);
        request.parse.csv.skip = *n;
      } else if (arg == "--encoding") {
        if (*v == "utf-8") request.parse.csv.encoding = import::TextEncoding::Utf8;
        else if (*v == "utf-16le") request.parse.csv.encoding = import::TextEncoding::Utf16Le;
        else if (*v == "cp1252") request.parse.csv.encoding = import::TextEncoding::Windows1252;
        else return bad(*v);
      }
    } else if (arg.starts_with("--")) {
      error = "unknown option " + std::string(arg);
      return std::nullopt;
    } else if (!haveFile) {
      request.file = arg;
      haveFile = true;
    } else {
      error = "import takes one FILE";
      return std::nullopt;
    }
  }
  if (!haveFile) {
    error = "import needs a FILE";
    return std::nullopt;
  }
  if (request.account.empty()) {
    error = "import needs --account NAME";
    return std::nullopt;
  }
  return request;
}

std::optional<std::string> ReadWholeFile(const std::string& path, std::string& error) {
  std::error_code code;
  if (fs::is_directory(path, code)) {
    error = path + " is a folder";
    return std::nullopt;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "cannot read " + path;
    return std::nullopt;
  }
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) {
    error = "cannot read " + path;
    return std::nullopt;
  }
  return bytes;
}

std::string Money(std::int64_t cents) {
  return platform::Utf16ToUtf8Lenient(FormatAmount(cents, kGroupingDotDecimal).view());
}

std::string Utf8(std::u16string_view text) {
  return platform::Utf16ToUtf8Lenient(text);
}

void PrintSummary(const ImportRequest& request, FileFormat format, const import::ImportPlan& plan,
                  bool accountIsNew, std::ostream& out) {
  out << (request.dryRun ? "Would import " : "Imported ") << plan.records.size()
      << (plan.records.size() == 1 ? " record" : " records") << " into " << request.account
      << (accountIsNew ? " (a new account)" : "") << " from " << request.file << " ("
      << import::FormatName(format) << ").\n";
  out << "New categories: ";
  if (plan.newCategories.empty()) out << "none";
  for (std::size_t i = 0; i < plan.newCategories.size(); ++i) {
    out << (i == 0 ? "" : ", ") << Utf8(plan.newCategories[i]);
  }
  out << "\nDuplicates skipped: " << plan.duplicates << "\n";
  out << "Memos cut to " << import::kMemoLimit << " characters: " << plan.memosCut << "\n";
  out << "Income: " << Money(plan.income) << "\nExpenses: " << Money(plan.expense) << "\n";
}

// What is known of the store before anything is written, read without changing a byte.
struct StoreState {
  bool exists = false;
  CategoryList categories;
  AccountList accounts;
  MoneyList existing;  // the account's records
  std::optional<std::uint32_t> accountKey;
};

std::optional<Refusal> ReadStore(const fs::path& volume, const std::u16string& accountName,
                                 bool createAccount, StoreState& state) {
  platform::VolumeReader::OpenResult opened = platform::VolumeReader::Open(volume);
  if (opened.reader == nullptr) {
    if (opened.missing && createAccount) return std::nullopt;
    if (opened.missing) return Refusal{kExitStore, "there is no Quidora store at " + volume.string()};
    return Refusal{kExitStore, "the store " + volume.string() + " cannot be used (" + opened.detail + "); it was left as it is"};
  }
  state.exists = true;
  StoreReader reader(*opened.reader);
  if (!reader.ReadCategories(state.categories) || !reader.ReadAccounts(state.accounts)) {
    return Refusal{kExitStore, StoreFailure(reader.LastError()).error};
  }
  if (const AccountRecord* account = state.accounts.FindByName(accountName)) {
    state.accountKey = account->key;
    MoneySelection selection;
    selection.accountKey = account->key;
    if (!reader.ReadMoneyRecords(state.existing, selection)) {
      return Refusal{kExitStore, StoreFailure(reader.LastError()).error};
    }
  }
  return std::nullopt;
}

std::optional<Refusal> CheckNewAccount(const ImportRequest& request, const std::u16string& name,
                                       const StoreState& state) {
  if (state.accountKey) return std::nullopt;
  if (!request.createAccount) {
    return Refusal{kExitRefused, "there is no account \"" + request.account +
                                     "\" (--create-account makes it)"};
  }
  if (name.size() > import::kAccountNameLimit || !IsValidName(name) || TrimSpaces(name) != name) {
    return Refusal{kExitRefused, "\"" + request.account + "\" cannot be an account name: letters, digits and spaces, at most 40"};
  }
  if (state.accounts.size() >= import::kAccountLimit) {
    return Refusal{kExitRefused, "the store holds 15 accounts, as many as it can"};
  }
  return std::nullopt;
}

// Stores the plan: the one point where the import writes. The folder's lock is held.
std::optional<Refusal> StoreImport(const platform::DeviceLocations& locations,
                                   const std::u16string& accountName,
                                   const import::ImportPlan& plan, StoreState& state,
                                   const platform::Clock& clock) {
  // Every record of one import is added at the same moment: their keys then follow the
  // order of the file, as adds made one after another do.
  const platform::FixedClock moment(clock.NowUtc());
  const bool madeNow = !state.exists;
  // An import rewrites much of an account at once: the store as it was goes into the backups
  // first, and a store that cannot be backed up is not written to.
  if (state.exists) {
    const platform::BackupResult backup =
        platform::MakeBackup(locations.dataFolder, platform::BackupKind::BeforeImport, clock);
    if (backup.outcome == platform::BackupResult::Outcome::StoreDamaged) {
      return Refusal{kExitStore, "the store " + locations.objectStore.string() +
                                     " is damaged (" + backup.reason +
                                     "); nothing was imported: see quidora-cli backups"};
    }
    if (backup.outcome == platform::BackupResult::Outcome::Failed) {
      return Refusal{kExitStore, "nothing was imported: the backup before it could not be made (" +
                                     backup.reason + ")"};
    }
  }
  bool stored = false;
  std::string why;
  {
    Databases store(locations.objectStore, moment);
    if (!store.OpenVolume()) {
      return Refusal{kExitStore, "the store " + locations.objectStore.string() + " cannot be opened for writing (" + store.VolumeDetail() + "); it was left as it is"};
    }
    CollectedMessages messages;
    import::ImportTarget target{state.accountKey, accountName, moment.NowUtc()};
    stored = import::WriteImport(store, plan, target, state.categories, state.accounts, messages).has_value();
    why = messages.shown;
    // The run ends cleanly, as the device program's exit ends one.
    store.MarkCleanEnd();
  }
  if (!stored) {
    if (madeNow) {
      for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
        std::error_code ignored;
        fs::remove(locations.objectStore.string() + suffix, ignored);
      }
    }
    return Refusal{kExitStore, "nothing was imported: the store cannot be written" +
                                   (why.empty() ? std::string() : " (" + why + ")")};
  }
  return std::nullopt;
}

}  // namespace

int RunImport(std::span<const std::string_view> args, const platform::EnvironmentLookup& env,
              const platform::Clock& clock, std::ostream& out, std::ostream& err) {
  auto tell = [&](int status, const std::string& message) {
    err << kName << ": " << message << '\n';
    return status;
  };
  std::string error;
  std::optional<ImportRequest> parsed = ParseImport(args, error);
  if (!parsed) return tell(kExitRefused, error + "\nTry \"quidora-cli --help\".");
  ImportRequest& request = *parsed;
  request.parse.today = clock.NowUtc();

  const std::optional<std::u16string> accountName = platform::Utf8ToUtf16(request.account);
  if (!accountName) return tell(kExitRefused, "the account name is not UTF-8 text");
  std::optional<std::u16string> defaultCategory;
  if (request.category) {
    const std::optional<std::u16string> typed = platform::Utf8ToUtf16(*request.category);
    defaultCategory = typed ? import::CleanCategoryName(*typed) : std::u16string();
    if (defaultCategory->empty()) {
      return tell(kExitRefused, "\"" + *request.category + "\" cannot be a category name: letters, digits and spaces");
    }
  }

  std::optional<std::string> bytes = ReadWholeFile(request.file, error);
  if (!bytes) return tell(kExitRefused, error);
  const FileFormat format = request.parse.format.value_or(import::DetectFormat(*bytes));
  if (format == FileFormat::Ofx && !defaultCategory) {
    return tell(kExitRefused, "OFX records carry no category: give the one they go into with --category NAME");
  }

  std::error_code noFolder;
  const std::optional<platform::DeviceLocations> locations =
      platform::ResolveDeviceLocations(env, fs::current_path(noFolder));
  if (!locations) return tell(kExitStore, "cannot tell where the store is: set QUIDORA_HOME or HOME");

  platform::FolderLock lock;
  if (!request.dryRun) {
    std::error_code code;
    if (!fs::is_directory(locations->dataFolder, code)) {
      if (!request.createAccount) return tell(kExitStore, "there is no Quidora store at " + locations->objectStore.string());
      if (!platform::PrepareDevice(*locations)) {
        return tell(kExitStore, "cannot make the data folder " + locations->dataFolder.string());
      }
    }
    switch (lock.Acquire(locations->dataFolder.string())) {
      case platform::FolderLock::Outcome::Held:
        break;
      case platform::FolderLock::Outcome::Busy:
        return tell(kExitBusy, "Quidora is running on " + locations->dataFolder.string() +
                                   ": close it, then import again");
      case platform::FolderLock::Outcome::Failed:
        return tell(kExitStore, lock.Problem());
    }
  }

  StoreState state;
  if (std::optional<Refusal> refused = ReadStore(locations->objectStore, *accountName, request.createAccount, state)) {
    return tell(refused->status, refused->message);
  }
  if (std::optional<Refusal> refused = CheckNewAccount(request, *accountName, state)) {
    return tell(refused->status, refused->message);
  }

  import::PlanRequest planRequest{request.parse, defaultCategory, request.keepDuplicates};
  import::PlannedFile planned =
      import::PlanFile(request.file, *bytes, planRequest, state.categories,
                       std::span<const MoneyRecord>(state.existing.begin(), state.existing.end()));
  // Neither the file nor the account's records are needed any more: the write has the room.
  state.existing.Clear();
  bytes.reset();
  const import::ImportPlan& plan = planned.plan;
  if (!plan.Usable()) {
    std::ostringstream list;
    list << "nothing was imported: " << plan.problems.size()
         << (plan.problems.size() == 1 ? " problem" : " problems") << " in " << request.file;
    for (std::size_t i = 0; i < plan.problems.size() && i < kProblemsShown; ++i) {
      list << "\n  " << import::DescribeProblem(request.file, plan.problems[i]);
    }
    if (plan.problems.size() > kProblemsShown) {
      list << "\n  ... and " << plan.problems.size() - kProblemsShown << " more";
    }
    return tell(kExitRefused, list.str());
  }

  // A new account is made even for a file without records to add.
  if (!request.dryRun && (!plan.records.empty() || !state.accountKey)) {
    if (std::optional<Refusal> refused = StoreImport(*locations, *accountName, plan, state, clock)) {
      return tell(refused->status, refused->message);
    }
  }
  PrintSummary(request, planned.format, plan, !state.accountKey, out);
  out.flush();
  return kExitDone;
}

}  // namespace quidora::cli
