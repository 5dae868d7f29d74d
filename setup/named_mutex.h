// Named mutexes with the desktop kernel's rules, inside one process: a mutex is found by name,
// ownership belongs to a thread and is recursive, and a mutex whose owning thread ends without
// releasing it is abandoned; the next waiter gets it together with that news.
#pragma once

#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace quidora::setup {

enum class WaitResult { Acquired, TimedOut, Abandoned, Failed };

namespace detail {
struct MutexObject;
}

// A handle to a named mutex. Copies share the handle; closing it drops this handle's reference
// and does not release ownership.
class MutexHandle {
 public:
  MutexHandle() = default;

  bool IsOpen() const { return object_ != nullptr; }
  // Waits for ownership; no limit waits for ever. A closed handle fails at once.
  WaitResult Wait(std::optional<std::chrono::milliseconds> limit) const;
  // False when the calling thread does not own the mutex.
  bool Release() const;
  void Close() { object_.reset(); }

 private:
  friend class NamedMutexTable;
  explicit MutexHandle(std::shared_ptr<detail::MutexObject> object) : object_(std::move(object)) {}
  std::shared_ptr<detail::MutexObject> object_;
};

// The names of the process's mutexes. A name lives as long as some handle refers to it.
class NamedMutexTable {
 public:
  // Opens the mutex of that name, making it (not owned) when it does not exist.
  MutexHandle Create(const std::string& name);

 private:
  std::mutex guard_;
  std::map<std::string, std::weak_ptr<detail::MutexObject>> names_;
};

}  // namespace quidora::setup
