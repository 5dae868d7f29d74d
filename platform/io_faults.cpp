#include "platform/io_faults.h"

#include <sqlite3.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace quidora::platform {
namespace {

// A file of the faulty layer: our methods in front, the real file of the default layer behind.
struct FaultyFile {
  sqlite3_file base;
  IoFaults* faults;
  sqlite3_file* real;
};

sqlite3_file* Real(sqlite3_file* file) {
  return reinterpret_cast<FaultyFile*>(file)->real;
}
IoFaults* Faults(sqlite3_file* file) {
  return reinterpret_cast<FaultyFile*>(file)->faults;
}

int FailureCode(IoFault fault, int ioErrorCode) {
  return fault == IoFault::NoSpace ? SQLITE_FULL : ioErrorCode;
}

int Close(sqlite3_file* file) {
  sqlite3_file* real = Real(file);
  const int rc = real->pMethods != nullptr ? real->pMethods->xClose(real) : SQLITE_OK;
  return rc;
}
int Read(sqlite3_file* file, void* buffer, int amount, sqlite3_int64 offset) {
  return Real(file)->pMethods->xRead(Real(file), buffer, amount, offset);
}
int Write(sqlite3_file* file, const void* buffer, int amount, sqlite3_int64 offset) {
  if (IoFault fault = Faults(file)->Next(IoOp::Write); fault != IoFault::None) {
    return FailureCode(fault, SQLITE_IOERR_WRITE);
  }
  return Real(file)->pMethods->xWrite(Real(file), buffer, amount, offset);
}
int Truncate(sqlite3_file* file, sqlite3_int64 size) {
  if (IoFault fault = Faults(file)->Next(IoOp::Write); fault != IoFault::None) {
    return FailureCode(fault, SQLITE_IOERR_TRUNCATE);
  }
  return Real(file)->pMethods->xTruncate(Real(file), size);
}
int Sync(sqlite3_file* file, int flags) {
  if (IoFault fault = Faults(file)->Next(IoOp::Sync); fault != IoFault::None) {
    return FailureCode(fault, SQLITE_IOERR_FSYNC);
  }
  return Real(file)->pMethods->xSync(Real(file), flags);
}
int FileSize(sqlite3_file* file, sqlite3_int64* size) {
  return Real(file)->pMethods->xFileSize(Real(file), size);
}
int Lock(sqlite3_file* file, int level) {
  return Real(file)->pMethods->xLock(Real(file), level);
}
int Unlock(sqlite3_file* file, int level) {
  return Real(file)->pMethods->xUnlock(Real(file), level);
}
int CheckReservedLock(sqlite3_file* file, int* out) {
  return Real(file)->pMethods->xCheckReservedLock(Real(file), out);
}
int FileControl(sqlite3_file* file, int op, void* arg) {
  return Real(file)->pMethods->xFileControl(Real(file), op, arg);
}
int SectorSize(sqlite3_file* file) {
  return Real(file)->pMethods->xSectorSize(Real(file));
}
int DeviceCharacteristics(sqlite3_file* file) {
  return Real(file)->pMethods->xDeviceCharacteristics(Real(file));
}
int ShmMap(sqlite3_file* file, int page, int size, int extend, void volatile** out) {
  return Real(file)->pMethods->xShmMap(Real(file), page, size, extend, out);
}
int ShmLock(sqlite3_file* file, int offset, int n, int flags) {
  return Real(file)->pMethods->xShmLock(Real(file), offset, n, flags);
}
void ShmBarrier(sqlite3_file* file) {
  Real(file)->pMethods->xShmBarrier(Real(file));
}
int ShmUnmap(sqlite3_file* file, int deleteFlag) {
  return Real(file)->pMethods->xShmUnmap(Real(file), deleteFlag);
}

// Version 2 only: without xFetch/xUnfetch SQLite does not memory-map the file, so every write
// passes through Write above.
const sqlite3_io_methods kMethods = {2,
                                     Close,
                                     Read,
                                     Write,
                                     Truncate,
                                     Sync,
                                     FileSize,
                                     Lock,
                                     Unlock,
                                     CheckReservedLock,
                                     FileControl,
                                     SectorSize,
                                     DeviceCharacteristics,
                                     ShmMap,
                                     ShmLock,
                                     ShmBarrier,
                                     ShmUnmap,
                                     nullptr,
                                     nullptr};

}  // namespace

struct IoFaults::Vfs {
  sqlite3_vfs vfs{};
  sqlite3_vfs* real = nullptr;
  IoFaults* owner = nullptr;
  std::string name;
  bool registered = false;
};

