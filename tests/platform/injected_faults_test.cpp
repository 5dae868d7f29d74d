// Every write path under injected I/O errors: a group is stored whole or not at all, and a failed
// registry save leaves the old file as it was.
#include <gtest/gtest.h>

#include <cerrno>
#include <functional>

#include "platform/io_faults.h"
#include "platform/object_store.h"
#include "platform/registry.h"
#include "temp_folder.h"
#include "volume_fixtures.h"

namespace quidora::platform {
namespace {

using testing::Listing;
using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

constexpr std::uint32_t kBaseRecords = 50;

struct Injection {
  IoOp op;
  IoFault fault;
  const char* name;
};
constexpr Injection kInjections[] = {
    {IoOp::Write, IoFault::NoSpace, "write ENOSPC"},
    {IoOp::Write, IoFault::IoError, "write EIO"},
    {IoOp::Sync, IoFault::IoError, "fsync EIO"},
};

// What a change did to the volume, seen by a fresh connection without faults.
enum class Outcome { Nothing, Whole, Partial };

struct WritePath {
  const char* name;
  // Performs the change on an open store; true when the store reported success.
  std::function<bool(ObjectStore&)> change;
  // Classifies the volume afterwards.
  std::function<Outcome(ObjectStore&)> outcome;
};

std::uint32_t Count(ObjectStore& store) {
  return store.OpenDatabase(u"money").handle.RecordCount().value_or(0);
}

std::vector<WritePath> WritePaths() {
  return {
      {"a group of 40 writes and a delete",
       [](ObjectStore& store) {
         DatabaseHandle db = std::move(store.OpenDatabase(u"money").handle);
         Transaction group = store.BeginTransaction();
         bool ok = group.IsActive();
         for (std::uint32_t key = 1000; ok && key < 1040; ++key) {
           ok = db.WriteRecord(0, testing::MoneyLike(key, 300)) != 0;
         }
         ok = ok && db.DeleteRecord(db.SeekFirstEqual(3));
         if (!ok) {
           group.Rollback();
           return false;
         }
         return group.Commit();
       },
       [](ObjectStore& store) {
         DatabaseHandle db = std::move(store.OpenDatabase(u"money").handle);
         std::uint32_t added = 0;
         for (std::uint32_t key = 1000; key < 1040; ++key) added += db.ContainsKey(key) == true;
         const bool deleted = db.ContainsKey(3) == false;
         if (added == 0 && !deleted && Count(store) == kBaseRecords) return Outcome::Nothing;
         if (added == 40 && deleted && Count(store) == kBaseRecords + 39) return Outcome::Whole;
         return Outcome::Partial;
       }},
      {"one write over a record",
       [](ObjectStore& store) {
         DatabaseHandle db = std::move(store.OpenDatabase(u"money").handle);
         const Oid found = db.SeekFirstEqual(10);
         return found != 0 && db.WriteRecord(found, testing::MoneyLike(5000, 900)) == found;
       },
       [](ObjectStore& store) {
         DatabaseHandle db = std::move(store.OpenDatabase(u"money").handle);
         const bool old = db.ContainsKey(10) == true;
         const bool now = db.ContainsKey(5000) == true;
         if (Count(store) != kBaseRecords || old == now) return Outcome::Partial;
         return old ? Outcome::Nothing : Outcome::Whole;
       }},
      {"deleting the database",
       [](ObjectStore& store) {
         const OpenedDatabase opened = store.OpenDatabase(u"money");
         return store.DeleteDatabase(opened.oid);
       },
       [](ObjectStore& store) {
         const OpenedDatabase opened = store.OpenDatabase(u"money");
         if (opened.status == OpenStatus::NotFound) return Outcome::Whole;
         return Count(store) == kBaseRecords ? Outcome::Nothing : Outcome::Partial;
       }},
  };
}

TEST(InjectedFaultsTest, EveryWritePathOfTheStoreIsAllOrNothing) {
  TempFolder folder;
  const auto base = folder / "base.db";
  ASSERT_TRUE(testing::MakeVolume(base, kBaseRecords));
  const std::string baseBytes = ReadBytes(base);
  const auto file = folder / "objectstore.db";

  for (const WritePath& path : WritePaths()) {
    for (const Injection& injection : kInjections) {
      int failedRuns = 0;
      int storedDespiteFailure = 0;
      for (int successes = 0; successes < 500; ++successes) {
        SCOPED_TRACE(std::string(path.name) + ", " + injection.name + " after " +
                     std::to_string(successes));
        std::filesystem::remove(file.string() + "-wal");
        std::filesystem::remove(file.string() + "-shm");
        WriteBytes(file, baseBytes);
        IoFaults faults;
        bool reported = false;
        bool injected = false;
        {
          auto opened = ObjectStore::OpenVolume(file, &faults);
          ASSERT_EQ(opened.status, VolumeStatus::Opened) << opened.detail;
          faults.FailAfter(injection.op, successes, injection.fault);
          reported = path.change(*opened.store);
          injected = faults.Count(injection.op) > successes;
          if (injected) {
            EXPECT_NE(opened.store->LastError(), StoreError::None);
          }
          faults.Clear();
        }
        auto check = ObjectStore::OpenVolume(file);
        ASSERT_EQ(check.status, VolumeStatus::Opened) << check.detail;
        EXPECT_TRUE(check.store->CheckIntegrity());
        const Outcome outcome = path.outcome(*check.store);
        EXPECT_NE(outcome, Outcome::Partial);
        if (reported) {
          EXPECT_EQ(outcome, Outcome::Whole) << "success was reported";
        }
        if (!injected) {
          EXPECT_TRUE(reported);
          break;  // every operation of this kind has had its turn to fail
        }
        ++failedRuns;
        // A failed sync of the log cannot take back what the log already holds.
        if (!reported && outcome == Outcome::Whole) ++storedDespiteFailure;
        if (injection.op == IoOp::Write) {
          EXPECT_EQ(outcome, Outcome::Nothing) << "a failed write stores nothing";
        }
      }
      EXPECT_GT(failedRuns, 0) << path.name << ", " << injection.name;
      std::cout << path.name << ", " << injection.name << ": " << failedRuns
                << " failure points, all or nothing; stored despite failure: "
                << storedDespiteFailure << "\n";
    }
  }
}

// A commit large enough to start a checkpoint, with writes failing part way through copying the
// log into the file and the process then gone: the file alone is half old, half new, and only file
// and log together are the volume. The next open must read them together, not refuse the volume.
TEST(InjectedFaultsTest, AHalfDoneCheckpointIsCompletedFromTheLogAtTheNextOpen) {
  TempFolder folder;
  const auto base = folder / "base.db";
  ASSERT_TRUE(testing::MakeVolume(base, 0));
  const std::string baseBytes = ReadBytes(base);
  const auto file = folder / "objectstore.db";
  constexpr std::uint32_t kRecords = 1000;  // over 1000 log pages: past the automatic checkpoint

  auto writeAll = [&](ObjectStore& store) {
    DatabaseHandle db = std::move(store.OpenDatabase(u"money").handle);
    Transaction group = store.BeginTransaction();
    for (std::uint32_t key = 0; key < kRecords; ++key) {
      if (db.WriteRecord(0, testing::MoneyLike(key, 1800)) == 0) return false;
    }
    return group.Commit();
  };
  auto fresh = [&] {
    for (const char* suffix : {"-wal", "-shm"}) std::filesystem::remove(file.string() + suffix);
    WriteBytes(file, baseBytes);
  };

  fresh();
  int total = 0;
  {
    IoFaults counter;
    auto opened = ObjectStore::OpenVolume(file, &counter);
    ASSERT_TRUE(writeAll(*opened.store));
    total = counter.Count(IoOp::Write);
  }
  int cutAfterCommit = 0;
  for (double fraction : {0.6, 0.8, 0.95}) {
    const int successes = static_cast<int>(total * fraction);
    SCOPED_TRACE("writes fail after " + std::to_string(successes) + " of " + std::to_string(total));
    fresh();
    bool committed = false;
    {
      IoFaults faults;
      auto opened = ObjectStore::OpenVolume(file, &faults);
      ASSERT_EQ(opened.status, VolumeStatus::Opened);
      faults.FailAfter(IoOp::Write, successes, IoFault::IoError);
      committed = writeAll(*opened.store);
      // The store closes with the faults still armed, so its closing checkpoint fails too and
      // the log stays: the state a crash would leave.
      opened.store.reset();
    }
    auto check = ObjectStore::OpenVolume(file);
    ASSERT_EQ(check.status, VolumeStatus::Opened) << check.detail;
    EXPECT_TRUE(check.store->CheckIntegrity());
    const std::uint32_t count = Count(*check.store);
    if (committed) {
      ++cutAfterCommit;
      EXPECT_EQ(count, kRecords);
    } else {
      EXPECT_TRUE(count == 0 || count == kRecords) << count;
    }
  }
  EXPECT_GT(cutAfterCommit, 0) << "no cut landed in the checkpoint";
}

TEST(InjectedFaultsTest, AVolumeThatFailsToBeMadeLeavesNothingBehind) {
  TempFolder folder;
  const auto file = folder / "objectstore.db";
  int failures = 0;
  for (int successes = 0; successes < 200; ++successes) {
    IoFaults faults;
    faults.FailAfter(IoOp::Write, successes, IoFault::NoSpace);
    auto opened = ObjectStore::OpenVolume(file, &faults);
    if (opened.status == VolumeStatus::Created) break;
    ++failures;
    EXPECT_EQ(opened.status, VolumeStatus::CreateFailed);
    EXPECT_TRUE(Listing(folder.path()).empty()) << "after " << successes << " writes";
  }
  EXPECT_GT(failures, 0);
  auto again = ObjectStore::OpenVolume(file);
  EXPECT_EQ(again.status, VolumeStatus::Opened) << again.detail;
}

TEST(InjectedFaultsTest, AFailedRegistrySaveLeavesTheOldFile) {
  TempFolder folder;
  const auto file = folder / "registry.reg";
  const std::string old =
      "; Quidora device registry\n\n[HKEY_LOCAL_MACHINE\\Software\\Vesko\\Quidora]\n"
      "\"MajorVersion\"=dword:00000001\n";
  for (IoOp op : {IoOp::Write, IoOp::Sync, IoOp::Rename}) {
    for (IoFault fault : {IoFault::NoSpace, IoFault::IoError}) {
      WriteBytes(file, old);
      IoFaults faults;
      Registry registry = Registry::Load(file, &faults);
      auto key = registry.CreateKey(RegistryRoot::LocalMachine, u"Software\\Vesko\\Quidora");
      key->SetDword(u"MajorVersion", 2);
      key->SetString(u"Note", std::u16string(20000, u'n'));
      faults.FailAfter(op, 0, fault);
      EXPECT_FALSE(key->Close());
      EXPECT_EQ(ReadBytes(file), old);
      EXPECT_EQ(Listing(folder.path()), std::vector<std::string>{"registry.reg"})
          << "the temporary file is removed";
      faults.Clear();
      EXPECT_TRUE(registry.Flush()) << "the changes are still pending and saved later";
      EXPECT_EQ(Registry::Load(file)
                    .OpenKey(RegistryRoot::LocalMachine, u"Software\\Vesko\\Quidora")
                    ->QueryValue(u"MajorVersion")
                    ->AsDword(),
                2u);
    }
  }
}

TEST(InjectedFaultsTest, AWriterOfItsOwnFilesSeesTheFailureAsTheSystemWouldGiveIt) {
  errno = 0;
  EXPECT_FALSE(FaultInjected(nullptr, IoOp::Write));
  EXPECT_EQ(errno, 0) << "without a hook nothing fails and errno is left alone";

  IoFaults faults;
  faults.FailAfter(IoOp::Rename, 1, IoFault::NoSpace);
  faults.FailAfter(IoOp::Create, 0, IoFault::IoError);
  EXPECT_FALSE(FaultInjected(&faults, IoOp::Rename));
  EXPECT_TRUE(FaultInjected(&faults, IoOp::Rename));
  EXPECT_EQ(errno, ENOSPC);
  EXPECT_TRUE(FaultInjected(&faults, IoOp::Create));
  EXPECT_EQ(errno, EIO);
  EXPECT_FALSE(FaultInjected(&faults, IoOp::Write)) << "other kinds go on succeeding";
  EXPECT_EQ(faults.Count(IoOp::Rename), 2);
  faults.Clear();
  EXPECT_FALSE(FaultInjected(&faults, IoOp::Rename));
  EXPECT_EQ(faults.Count(IoOp::Rename), 3);
}

TEST(InjectedFaultsTest, AFailedFolderSyncIsReportedEvenThoughTheFileIsReplaced) {
  TempFolder folder;
  const auto file = folder / "registry.reg";
  IoFaults faults;
  faults.FailAfter(IoOp::FolderSync, 0, IoFault::IoError);
  EXPECT_FALSE(WriteFileAtomically(file, "new\n", &faults));
  EXPECT_EQ(ReadBytes(file), "new\n");
}

}  // namespace
}  // namespace quidora::platform
