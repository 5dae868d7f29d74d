// A short text built on demand (a date text or an amount text) and handed out by value.
//
// Records do not keep their display texts as separate heap strings: a list of a million money
// records would spend more on those strings than on the records. They keep what the texts were
// built from and format on request into this fixed buffer, which needs no allocation.
// Take `str()` to keep a text beyond the lifetime of the returned value.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace quidora {

class FormattedText {
 public:
  // Long enough for any amount of 64-bit cents with its separators and sign.
  static constexpr std::size_t kCapacity = 31;

  constexpr FormattedText() = default;

  std::u16string_view view() const { return {chars_.data(), size_}; }
  std::u16string str() const { return std::u16string(view()); }
  const char16_t* data() const { return chars_.data(); }
  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }

  // Characters beyond the capacity are dropped (no caller produces them).
  void push_back(char16_t c) {
    if (size_ < kCapacity) chars_[size_++] = c;
  }
  void append(std::u16string_view text) {
    for (char16_t c : text) push_back(c);
  }

  friend bool operator==(const FormattedText& a, const FormattedText& b) {
    return a.view() == b.view();
  }
  friend bool operator==(const FormattedText& a, std::u16string_view b) { return a.view() == b; }

 private:
  std::array<char16_t, kCapacity + 1> chars_{};
  std::size_t size_ = 0;
};

}  // namespace quidora
