#include "import/text_decoding.h"

#include "platform/code_page.h"
#include "platform/utf8.h"

namespace quidora::import {

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeMark = "\xFF\xFE";

}  // namespace

bool LooksLikeUtf16Le(std::string_view bytes) {
  if (bytes.starts_with(kUtf16LeMark)) return true;
  return bytes.size() >= 2 && bytes[0] != '\0' && bytes[1] == '\0';
}

std::optional<std::u16string> DecodeText(std::string_view bytes, TextEncoding encoding) {
  switch (encoding) {
    case TextEncoding::Utf8:
      if (bytes.starts_with(kUtf8Mark)) bytes.remove_prefix(kUtf8Mark.size());
      return platform::Utf8ToUtf16(bytes);
    case TextEncoding::Windows1252:
      return platform::DecodeWindows1252(bytes);
    case TextEncoding::Utf16Le: {
      if (bytes.starts_with(kUtf16LeMark)) bytes.remove_prefix(kUtf16LeMark.size());
      if (bytes.size() % 2 != 0) return std::nullopt;
      std::u16string text(bytes.size() / 2, u'\0');
      for (std::size_t i = 0; i < text.size(); ++i) {
        text[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                        static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
      }
      return text;
    }
  }
  return std::nullopt;
}

std::u16string DecodeUtf8OrWindows1252(std::string_view bytes) {
  if (std::optional<std::u16string> text = DecodeText(bytes, TextEncoding::Utf8)) return *text;
  return platform::DecodeWindows1252(bytes);
}

std::string ToUtf8(std::u16string_view text) {
  return platform::Utf16ToUtf8Lenient(text);
}

}  // namespace quidora::import
