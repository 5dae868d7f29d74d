// Record keys: unsigned 32-bit numbers; all bits set means "no key yet".
#pragma once

#include <cstdint>

namespace quidora {

inline constexpr std::uint32_t kNoKey = 0xFFFFFFFFu;

}  // namespace quidora
