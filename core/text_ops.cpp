#include "core/text_ops.h"

#include "core/unicode_text.h"

namespace quidora {

std::u16string_view TrimSpaces(std::u16string_view text) {
  const std::size_t first = text.find_first_not_of(u' ');
  if (first == std::u16string_view::npos) return {};
  const std::size_t last = text.find_last_not_of(u' ');
  return text.substr(first, last - first + 1);
}

bool IsValidName(std::u16string_view text) {
  if (text.empty()) return false;
  for (std::size_t i = 0; i < text.size();) {
    const unicode::Decoded c = unicode::DecodeAt(text, i);
    const bool allowed = c.codePoint == U' ' || (c.codePoint >= U'0' && c.codePoint <= U'9') ||
                         unicode::IsLetter(c.codePoint);
    if (!allowed) return false;
    i += c.units;
  }
  return true;
}

std::u16string StoredCategoryName(std::u16string_view text) {
  std::u16string stored;
  stored.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const unicode::Decoded c = unicode::DecodeAt(text, i);
    unicode::AppendEncoded(stored,
                           i == 0 ? unicode::ToUpper(c.codePoint) : unicode::ToLower(c.codePoint));
    i += c.units;
  }
  return stored;
}

}  // namespace quidora
