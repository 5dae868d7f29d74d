// The three open databases of a run: for each its object identifier, its open handle and, for
// the categories and accounts databases, the object identifier of the first record found at
// start. One Databases object lives as long as the program; nothing here is global.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "core/message_service.h"
#include "platform/clock.h"
#include "platform/object_store.h"
#include "resources/strings/string_table.h"

namespace quidora {

struct DatabaseSlot {
  explicit DatabaseSlot(std::u16string_view databaseName) : name(databaseName) {}

  bool IsOpen() const { return handle.IsOpen(); }
  void Close() { handle.Close(); }

  std::u16string_view name;
  platform::Oid oid = 0;
  platform::Oid firstRecord = 0;
  platform::DatabaseHandle handle;
};

// How a run uses the volume: the device program reads and writes it; a companion program may
// read it, also while the device program runs, and then changes nothing.
enum class VolumeAccess { ReadWrite, ReadOnly };

class Databases {
 public:
  // Nothing is opened yet: OpenDatabases (or OpenDatabasesReadOnly) opens the volume at
  // `volumeFile` first. `clock` (and `faults`, a test hook) must outlive this object.
  Databases(std::filesystem::path volumeFile, const platform::Clock& clock,
            platform::IoFaults* faults = nullptr, VolumeAccess access = VolumeAccess::ReadWrite);
  ~Databases();
  Databases(const Databases&) = delete;
  Databases& operator=(const Databases&) = delete;

  // Opens the volume unless it is open: true when it opened or was created. A damaged, foreign,
  // newer or unreadable file is refused and left exactly as it was. A volume of an earlier
  // version is brought up to date (not when read-only), and the money database gets its order
  // on the account key.
  bool OpenVolume();
  bool VolumeIsOpen() const { return volume_ != nullptr; }
  bool ReadOnly() const { return access_ == VolumeAccess::ReadOnly; }
  // What opening the volume found: for logs, and what a refusal is about, for the user.
  platform::VolumeStatus VolumeStatus() const { return volumeStatus_; }
  const std::string& VolumeDetail() const { return volumeDetail_; }
  platform::VolumeProblem VolumeProblem() const { return volumeProblem_; }
  const std::filesystem::path& VolumeSubject() const { return volumeSubject_; }
  const std::filesystem::path& VolumeFile() const { return volumeFile_; }

  // The end of a run's exit sequence: the volume is marked as ended cleanly, so that the next
  // start skips the whole-file check. False when the mark cannot be stored (or nothing is open).
  bool MarkCleanEnd();

  // Only while VolumeIsOpen().
  platform::ObjectStore& Volume() { return *volume_; }
  const platform::Clock& Clock() const { return clock_; }

  DatabaseSlot& Money() { return money_; }
  DatabaseSlot& Accounts() { return accounts_; }
  DatabaseSlot& Categories() { return categories_; }

  void CloseAll();

  // Makes sure `slot` has an open handle, opening its database by name when it has none. A
  // handle stays open between operations, so record writes do not pay for an open each time.
  bool EnsureOpen(DatabaseSlot& slot);
  // Closes the handle and opens the database by name again, positioned at its first record.
  platform::OpenStatus Reopen(DatabaseSlot& slot);

  // Batch state, kept by StoreBatch.
  bool InBatch() const { return batchDepth_ > 0; }
  // True once a write inside the running batch has failed and been reported: the batch can
  // only end without storing anything, so later operations in it neither write nor report.
  bool BatchBroken() const { return batchBroken_; }
  void MarkBatchBroken() {
    if (InBatch()) batchBroken_ = true;
  }

 private:
  friend class StoreBatch;

  std::filesystem::path volumeFile_;
  platform::IoFaults* faults_;
  VolumeAccess access_;
  std::unique_ptr<platform::ObjectStore> volume_;
  platform::VolumeStatus volumeStatus_ = platform::VolumeStatus::CreateFailed;
  std::string volumeDetail_;
  platform::VolumeProblem volumeProblem_ = platform::VolumeProblem::None;
  std::filesystem::path volumeSubject_;
  const platform::Clock& clock_;
  DatabaseSlot money_;
  DatabaseSlot accounts_;
  DatabaseSlot categories_;
  int batchDepth_ = 0;
  bool batchBroken_ = false;
};

// A group of record operations stored all or nothing with one sync, for work over many
// records: applying a category rename or deletion to money records, deleting a date range,
// deleting an account's records. Usage:
//
//   StoreBatch batch(store, StringId::EditError, kMoneyDatabaseName);
//   for (...) UpdateMoneyRecord(store, record, ui);   // each reports its own failure
//   if (!batch.Commit(ui)) { /* nothing was stored: reload the lists */ }
//
// Inside a batch, the first write that fails shows its operation's message and breaks the
// batch; later operations then return false at once without writing or showing anything, and
// Commit stores nothing and shows nothing more. When the final commit itself fails, Commit
// shows `failureText`, a space and `databaseName`. A batch that is destroyed without Commit is
// rolled back. Batches nest: an inner batch is part of the outer one, and a broken inner batch
// breaks the outer one too.
class StoreBatch {
 public:
  StoreBatch(Databases& store, StringId failureText, std::u16string_view databaseName);
  ~StoreBatch();
  StoreBatch(const StoreBatch&) = delete;
  StoreBatch& operator=(const StoreBatch&) = delete;

  // True when every operation of the batch is stored (durably, for the outermost batch).
  bool Commit(MessageService& ui);
  // Drops every change of the batch.
  void Rollback();

 private:
  void End();

  Databases& store_;
  platform::Transaction transaction_;
  StringId failureText_;
  std::u16string_view databaseName_;
  bool ended_ = false;
  bool outermost_ = false;
};

}  // namespace quidora