namespace {

IoFaults::Vfs* Layer(sqlite3_vfs* vfs) {
  return static_cast<IoFaults::Vfs*>(vfs->pAppData);
}

int LayerOpen(sqlite3_vfs* vfs, const char* name, sqlite3_file* file, int flags, int* outFlags) {
  IoFaults::Vfs* layer = Layer(vfs);
  auto* faulty = reinterpret_cast<FaultyFile*>(file);
  faulty->base.pMethods = nullptr;
  faulty->faults = layer->owner;
  faulty->real = reinterpret_cast<sqlite3_file*>(faulty + 1);
  const int rc = layer->real->xOpen(layer->real, name, faulty->real, flags, outFlags);
  if (faulty->real->pMethods != nullptr) faulty->base.pMethods = &kMethods;
  return rc;
}
int LayerDelete(sqlite3_vfs* vfs, const char* name, int syncDir) {
  return Layer(vfs)->real->xDelete(Layer(vfs)->real, name, syncDir);
}
int LayerAccess(sqlite3_vfs* vfs, const char* name, int flags, int* out) {
  return Layer(vfs)->real->xAccess(Layer(vfs)->real, name, flags, out);
}
int LayerFullPathname(sqlite3_vfs* vfs, const char* name, int size, char* out) {
  return Layer(vfs)->real->xFullPathname(Layer(vfs)->real, name, size, out);
}
int LayerRandomness(sqlite3_vfs* vfs, int size, char* out) {
  return Layer(vfs)->real->xRandomness(Layer(vfs)->real, size, out);
}
int LayerSleep(sqlite3_vfs* vfs, int micros) {
  return Layer(vfs)->real->xSleep(Layer(vfs)->real, micros);
}
int LayerCurrentTime(sqlite3_vfs* vfs, double* out) {
  return Layer(vfs)->real->xCurrentTime(Layer(vfs)->real, out);
}
int LayerGetLastError(sqlite3_vfs* vfs, int size, char* out) {
  return Layer(vfs)->real->xGetLastError(Layer(vfs)->real, size, out);
}
int LayerCurrentTimeInt64(sqlite3_vfs* vfs, sqlite3_int64* out) {
  return Layer(vfs)->real->xCurrentTimeInt64(Layer(vfs)->real, out);
}

}  // namespace

IoFaults::IoFaults() : vfs_(std::make_unique<Vfs>()) {
  vfs_->owner = this;
  vfs_->real = sqlite3_vfs_find(nullptr);
  char name[64];
  std::snprintf(name, sizeof name, "quidora-faults-%p", static_cast<void*>(this));
  vfs_->name = name;
  if (vfs_->real == nullptr) return;
  sqlite3_vfs& v = vfs_->vfs;
  v.iVersion = 2;
  v.szOsFile = static_cast<int>(sizeof(FaultyFile)) + vfs_->real->szOsFile;
  v.mxPathname = vfs_->real->mxPathname;
  v.zName = vfs_->name.c_str();
  v.pAppData = vfs_.get();
  v.xOpen = LayerOpen;
  v.xDelete = LayerDelete;
  v.xAccess = LayerAccess;
  v.xFullPathname = LayerFullPathname;
  v.xDlOpen = nullptr;
  v.xDlError = nullptr;
  v.xDlSym = nullptr;
  v.xDlClose = nullptr;
  v.xRandomness = LayerRandomness;
  v.xSleep = LayerSleep;
  v.xCurrentTime = LayerCurrentTime;
  v.xGetLastError = LayerGetLastError;
  v.xCurrentTimeInt64 = LayerCurrentTimeInt64;
  vfs_->registered = sqlite3_vfs_register(&v, 0) == SQLITE_OK;
}

IoFaults::~IoFaults() {
  if (vfs_->registered) sqlite3_vfs_unregister(&vfs_->vfs);
}

void IoFaults::FailAfter(IoOp op, int successes, IoFault fault) {
  Plan& plan = plans_[static_cast<std::size_t>(op)];
  plan.remaining = successes < 0 ? -1 : successes;
  plan.fault = fault;
}

void IoFaults::Clear() {
  for (Plan& plan : plans_) {
    plan.remaining = -1;
    plan.fault = IoFault::None;
  }
}

int IoFaults::Count(IoOp op) const {
  return plans_[static_cast<std::size_t>(op)].count;
}

IoFault IoFaults::Next(IoOp op) {
  Plan& plan = plans_[static_cast<std::size_t>(op)];
  ++plan.count;
  if (plan.remaining < 0 || plan.fault == IoFault::None) return IoFault::None;
  if (plan.remaining > 0) {
    --plan.remaining;
    return IoFault::None;
  }
  return plan.fault;
}

const std::string& IoFaults::VfsName() const {
  return vfs_->name;
}

bool FaultInjected(IoFaults* faults, IoOp op) {
  if (faults == nullptr) return false;
  switch (faults->Next(op)) {
    case IoFault::None:
      return false;
    case IoFault::NoSpace:
      errno = ENOSPC;
      return true;
    case IoFault::IoError:
      errno = EIO;
      return true;
  }
  return false;
}

}  // namespace quidora::platform
