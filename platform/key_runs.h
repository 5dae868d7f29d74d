// The runs of taken keys of each database (the key_runs table, inside platform/ only): every
// maximal run first..last of consecutive keys that records hold. Every write keeps it, so that
// the first free key from any start is found with two lookups, however many keys are taken.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/sqlite_wrapper.h"

namespace quidora::platform::detail {

class KeyRuns {
 public:
  // SQLite result codes throughout: SQLITE_OK, or the failure to report.
  int Prepare(const sql::Connection& db);

  // After a record with `key` was stored in database `db`.
  int Add(std::int64_t db, std::uint32_t key);
  // After a record with `key` left database `db` (deleted, or rewritten with another key): the
  // key leaves its run unless another record still holds it.
  int Remove(std::int64_t db, std::uint32_t key);
  // The first key of `start`..`last` that no record holds, else the first of 0..min(start - 1,
  // last); nothing when there is none.
  int FirstFree(std::int64_t db, std::uint32_t start, std::uint32_t last,
                std::optional<std::uint32_t>& found);

 private:
  struct Run {
    std::int64_t first = 0;
    std::int64_t last = 0;
  };
  // The run that starts at or before `key` and starts last, whether or not it reaches `key`.
  int RunFrom(std::int64_t db, std::int64_t key, std::optional<Run>& run);
  int RunStartingAt(std::int64_t db, std::int64_t first, std::optional<Run>& run);
  int Insert(std::int64_t db, std::int64_t first, std::int64_t last);
  int SetLast(std::int64_t db, std::int64_t first, std::int64_t last);
  int Erase(std::int64_t db, std::int64_t first);
  int FreeWithin(std::int64_t db, std::int64_t from, std::int64_t upto,
                 std::optional<std::uint32_t>& found);

  sql::Statement runFrom_;
  sql::Statement runStartingAt_;
  sql::Statement insert_;
  sql::Statement setLast_;
  sql::Statement erase_;
  sql::Statement keyHeld_;
};

}  // namespace quidora::platform::detail
