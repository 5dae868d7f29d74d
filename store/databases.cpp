#include "store/databases.h"

#include <malloc.h>

#include <utility>

#include "store/database_layout.h"
#include "store/dated_money.h"
#include "store/store_messages.h"

namespace quidora {

namespace {

// Each record written inside a batch opens and releases a savepoint, and SQLite frees the
// savepoint's journal memory at the release: a block of some hundred kilobytes at the top of
// the heap. With glibc's default trim threshold (128 KiB) every release then shrinks the heap
// and the next write grows it again, two system calls and a TLB flush per record: 5,000 writes
// in one batch took 12.8 s here instead of 0.5 s. Keeping up to 64 MiB of freed memory at the
// top of the heap removes that churn. Setting it again is harmless.
void KeepFreedHeapTop() {
  mallopt(M_TRIM_THRESHOLD, 64 << 20);
  mallopt(M_TOP_PAD, 1 << 20);
}

}  // namespace

Databases::Databases(std::filesystem::path volumeFile, const platform::Clock& clock,
                     platform::IoFaults* faults, VolumeAccess access)
    : volumeFile_(std::move(volumeFile)),
      faults_(faults),
      access_(access),
      clock_(clock),
      money_(store::kMoneyDatabaseName),
      accounts_(store::kAccountsDatabaseName),
      categories_(store::kCategoriesDatabaseName) {
  KeepFreedHeapTop();
}

Databases::~Databases() {
  CloseAll();
}

bool Databases::OpenVolume() {
  if (volume_) return true;
  platform::VolumeOptions options;
  options.readOnly = ReadOnly();
  options.faults = faults_;
  // Loading one account reads that account's records only.
  options.sortOrders.push_back(
      {std::u16string(store::kMoneyDatabaseName), store::money::kAccountKey});
  // Reports and the companion read a range of dates at the cost of that range. A volume without
  // the order gains it in the open's own transaction (once; about a second a 100,000 records).
  options.dateOrders.push_back({std::u16string(store::kMoneyDatabaseName), MoneyDateOrder()});
  platform::ObjectStore::OpenResult opened =
      platform::ObjectStore::OpenVolume(volumeFile_, options);
  volumeStatus_ = opened.status;
  volumeDetail_ = std::move(opened.detail);
  volumeProblem_ = opened.problem;
  volumeSubject_ = std::move(opened.subject);
  volume_ = std::move(opened.store);
  return volume_ != nullptr;
}

bool Databases::MarkCleanEnd() {
  if (!volume_ || ReadOnly()) return false;
  return volume_->MarkCleanEnd();
}

void Databases::CloseAll() {
  money_.Close();
  accounts_.Close();
  categories_.Close();
}

platform::OpenStatus Databases::Reopen(DatabaseSlot& slot) {
  slot.Close();
  if (!volume_) return platform::OpenStatus::Failed;
  platform::OpenedDatabase opened = volume_->OpenDatabase(slot.name, platform::kKeyPropId);
  if (opened.status == platform::OpenStatus::Opened) {
    slot.oid = opened.oid;
    slot.handle = std::move(opened.handle);
  }
  return opened.status;
}

bool Databases::EnsureOpen(DatabaseSlot& slot) {
  return slot.IsOpen() || Reopen(slot) == platform::OpenStatus::Opened;
}

StoreBatch::StoreBatch(Databases& store, StringId failureText, std::u16string_view databaseName)
    : store_(store),
      transaction_(store.VolumeIsOpen() ? store.Volume().BeginTransaction()
                                        : platform::Transaction()),
      failureText_(failureText),
      databaseName_(databaseName) {
  outermost_ = store_.batchDepth_ == 0;
  if (outermost_) store_.batchBroken_ = false;
  ++store_.batchDepth_;
  // Without a transaction the operations would each be stored on their own: refuse them all.
  if (!transaction_.IsActive()) store_.batchBroken_ = true;
}

StoreBatch::~StoreBatch() {
  if (!ended_) Rollback();
}

void StoreBatch::End() {
  ended_ = true;
  --store_.batchDepth_;
  if (outermost_) store_.batchBroken_ = false;
}

bool StoreBatch::Commit(MessageService& ui) {
  if (ended_) return false;
  if (store_.batchBroken_) {
    // The failing operation has been reported; storing part of the batch is not an option.
    const bool transactionStarted = transaction_.IsActive();
    transaction_.Rollback();
    End();
    if (!transactionStarted) ShowWriteFailure(store_, ui, failureText_, databaseName_);
    return false;
  }
  const bool stored = transaction_.Commit();
  if (!stored) {
    transaction_.Rollback();
    // An inner batch that cannot be folded in leaves the outer one unable to store anything.
    if (!outermost_) store_.batchBroken_ = true;
    End();
    ShowWriteFailure(store_, ui, failureText_, databaseName_);
    return false;
  }
  End();
  return true;
}

void StoreBatch::Rollback() {
  if (ended_) return;
  transaction_.Rollback();
  End();
}

}  // namespace quidora
