// A text field held inside its record when it is short, on the heap when it is longer: either
// missing (never set, or cleared) or holding a text, possibly the empty text.
//
// Money records use it for category and memo, so that a list of a million records is one
// block of memory with no allocation per record: the texts the dialogs allow (categories of
// up to 20 characters, memos of up to 30) always fit inside.
//
// A view returned by view() points into the record for a short text: it stays valid until
// the field is set again or the record is moved (a list moves its records when it grows,
// removes or sorts).
#pragma once

#include <cstdint>
#include <cstring>
#include <new>
#include <string_view>

namespace quidora {

template <std::size_t kInlineCapacity>
class InlineText {
  static_assert(kInlineCapacity * sizeof(char16_t) >= sizeof(char16_t*), "room for a pointer");

 public:
  InlineText() = default;
  ~InlineText() { FreeHeap(); }
  InlineText(InlineText&& other) noexcept { TakeFrom(other); }
  InlineText& operator=(InlineText&& other) noexcept {
    if (this != &other) {
      FreeHeap();
      TakeFrom(other);
    }
    return *this;
  }
  InlineText(const InlineText&) = delete;
  InlineText& operator=(const InlineText&) = delete;

  // Replaces the text with a copy of `text`, which may view this very field. False when no
  // memory could be had for a long text; the field is then missing.
  bool Assign(std::u16string_view text) {
    if (text.size() > kLargestSize) {
      Clear();
      return false;
    }
    const std::size_t bytes = text.size() * sizeof(char16_t);
    char16_t* oldHeap = State() == kOnHeap ? HeapChars() : nullptr;
    std::uint32_t state = kInline;
    if (text.size() <= kInlineCapacity) {
      // memmove: the text may lie in this very buffer. An empty view may have no address.
      if (bytes != 0) std::memmove(chars_, text.data(), bytes);
    } else {
      auto* fresh = new (std::nothrow) char16_t[text.size()];
      if (fresh == nullptr) {
        Clear();
        return false;
      }
      std::memcpy(fresh, text.data(), bytes);
      std::memcpy(chars_, &fresh, sizeof fresh);
      state = kOnHeap;
    }
    sizeAndState_ = static_cast<std::uint32_t>(text.size()) | state;
    delete[] oldHeap;  // only now: `text` may have viewed it
    return true;
  }

  // Makes the field missing.
  void Clear() {
    FreeHeap();
    sizeAndState_ = kMissing;
  }

  bool has_value() const { return State() != kMissing; }
  std::u16string_view view() const {
    const std::uint32_t state = State();
    if (state == kInline) return {chars_, Size()};
    if (state == kOnHeap) return {HeapChars(), Size()};
    return {};
  }

 private:
  // The state lives in the top two bits of the size, so that the field is its characters
  // plus four bytes.
  static constexpr std::uint32_t kMissing = 0;
  static constexpr std::uint32_t kInline = 1u << 30;
  static constexpr std::uint32_t kOnHeap = 2u << 30;
  static constexpr std::uint32_t kStateBits = 3u << 30;
  static constexpr std::size_t kLargestSize = (1u << 30) - 1;

  std::uint32_t State() const { return sizeAndState_ & kStateBits; }
  std::size_t Size() const { return sizeAndState_ & ~kStateBits; }
  char16_t* HeapChars() const {
    char16_t* heap;
    std::memcpy(&heap, chars_, sizeof heap);
    return heap;
  }
  void FreeHeap() {
    if (State() == kOnHeap) delete[] HeapChars();
    sizeAndState_ = kMissing;
  }
  void TakeFrom(InlineText& other) {
    std::memcpy(chars_, other.chars_, sizeof chars_);
    sizeAndState_ = other.sizeAndState_;
    other.sizeAndState_ = kMissing;
  }

  // The characters of a short text, or the address of a long one.
  char16_t chars_[kInlineCapacity] = {};
  std::uint32_t sizeAndState_ = kMissing;
};

}  // namespace quidora
