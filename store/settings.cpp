#include "store/settings.h"

#include <array>
#include <optional>
#include <string>

#include "platform/registry.h"

namespace quidora {

namespace {

using platform::RegistryRoot;

// A number value with the range it is accepted in on read.
struct DwordField {
  std::u16string_view name;
  std::uint32_t Settings::*field;
  std::uint32_t largest;
};

// Read order of the Settings key.
constexpr std::array<DwordField, 13> kReadOrder{{
    {u"Sort", &Settings::sort, 0},
    {u"SortOrder", &Settings::sortOrder, 2},
    {u"SortRapport", &Settings::sortRapport, 1},
    {u"SortOrderRapport", &Settings::sortOrderRapport, 2},
    {u"DateTypeView", &Settings::dateTypeView, 3},
    {u"SortAccountsBook", &Settings::sortAccountsBook, 1},
    {u"SortOrderAccountsBook", &Settings::sortOrderAccountsBook, 2},
    {u"SortABalance", &Settings::sortABalance, 1},
    {u"SortOrderABalance", &Settings::sortOrderABalance, 2},
    {u"MoneyTypeView", &Settings::moneyTypeView, 1},
    {u"ExportFileType", &Settings::exportFileType, 1},
    {u"ExportFileFolder", &Settings::exportFileFolder, 1},
    {u"CatRecsApply", &Settings::catRecsApply, 1},
}};

// Write order of the Settings key (the date view type comes later than on read).
constexpr std::array<std::u16string_view, 13> kWriteOrder{u"Sort",
                                                          u"SortOrder",
                                                          u"SortRapport",
                                                          u"SortOrderRapport",
                                                          u"SortAccountsBook",
                                                          u"SortOrderAccountsBook",
                                                          u"SortABalance",
                                                          u"SortOrderABalance",
                                                          u"DateTypeView",
                                                          u"MoneyTypeView",
                                                          u"ExportFileType",
                                                          u"ExportFileFolder",
                                                          u"CatRecsApply"};

constexpr DwordField kMajorVersion{u"MajorVersion", &Settings::majorVersion, 2};
constexpr DwordField kMinorVersion{u"MinorVersion", &Settings::minorVersion, 99};
constexpr std::u16string_view kLastAccount = u"LastAccount";
constexpr DwordField kVolumeCheckDay{u"VolumeCheckDay", &Settings::volumeCheckDay, 0xFFFFFFFF};
constexpr DwordField kStartsSinceVolumeCheck{u"StartsSinceVolumeCheck",
                                             &Settings::startsSinceVolumeCheck, 0xFFFFFFFF};

// The LastAccount value is read into 82 bytes: 40 characters and the terminator.
constexpr std::size_t kLastAccountBytes = (kLastAccountMaxLength + 1) * 2;

std::u16string ProductPath(const Settings& settings) {
  return u"Software\\" + settings.maker + u"\\" + settings.product;
}
std::u16string SettingsPath(const Settings& settings) {
  return ProductPath(settings) + u"\\Settings";
}

void ReadDword(const platform::RegistryKey& key, const DwordField& value, Settings& settings) {
  const std::optional<platform::RegistryValue> stored = key.QueryValue(value.name);
  if (!stored || stored->type != platform::kRegDword) return;
  const std::optional<std::uint32_t> number = stored->AsDword();
  if (number && *number <= value.largest) settings.*value.field = *number;
}

void ReadLastAccount(const platform::RegistryKey& key, Settings& settings) {
  settings.lastAccount.reset();
  const std::optional<platform::RegistryValue> stored = key.QueryValue(kLastAccount);
  if (!stored || stored->type != platform::kRegString) return;
  if (stored->data.size() > kLastAccountBytes) return;
  settings.lastAccount = stored->AsString();
}

std::uint32_t FieldOf(const Settings& settings, std::u16string_view name) {
  for (const DwordField& value : kReadOrder) {
    if (value.name == name) return settings.*value.field;
  }
  return 0;
}

}  // namespace

bool ReadSettings(platform::Registry& registry, Settings& settings, std::u16string_view maker,
                  std::u16string_view product) {
  settings.maker = maker;
  settings.product = product;
  if (maker.empty() || product.empty()) return false;

  if (std::optional<platform::RegistryKey> key =
          registry.OpenKey(RegistryRoot::LocalMachine, ProductPath(settings))) {
    ReadDword(*key, kMajorVersion, settings);
    ReadDword(*key, kMinorVersion, settings);
    key->Close();
  }
  if (std::optional<platform::RegistryKey> key =
          registry.OpenKey(RegistryRoot::LocalMachine, SettingsPath(settings))) {
    for (const DwordField& value : kReadOrder) ReadDword(*key, value, settings);
    ReadLastAccount(*key, settings);
    ReadDword(*key, kVolumeCheckDay, settings);
    ReadDword(*key, kStartsSinceVolumeCheck, settings);
    key->Close();
  }
  return true;
}

bool WriteSettings(platform::Registry& registry, const Settings& settings) {
  if (settings.maker.empty() || settings.product.empty()) return false;

  bool written = true;
  std::optional<platform::RegistryKey> productKey =
      registry.CreateKey(RegistryRoot::LocalMachine, ProductPath(settings));
  if (productKey) {
    written &= productKey->SetDword(kMajorVersion.name, settings.majorVersion);
    written &= productKey->SetDword(kMinorVersion.name, settings.minorVersion);
  } else {
    written = false;
  }
  std::optional<platform::RegistryKey> settingsKey =
      registry.CreateKey(RegistryRoot::LocalMachine, SettingsPath(settings));
  if (settingsKey) {
    for (std::u16string_view name : kWriteOrder) {
      written &= settingsKey->SetDword(name, FieldOf(settings, name));
    }
    if (settings.lastAccount && !settings.lastAccount->empty()) {
      written &= settingsKey->SetString(kLastAccount, *settings.lastAccount);
    }
    // Both or neither: a counter left from before the last check would make it due too soon.
    if (settings.volumeCheckDay != 0) {
      for (const DwordField& value : {kVolumeCheckDay, kStartsSinceVolumeCheck}) {
        written &= settingsKey->SetDword(value.name, settings.*value.field);
      }
    }
  } else {
    written = false;
  }
  // One save for both keys: the file is replaced whole, so both land together or neither.
  written &= registry.Flush();
  if (productKey) written &= productKey->Close();
  if (settingsKey) written &= settingsKey->Close();
  return written;
}

bool SetLastAccount(Settings& settings, std::optional<std::u16string_view> name) {
  if (!name) return false;
  settings.lastAccount = std::u16string(*name);
  return true;
}

}  // namespace quidora
