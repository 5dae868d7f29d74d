// A text field that a record owns alone: either missing (never set, or cleared) or holding a
// text, possibly the empty text. The distinction matters: the store writes a missing memo
// differently from an empty one, and a missing name makes a name sort fail.
//
// One pointer wide, so that a money record with its category and memo stays small. The
// characters live in one exactly-sized heap block; the empty text needs no block at all.
#pragma once

#include <cstdint>
#include <string_view>

namespace quidora {

class OwnedText {
 public:
  OwnedText() = default;
  ~OwnedText() { Clear(); }
  OwnedText(OwnedText&& other) noexcept : block_(other.block_) { other.block_ = nullptr; }
  OwnedText& operator=(OwnedText&& other) noexcept;
  // Copies go through Assign so that an allocation failure is reported, not thrown.
  OwnedText(const OwnedText&) = delete;
  OwnedText& operator=(const OwnedText&) = delete;

  // Replaces the text with a copy of `text`. False when no memory could be had; the field is
  // then missing.
  bool Assign(std::u16string_view text);
  // Makes the field missing and frees its block.
  void Clear();

  bool has_value() const { return block_ != nullptr; }
  // The text; the empty view when the field is missing or empty.
  std::u16string_view view() const {
    if (block_ == nullptr) return {};
    return {reinterpret_cast<const char16_t*>(block_ + 1), block_->size};
  }

  // The heap layout: the length, followed directly by the characters (no terminator: views
  // carry the length).
  struct Block {
    std::uint32_t size;
  };

 private:
  Block* block_ = nullptr;
};

}  // namespace quidora
