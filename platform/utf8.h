// UTF-8 for the text files and file names of the stand-ins (registry file, device paths).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quidora::platform {

// Appends the UTF-8 bytes of one code point (a lone surrogate unit is written as its own
// three-byte sequence; callers that cannot accept that check for surrogates first).
void AppendUtf8(char32_t codePoint, std::string& out);

// UTF-16 to UTF-8; nothing when the text holds an unpaired surrogate.
std::optional<std::string> Utf16ToUtf8(std::u16string_view text);

// The same, with every unpaired surrogate written as U+FFFD, for output that must go on; the
// second form appends to `out`.
std::string Utf16ToUtf8Lenient(std::u16string_view text);
void AppendUtf8Lenient(std::u16string_view text, std::string& out);

// UTF-8 to UTF-16; nothing for bytes that are not well-formed UTF-8 (overlong forms, encoded
// surrogates and values above U+10FFFF included).
std::optional<std::u16string> Utf8ToUtf16(std::string_view text);

// Reads the one character at `pos` by the same strict rule and moves `pos` past it; false, with
// `pos` unchanged, when the bytes there are not well-formed UTF-8. For parsers that decode a
// text piece by piece.
bool NextUtf8CodePoint(std::string_view text, std::size_t& pos, char32_t& codePoint);

// Appends one code point as UTF-16 (a surrogate pair above U+FFFF).
void AppendUtf16(char32_t codePoint, std::u16string& out);

}  // namespace quidora::platform
