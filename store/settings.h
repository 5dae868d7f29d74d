// The settings record: the user's preferences that survive a restart in the registry. One
// instance lives for the whole run; it is read once at start and written once at exit.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quidora {

namespace platform {
class Registry;
}

struct Settings {
  std::u16string maker;    // first key word ("Vesko"); empty when none
  std::u16string product;  // second key word ("Quidora"); empty when none
  std::uint32_t minorVersion = 0;
  std::uint32_t majorVersion = 0;
  std::uint32_t sort = 0;
  std::uint32_t sortOrder = 2;
  std::uint32_t sortRapport = 0;
  std::uint32_t sortOrderRapport = 0;
  std::uint32_t sortAccountsBook = 0;
  std::uint32_t sortOrderAccountsBook = 0;
  std::uint32_t sortABalance = 0;
  std::uint32_t sortOrderABalance = 0;
  std::uint32_t dateTypeView = 0;
  std::uint32_t moneyTypeView = 0;
  std::uint32_t exportFileType = 0;
  std::uint32_t exportFileFolder = 1;
  std::uint32_t catRecsApply = 0;
  std::optional<std::u16string> lastAccount;  // none until read or set
  // When the store's whole-file check last found it sound (days since 1970-01-01, UTC; 0:
  // never) and the starts since then. Neither is written while the day is 0.
  std::uint32_t volumeCheckDay = 0;
  std::uint32_t startsSinceVolumeCheck = 0;
};

// The longest LastAccount text that is taken on read, in 16-bit units (41 with the terminator).
inline constexpr std::size_t kLastAccountMaxLength = 40;

// Reads both keys into `settings`. False when a key word is missing or empty; every value that
// is missing, of another type or out of its accepted range keeps its default either way.
bool ReadSettings(platform::Registry& registry, Settings& settings, std::u16string_view maker,
                  std::u16string_view product);

// Writes every value; true only when every write succeeded (including the file reaching the
// disk). A missing or empty LastAccount is not written, so the stored one is kept.
bool WriteSettings(platform::Registry& registry, const Settings& settings);

// False, changing nothing, when `name` is missing (std::nullopt); otherwise LastAccount becomes
// a copy of it.
bool SetLastAccount(Settings& settings, std::optional<std::u16string_view> name);

}  // namespace quidora
