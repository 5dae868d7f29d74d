#include "setup/named_mutex.h"

#include <algorithm>
#include <condition_variable>
#include <thread>
#include <vector>

namespace quidora::setup {
namespace detail {

struct MutexObject {
  std::mutex guard;
  std::condition_variable freed;
  std::optional<std::thread::id> owner;
  unsigned depth = 0;
  bool abandoned = false;
};

}  // namespace detail

namespace {

using detail::MutexObject;

// The mutexes the current thread owns. Its destructor runs when the thread ends, which is
// exactly when the kernel would abandon whatever the thread still holds.
class OwnedByThread {
 public:
  ~OwnedByThread() {
    const std::thread::id self = std::this_thread::get_id();
    for (const std::weak_ptr<MutexObject>& weak : owned_) {
      std::shared_ptr<MutexObject> object = weak.lock();
      if (!object) continue;
      std::lock_guard lock(object->guard);
      if (object->owner != self) continue;
      object->owner.reset();
      object->depth = 0;
      object->abandoned = true;
      object->freed.notify_one();
    }
  }

  void Add(const std::shared_ptr<MutexObject>& object) { owned_.push_back(object); }

  void Remove(const MutexObject* object) {
    std::erase_if(owned_, [object](const std::weak_ptr<MutexObject>& weak) {
      std::shared_ptr<MutexObject> held = weak.lock();
      return !held || held.get() == object;
    });
  }

 private:
  std::vector<std::weak_ptr<MutexObject>> owned_;
};

OwnedByThread& ThreadOwnership() {
  thread_local OwnedByThread owned;
  return owned;
}

}  // namespace

WaitResult MutexHandle::Wait(std::optional<std::chrono::milliseconds> limit) const {
  if (!object_) return WaitResult::Failed;
  const std::thread::id self = std::this_thread::get_id();
  std::unique_lock lock(object_->guard);
  if (object_->owner == self) {
    ++object_->depth;
    return WaitResult::Acquired;
  }
  auto isFree = [this] { return !object_->owner.has_value(); };
  if (limit) {
    if (!object_->freed.wait_for(lock, *limit, isFree)) return WaitResult::TimedOut;
  } else {
    object_->freed.wait(lock, isFree);
  }
  object_->owner = self;
  object_->depth = 1;
  ThreadOwnership().Add(object_);
  if (object_->abandoned) {
    object_->abandoned = false;
    return WaitResult::Abandoned;
  }
  return WaitResult::Acquired;
}

bool MutexHandle::Release() const {
  if (!object_) return false;
  std::lock_guard lock(object_->guard);
  if (object_->owner != std::this_thread::get_id()) return false;
  if (--object_->depth == 0) {
    object_->owner.reset();
    ThreadOwnership().Remove(object_.get());
    object_->freed.notify_one();
  }
  return true;
}

MutexHandle NamedMutexTable::Create(const std::string& name) {
  std::lock_guard lock(guard_);
  std::erase_if(names_, [](const auto& entry) { return entry.second.expired(); });
  std::weak_ptr<MutexObject>& slot = names_[name];
  std::shared_ptr<MutexObject> object = slot.lock();
  if (!object) {
    object = std::make_shared<MutexObject>();
    slot = object;
  }
  return MutexHandle(std::move(object));
}

}  // namespace quidora::setup
