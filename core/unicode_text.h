// Character classification and case mapping of the platform for UTF-16 texts, through a
// C.UTF-8 locale object of its own (the global locale is never touched). Internal to core.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quidora::unicode {

// One character of a UTF-16 text: its code point and how many units it took. A lone
// surrogate is returned as itself, one unit long.
struct Decoded {
  char32_t codePoint;
  std::size_t units;
};
Decoded DecodeAt(std::u16string_view text, std::size_t index);
void AppendEncoded(std::u16string& out, char32_t codePoint);

bool IsLetter(char32_t codePoint);
char32_t ToUpper(char32_t codePoint);
char32_t ToLower(char32_t codePoint);

}  // namespace quidora::unicode
