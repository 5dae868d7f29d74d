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

inline Record MoneyLike(std::uint32_t key, std::size_t memoUnits = 40) {
  return {PropValue::Ui4(kKeyPropId, key), PropValue::Ui4(MakePropId(1, kTypeUi4), 7),
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
                          " DROP TABLE volume_state; PRAGMA user_version=1;");
}

}  // namespace quidora::platform::testing
