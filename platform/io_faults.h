// A failing-I/O hook for tests of the storage stand-ins. Hand one to ObjectStore::OpenVolume or
// to the Registry and arm it: after a chosen number of successful operations of one kind, every
// further operation of that kind fails as a full disk (ENOSPC) or a failing device (EIO) would.
//
// For the object store the hook sits under SQLite as a file-system layer: "write" covers writes
// and truncations of the volume and its journal, "sync" covers their fsyncs. For the registry
// file it covers the writer's write, fsync of the file, rename and fsync of the folder. For an
// export file it covers the creation of the new file as well ("create").
//
// An IoFaults must outlive every store and registry that was given it. Not thread-safe.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

namespace quidora::platform {

enum class IoOp : std::uint8_t { Write, Sync, Rename, FolderSync, Create };
enum class IoFault : std::uint8_t { None, NoSpace, IoError };

class IoFaults {
 public:
  IoFaults();
  ~IoFaults();
  IoFaults(const IoFaults&) = delete;
  IoFaults& operator=(const IoFaults&) = delete;

  // After `successes` more operations of kind `op` succeed, every further one fails with `fault`.
  // FailAfter(op, 0, fault) makes the next one fail.
  void FailAfter(IoOp op, int successes, IoFault fault);
  // Every operation succeeds again; the counts are kept.
  void Clear();

  // Operations of kind `op` seen so far, failed ones included.
  int Count(IoOp op) const;

  // Called by the storage code before it performs an operation: counts it and tells whether it
  // is to fail, and how.
  IoFault Next(IoOp op);

  // Name of the SQLite file-system layer that consults this hook (used inside platform/ only).
  const std::string& VfsName() const;

  struct Vfs;  // the SQLite layer (defined in io_faults.cpp)

 private:
  struct Plan {
    int remaining = -1;  // -1: never fail
    IoFault fault = IoFault::None;
    int count = 0;
  };
  std::array<Plan, 5> plans_{};
  std::unique_ptr<Vfs> vfs_;
};

// For the writers that make their own system calls (the registry file, the export files): asks
// `faults`, when there is one, whether this operation fails; when it does, sets errno as the
// system would (ENOSPC for a full disk, EIO for a failing device) and answers true.
bool FaultInjected(IoFaults* faults, IoOp op);

}  // namespace quidora::platform
