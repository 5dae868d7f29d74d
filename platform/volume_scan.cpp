#include "platform/volume_scan.h"

#include "platform/sqlite_wrapper.h"
#include "platform/volume_file.h"

namespace quidora::platform {
namespace {

int StopRequested(void* stop) {
  return static_cast<const std::atomic<bool>*>(stop)->load(std::memory_order_relaxed) ? 1 : 0;
}

bool IsDamage(int rc) {
  const int code = rc & 0xFF;
  return code == SQLITE_CORRUPT || code == SQLITE_NOTADB;
}

VolumeScan Verdict(const sql::Connection& db, int rc, const std::string& what) {
  return VolumeScan{IsDamage(rc) ? VolumeScan::Outcome::Damaged : VolumeScan::Outcome::NotChecked,
                    what + ": " + db.ErrorMessage()};
}

}  // namespace

VolumeScan ScanVolume(const std::filesystem::path& file, const std::atomic<bool>& stop) {
  // mode=ro, never immutable: the program's own connection keeps writing meanwhile, and the
  // check must see the file and its log as they are.
  sql::Connection db;
  if (const int rc = db.Open(detail::SqliteUri(file, "mode=ro"),
                             SQLITE_OPEN_READONLY | SQLITE_OPEN_URI);
      rc != SQLITE_OK) {
    return Verdict(db, rc, "open");
  }
  db.Exec("PRAGMA query_only=ON");
  sqlite3_busy_timeout(db.get(), 2000);
  sqlite3_progress_handler(db.get(), 1000, &StopRequested,
                           const_cast<std::atomic<bool>*>(&stop));
  sql::Statement check;
  if (const int rc = check.Prepare(db, "PRAGMA quick_check"); rc != SQLITE_OK) {
    return Verdict(db, rc, "quick_check");
  }
  const int rc = check.Step();
  if (rc != SQLITE_ROW) return Verdict(db, rc, "quick_check");
  std::string verdict = check.ColumnText(0);
  if (verdict != "ok") {
    return VolumeScan{VolumeScan::Outcome::Damaged, "quick_check: " + verdict};
  }
  return VolumeScan{VolumeScan::Outcome::Sound, "ok"};
}

}  // namespace quidora::platform
