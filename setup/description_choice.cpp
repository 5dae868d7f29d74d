#include "setup/description_choice.h"

#include <algorithm>
#include <array>

namespace quidora::setup {
namespace {

constexpr std::uint32_t kMipsR4000 = 4000;
constexpr std::array<std::uint32_t, 3> kShTypes = {10003, 10004, 10005};
constexpr std::array<std::uint32_t, 5> kArmTypes = {1824, 2080, 2336, 70001, 2577};
constexpr std::uint32_t kStrongArm = 2577;

template <std::size_t N>
bool OneOf(std::uint32_t type, const std::array<std::uint32_t, N>& types) {
  return std::find(types.begin(), types.end(), type) != types.end();
}

}  // namespace

std::optional<std::string_view> DescriptionFileFor(std::uint32_t majorVersion,
                                                   const DeviceSystemInfo& info) {
  if (majorVersion == 3) {
    if (info.processorType == kMipsR4000 || info.processorArchitecture == kArchitectureMips) {
      return "MIPS.ini";
    }
    if (OneOf(info.processorType, kShTypes)) return "SH.ini";
    if (OneOf(info.processorType, kArmTypes)) return "ARM.ini";
    return std::nullopt;
  }
  if (majorVersion >= 4 && info.processorType == kStrongArm) return "PPC2003_ARM.ini";
  return std::nullopt;
}

}  // namespace quidora::setup
