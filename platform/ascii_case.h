// The device compares the names of registry keys and values, and the folders of its paths,
// without regard to the case of ASCII letters; every other character must match exactly.
#pragma once

#include <string_view>

namespace quidora::platform {

inline char16_t FoldAsciiCase(char16_t c) {
  return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c;
}

inline bool EqualsIgnoringAsciiCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (FoldAsciiCase(a[i]) != FoldAsciiCase(b[i])) return false;
  }
  return true;
}

}  // namespace quidora::platform
