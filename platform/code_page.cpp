#include "platform/code_page.h"

#include <array>

namespace quidora::platform {
namespace {

// The characters Windows-1252 puts at 0x80..0x9F; 0 where the code page leaves a hole.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char ByteFor(char16_t unit) {
  if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) return static_cast<char>(unit);
  // The five bytes the code page leaves undefined round-trip as the C1 controls of their value.
  if (unit == 0x81 || unit == 0x8D || unit == 0x8F || unit == 0x90 || unit == 0x9D) {
    return static_cast<char>(unit);
  }
  for (std::size_t i = 0; i < kHighControls.size(); ++i) {
    if (kHighControls[i] != 0 && kHighControls[i] == unit) return static_cast<char>(0x80 + i);
  }
  return '?';
}

}  // namespace

char Windows1252Byte(char16_t unit) {
  return ByteFor(unit);
}

std::u16string DecodeWindows1252(std::string_view bytes) {
  std::u16string text;
  text.reserve(bytes.size());
  for (const char byte : bytes) {
    const auto value = static_cast<unsigned char>(byte);
    const bool special = value >= 0x80 && value < 0xA0 && kHighControls[value - 0x80] != 0;
    text.push_back(special ? kHighControls[value - 0x80] : static_cast<char16_t>(value));
  }
  return text;
}

std::string EncodeWindows1252(std::u16string_view text) {
  std::string bytes;
  bytes.reserve(text.size());
  for (char16_t unit : text) bytes.push_back(ByteFor(unit));
  return bytes;
}

}  // namespace quidora::platform
