#include "setup/registry_file.h"

#include "platform/registry.h"
#include "platform/utf8.h"

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
  return platform::Utf16ToUtf8(*text);
}

}  // namespace quidora::setup
