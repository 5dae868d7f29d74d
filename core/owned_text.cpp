#include "core/owned_text.h"

#include <cstring>
#include <limits>
#include <new>

namespace quidora {

namespace {

// Shared by every empty text, so that an empty memo costs no allocation. Never freed.
OwnedText::Block* EmptyBlock() {
  static constinit OwnedText::Block empty{0};
  return &empty;
}

char16_t* CharsOf(OwnedText::Block* block) {
  return reinterpret_cast<char16_t*>(block + 1);
}

}  // namespace

OwnedText& OwnedText::operator=(OwnedText&& other) noexcept {
  if (this != &other) {
    Clear();
    block_ = other.block_;
    other.block_ = nullptr;
  }
  return *this;
}

bool OwnedText::Assign(std::u16string_view text) {
  Block* fresh = EmptyBlock();
  if (!text.empty()) {
    if (text.size() > std::numeric_limits<std::uint32_t>::max()) {
      Clear();
      return false;
    }
    void* memory = ::operator new(sizeof(Block) + text.size() * sizeof(char16_t), std::nothrow);
    if (memory == nullptr) {
      Clear();
      return false;
    }
    fresh = new (memory) Block{static_cast<std::uint32_t>(text.size())};
    // Copied before the old block goes: `text` may view this very field.
    std::memcpy(CharsOf(fresh), text.data(), text.size() * sizeof(char16_t));
  }
  Clear();
  block_ = fresh;
  return true;
}

void OwnedText::Clear() {
  if (block_ != nullptr && block_ != EmptyBlock()) ::operator delete(block_);
  block_ = nullptr;
}

}  // namespace quidora
