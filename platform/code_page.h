// The device's ANSI code page, Windows-1252, for ASCII export.
#pragma once

#include <string>
#include <string_view>

namespace quidora::platform {

// One byte per 16-bit unit: characters of Windows-1252 become their byte, everything else
// (including each half of a surrogate pair) becomes '?'.
std::string EncodeWindows1252(std::u16string_view text);

// The byte of one 16-bit unit, as EncodeWindows1252 writes it.
char Windows1252Byte(char16_t unit);

// The text of Windows-1252 bytes: the inverse of EncodeWindows1252 for every byte it writes
// (the five bytes the code page leaves undefined read as the C1 controls of their value).
std::u16string DecodeWindows1252(std::string_view bytes);

}  // namespace quidora::platform
