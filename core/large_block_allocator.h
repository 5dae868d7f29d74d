// The allocator of the record lists. Blocks of a few megabytes and more (a list of many
// thousand records) are mapped directly and marked for huge pages: a million money records
// then take a few hundred page faults instead of tens of thousands, which is most of the cost
// of filling such a list. Smaller blocks come from the ordinary heap.
#pragma once

#include <cstddef>
#include <new>

namespace quidora {

namespace large_blocks {
// Throws std::bad_alloc like operator new.
void* Allocate(std::size_t bytes);
void Free(void* block, std::size_t bytes) noexcept;
}  // namespace large_blocks

template <typename T>
struct LargeBlockAllocator {
  using value_type = T;

  LargeBlockAllocator() = default;
  template <typename U>
  LargeBlockAllocator(const LargeBlockAllocator<U>&) noexcept {}

  T* allocate(std::size_t count) {
    if (count > static_cast<std::size_t>(-1) / sizeof(T)) throw std::bad_alloc();
    return static_cast<T*>(large_blocks::Allocate(count * sizeof(T)));
  }
  void deallocate(T* block, std::size_t count) noexcept {
    large_blocks::Free(block, count * sizeof(T));
  }

  template <typename U>
  friend bool operator==(const LargeBlockAllocator&, const LargeBlockAllocator<U>&) {
    return true;
  }
};

}  // namespace quidora
