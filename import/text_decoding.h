// The bytes of an imported file as 16-bit text.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "import/import_types.h"

namespace quidora::import {

// UTF-16 little-endian without a byte-order mark, as the device writes its Unicode export:
// the first character is plain ASCII, so its high byte is zero. Text in a code page or in UTF-8
// never holds a zero byte.
bool LooksLikeUtf16Le(std::string_view bytes);

// The text of `bytes` in `encoding`; a UTF-8 or UTF-16 byte-order mark is skipped. Nothing when
// the bytes are not valid in that encoding (malformed UTF-8, an odd number of UTF-16 bytes).
std::optional<std::u16string> DecodeText(std::string_view bytes, TextEncoding encoding);

// UTF-8 where the bytes are UTF-8, else Windows-1252 (which reads any bytes).
std::u16string DecodeUtf8OrWindows1252(std::string_view bytes);

// UTF-16 to UTF-8 for messages; what cannot be written becomes U+FFFD.
std::string ToUtf8(std::u16string_view text);

}  // namespace quidora::import
