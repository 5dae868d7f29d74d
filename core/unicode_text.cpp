#include "core/unicode_text.h"

#include <locale.h>
#include <wctype.h>

namespace quidora::unicode {
namespace {

bool IsHighSurrogate(char32_t c) {
  return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(char32_t c) {
  return c >= 0xDC00 && c <= 0xDFFF;
}
bool IsSurrogate(char32_t c) {
  return c >= 0xD800 && c <= 0xDFFF;
}

// Made once and never changed; nullptr when the platform lacks C.UTF-8, in which case only
// ASCII letters are known.
locale_t Utf8Locale() {
  static const locale_t locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
  return locale;
}

bool IsAsciiLetter(char32_t c) {
  return (c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z');
}

}  // namespace

Decoded DecodeAt(std::u16string_view text, std::size_t index) {
  const char32_t first = text[index];
  if (IsHighSurrogate(first) && index + 1 < text.size() && IsLowSurrogate(text[index + 1])) {
    const char32_t second = text[index + 1];
    return {0x10000 + ((first - 0xD800) << 10) + (second - 0xDC00), 2};
  }
  return {first, 1};
}

void AppendEncoded(std::u16string& out, char32_t codePoint) {
  if (codePoint < 0x10000) {
    out.push_back(static_cast<char16_t>(codePoint));
    return;
  }
  const char32_t offset = codePoint - 0x10000;
  out.push_back(static_cast<char16_t>(0xD800 + (offset >> 10)));
  out.push_back(static_cast<char16_t>(0xDC00 + (offset & 0x3FF)));
}

bool IsLetter(char32_t codePoint) {
  if (IsSurrogate(codePoint) || codePoint > 0x10FFFF) return false;
  const locale_t locale = Utf8Locale();
  if (locale == static_cast<locale_t>(0)) return IsAsciiLetter(codePoint);
  return iswalpha_l(static_cast<wint_t>(codePoint), locale) != 0;
}

namespace {

// A mapping that would leave the code point range or produce a surrogate is not taken.
char32_t Checked(char32_t original, wint_t mapped) {
  const char32_t result = static_cast<char32_t>(mapped);
  if (result > 0x10FFFF || IsSurrogate(result)) return original;
  return result;
}

}  // namespace

char32_t ToUpper(char32_t codePoint) {
  if (IsSurrogate(codePoint) || codePoint > 0x10FFFF) return codePoint;
  const locale_t locale = Utf8Locale();
  if (locale == static_cast<locale_t>(0)) {
    return codePoint >= U'a' && codePoint <= U'z' ? codePoint - 32 : codePoint;
  }
  return Checked(codePoint, towupper_l(static_cast<wint_t>(codePoint), locale));
}

char32_t ToLower(char32_t codePoint) {
  if (IsSurrogate(codePoint) || codePoint > 0x10FFFF) return codePoint;
  const locale_t locale = Utf8Locale();
  if (locale == static_cast<locale_t>(0)) {
    return codePoint >= U'A' && codePoint <= U'Z' ? codePoint + 32 : codePoint;
  }
  return Checked(codePoint, towlower_l(static_cast<wint_t>(codePoint), locale));
}

}  // namespace quidora::unicode
