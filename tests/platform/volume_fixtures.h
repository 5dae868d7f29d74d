// Volumes with content for the reliability tests.
#pragma once

#include <spawn.h>
#include <sys/wait.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/object_store.h"

extern char** environ;

namespace quidora::platform::testing {

inline constexpr PropId kMemoProp = MakePropId(8, kTypeLpwstr);

// Account 7, a date in 2000 to 2009 drawn from the key, an amount and a memo.
inline Record MoneyLike(std::uint32_t key, std::size_t memoUnits = 40) {
  return {PropValue::Ui4(kKeyPropId, key),
          PropValue::Ui4(MakePropId(1, kTypeUi4), 7),
          PropValue::Ui4(MakePropId(2, kTypeUi4), 1 + key % 28),
          PropValue::Ui4(MakePropId(3, kTypeUi4), 1 + key / 28 % 12),
          PropValue::Ui4(MakePropId(4, kTypeUi4), 2000 + key / 336 % 10),
          PropValue::Ui4(MakePropId(5, kTypeUi4), key * 7 % 1000),
          PropValue::Text(kMemoProp, std::u16string(memoUnits, u'm'))};
}

// A closed volume holding `count` records with keys 0..count-1 in database "money".
inline bool MakeVolume(const std::filesystem::path& file, std::uint32_t count) {
  auto opened = ObjectStore::OpenVolume(file);
  if (!opened.store || opened.store->CreateDatabase(u"money") == 0) return false;
  DatabaseHandle db = std::move(opened.store->OpenDatabase(u"money").handle);
  Transaction group = opened.store->BeginTransaction();
  for (std::uint32_t key = 0; key < count; ++key) {
    if (db.WriteRecord(0, MoneyLike(key)) == 0) return false;
  }
  return group.Commit();
}

// Runs the sqlite3 command-line program, as another program would use SQLite. False when it is
// not installed or fails.
inline bool RunSqliteProgram(const std::filesystem::path& file, const std::string& sql) {
  std::string program = "sqlite3";
  std::string name = file.string();
  std::string script = sql;
  std::vector<char*> argv = {program.data(), name.data(), script.data(), nullptr};
  pid_t pid = 0;
  if (posix_spawnp(&pid, "sqlite3", nullptr, nullptr, argv.data(), environ) != 0) return false;
  int status = 0;
  return waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Turns a closed volume into one of the first version, as the first release wrote them: the
// same tables, without those that later versions added. False when the sqlite3 program is not
// installed or fails.
inline bool MakeFirstVersionVolume(const std::filesystem::path& file) {
  return RunSqliteProgram(file,
                          "DROP TABLE sort_orders; DROP TABLE ordered_records; DROP TABLE key_runs;"
                          " DROP TABLE volume_state; DROP TABLE date_orders;"
                          " DROP TABLE dated_records; PRAGMA user_version=1;");
}

// Likewise a volume of the second version: without date orders.
inline bool MakeSecondVersionVolume(const std::filesystem::path& file) {
  return RunSqliteProgram(file,
                          "DROP TABLE date_orders; DROP TABLE dated_records; PRAGMA user_version=2;");
}

// The money records' date order as the storage layer asks for it: by account, then the date of
// properties 4 (year), 3 (month) and 2 (day), carrying amount and type (5 and 6).
inline DateOrder MoneyDateOrder() {
  return DateOrder{MakePropId(1, kTypeUi4), MakePropId(4, kTypeUi4), MakePropId(3, kTypeUi4),
                   MakePropId(2, kTypeUi4), {MakePropId(5, kTypeUi4), MakePropId(6, kTypeUi4)}};
}

}  // namespace quidora::platform::testing
