#include "core/large_block_allocator.h"

#include <sys/mman.h>

namespace quidora::large_blocks {
namespace {

constexpr std::size_t kMappedFrom = std::size_t{4} << 20;

}  // namespace

void* Allocate(std::size_t bytes) {
  if (bytes < kMappedFrom) return ::operator new(bytes);
  void* block = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (block == MAP_FAILED) throw std::bad_alloc();
  // Advice only: without huge pages the block works the same, just with more page faults.
  madvise(block, bytes, MADV_HUGEPAGE);
  return block;
}

void Free(void* block, std::size_t bytes) noexcept {
  if (block == nullptr) return;
  if (bytes < kMappedFrom) {
    ::operator delete(block);
    return;
  }
  munmap(block, bytes);
}

}  // namespace quidora::large_blocks
