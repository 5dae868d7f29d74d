#include "setup/registry_file.h"

#include "platform/registry.h"

namespace quidora::setup {
namespace {

// Key paths are ASCII; anything else cannot name a key of ours.
std::optional<std::u16string> WidenAscii(std::string_view text) {
  std::u16string wide;
  for (char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return std::nullopt;
    wide += static_cast<char16_t>(c);
  }
  return wide;
}

void AppendUtf8(char32_t c, std::string& out) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// UTF-16 to UTF-8; nothing when the text holds an unpaired surrogate, which no path can.
std::optional<std::string> Narrow(std::u16string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF) {
      if (i + 1 == text.size() || text[i + 1] < 0xDC00 || text[i + 1] > 0xDFFF) return std::nullopt;
      c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
    } else if (c >= 0xDC00 && c <= 0xDFFF) {
      return std::nullopt;
    }
    AppendUtf8(c, out);
  }
  return out;
}

}  // namespace

std::optional<std::string> RegistryFile::ReadLocalMachineDefault(std::string_view keyPath) {
  std::optional<std::u16string> path = WidenAscii(keyPath);
  if (!path) return std::nullopt;
  platform::Registry registry = platform::Registry::Load(file_);
  std::optional<platform::RegistryKey> key =
      registry.OpenKey(platform::RegistryRoot::LocalMachine, *path);
  if (!key) return std::nullopt;
  std::optional<platform::RegistryValue> value = key->QueryValue(u"");
  key->Close();
  if (!value) return std::nullopt;
  std::optional<std::u16string> text = value->AsString();
  if (!text) return std::nullopt;
  return Narrow(*text);
}

}  // namespace quidora::setup
