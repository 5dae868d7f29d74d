#include "store/installed_version.h"

#include <optional>

#include "platform/registry.h"

namespace quidora {

void TakeVersionWhereMissing(platform::Registry& registry, Settings& settings,
                             std::uint32_t major, std::uint32_t minor) {
  if (settings.maker.empty() || settings.product.empty()) return;
  // The product key, as ReadSettings names it from the two key words.
  std::optional<platform::RegistryKey> key = registry.OpenKey(
      platform::RegistryRoot::LocalMachine,
      u"Software\\" + settings.maker + u"\\" + settings.product);
  const auto missing = [&key](std::u16string_view name) {
    return !key || !key->QueryValue(name).has_value();
  };
  if (missing(u"MajorVersion")) settings.majorVersion = major;
  if (missing(u"MinorVersion")) settings.minorVersion = minor;
  if (key) key->Close();
}

}  // namespace quidora
