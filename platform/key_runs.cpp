#include "platform/key_runs.h"

#include <algorithm>

namespace quidora::platform::detail {
namespace {

// Resets a statement when the scope is left.
class Use {
 public:
  explicit Use(sql::Statement& statement) : statement_(statement) {}
  ~Use() { statement_.Reset(); }
  Use(const Use&) = delete;
  Use& operator=(const Use&) = delete;

 private:
  sql::Statement& statement_;
};

// Runs a statement that returns no rows.
int Execute(sql::Statement& statement) {
  Use use(statement);
  const int rc = statement.Step();
  return rc == SQLITE_DONE ? SQLITE_OK : rc;
}

}  // namespace

int KeyRuns::Prepare(const sql::Connection& db) {
  struct Prepared {
    sql::Statement& statement;
    const char* sql;
  };
  const Prepared statements[] = {
      {runFrom_,
       "SELECT first, last FROM key_runs WHERE db = ?1 AND first <= ?2"
       " ORDER BY first DESC LIMIT 1"},
      {runStartingAt_, "SELECT first, last FROM key_runs WHERE db = ?1 AND first = ?2"},
      {insert_, "INSERT INTO key_runs(db, first, last) VALUES(?1, ?2, ?3)"},
      {setLast_, "UPDATE key_runs SET last = ?3 WHERE db = ?1 AND first = ?2"},
      {erase_, "DELETE FROM key_runs WHERE db = ?1 AND first = ?2"},
      {keyHeld_, "SELECT 1 FROM records WHERE db = ?1 AND skey = ?2 LIMIT 1"},
  };
  for (const Prepared& p : statements) {
    if (const int rc = p.statement.Prepare(db, p.sql); rc != SQLITE_OK) return rc;
  }
  return SQLITE_OK;
}

int KeyRuns::RunFrom(std::int64_t db, std::int64_t key, std::optional<Run>& run) {
  Use use(runFrom_);
  runFrom_.Bind(1, db);
  runFrom_.Bind(2, key);
  const int rc = runFrom_.Step();
  run.reset();
  if (rc == SQLITE_ROW) run = Run{runFrom_.ColumnInt64(0), runFrom_.ColumnInt64(1)};
  return rc == SQLITE_ROW || rc == SQLITE_DONE ? SQLITE_OK : rc;
}

int KeyRuns::RunStartingAt(std::int64_t db, std::int64_t first, std::optional<Run>& run) {
  Use use(runStartingAt_);
  runStartingAt_.Bind(1, db);
  runStartingAt_.Bind(2, first);
  const int rc = runStartingAt_.Step();
  run.reset();
  if (rc == SQLITE_ROW) run = Run{runStartingAt_.ColumnInt64(0), runStartingAt_.ColumnInt64(1)};
  return rc == SQLITE_ROW || rc == SQLITE_DONE ? SQLITE_OK : rc;
}

int KeyRuns::Insert(std::int64_t db, std::int64_t first, std::int64_t last) {
  insert_.Bind(1, db);
  insert_.Bind(2, first);
  insert_.Bind(3, last);
  return Execute(insert_);
}

int KeyRuns::SetLast(std::int64_t db, std::int64_t first, std::int64_t last) {
  setLast_.Bind(1, db);
  setLast_.Bind(2, first);
  setLast_.Bind(3, last);
  return Execute(setLast_);
}

int KeyRuns::Erase(std::int64_t db, std::int64_t first) {
  erase_.Bind(1, db);
  erase_.Bind(2, first);
  return Execute(erase_);
}

int KeyRuns::Add(std::int64_t db, std::uint32_t key) {
  const std::int64_t k = key;
  std::optional<Run> before;
  if (const int rc = RunFrom(db, k, before); rc != SQLITE_OK) return rc;
  if (before && before->last >= k) return SQLITE_OK;  // held already
  std::optional<Run> after;
  if (const int rc = RunStartingAt(db, k + 1, after); rc != SQLITE_OK) return rc;
  const bool joinsBefore = before && before->last == k - 1;
  if (joinsBefore && after) {
    if (const int rc = Erase(db, after->first); rc != SQLITE_OK) return rc;
    return SetLast(db, before->first, after->last);
  }
  if (joinsBefore) return SetLast(db, before->first, k);
  if (after) {
    if (const int rc = Erase(db, after->first); rc != SQLITE_OK) return rc;
    return Insert(db, k, after->last);
  }
  return Insert(db, k, k);
}

int KeyRuns::Remove(std::int64_t db, std::uint32_t key) {
  const std::int64_t k = key;
  {
    Use use(keyHeld_);
    keyHeld_.Bind(1, db);
    keyHeld_.Bind(2, k);
    const int rc = keyHeld_.Step();
    if (rc == SQLITE_ROW) return SQLITE_OK;  // another record holds it
    if (rc != SQLITE_DONE) return rc;
  }
  std::optional<Run> run;
  if (const int rc = RunFrom(db, k, run); rc != SQLITE_OK) return rc;
  if (!run || run->last < k) return SQLITE_OK;  // not listed: nothing to take out
  if (run->first == k) {
    if (const int rc = Erase(db, k); rc != SQLITE_OK) return rc;
    return run->last == k ? SQLITE_OK : Insert(db, k + 1, run->last);
  }
  if (const int rc = SetLast(db, run->first, k - 1); rc != SQLITE_OK) return rc;
  return run->last == k ? SQLITE_OK : Insert(db, k + 1, run->last);
}

int KeyRuns::FreeWithin(std::int64_t db, std::int64_t from, std::int64_t upto,
                        std::optional<std::uint32_t>& found) {
  found.reset();
  if (from > upto) return SQLITE_OK;
  std::optional<Run> run;
  if (const int rc = RunFrom(db, from, run); rc != SQLITE_OK) return rc;
  // Runs are maximal: the key after a run is free.
  const std::int64_t free = run && run->last >= from ? run->last + 1 : from;
  if (free <= upto) found = static_cast<std::uint32_t>(free);
  return SQLITE_OK;
}

int KeyRuns::FirstFree(std::int64_t db, std::uint32_t start, std::uint32_t last,
                       std::optional<std::uint32_t>& found) {
  if (const int rc = FreeWithin(db, start, last, found); rc != SQLITE_OK || found) return rc;
  if (start == 0) return SQLITE_OK;
  return FreeWithin(db, 0, std::min<std::int64_t>(std::int64_t{start} - 1, last), found);
}

}  // namespace quidora::platform::detail
