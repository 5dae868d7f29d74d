// The remote interface of the desktop synchronisation software, as the launcher uses it. The
// launcher talks to a docked device through these four calls only.
#pragma once

#include <cstdint>
#include <optional>
#include <stop_token>

namespace quidora::setup {

// Processor architecture numbers of the platform's system information.
inline constexpr std::uint16_t kArchitectureIntel = 0;
inline constexpr std::uint16_t kArchitectureMips = 1;
inline constexpr std::uint16_t kArchitectureShx = 4;
inline constexpr std::uint16_t kArchitectureArm = 5;

struct DeviceVersion {
  std::uint32_t major = 0;
  std::uint32_t minor = 0;
};

struct DeviceSystemInfo {
  std::uint16_t processorArchitecture = 0;
  std::uint32_t processorType = 0;
};

// Negative results of CeRapiInit are failures.
using RapiResult = std::int32_t;
inline constexpr RapiResult kRapiOk = 0;
inline constexpr RapiResult kRapiFailed = -1;
inline constexpr RapiResult kRapiAborted = -2;

class RemoteDevice {
 public:
  virtual ~RemoteDevice() = default;
  // Blocks until a device is connected. Returns kRapiAborted once `stop` is requested, so that a
  // launcher that gave up waiting can still end its connection thread.
  virtual RapiResult CeRapiInit(std::stop_token stop) = 0;
  // The device's operating-system version; nothing when it cannot be read.
  virtual std::optional<DeviceVersion> CeGetVersionEx() = 0;
  virtual DeviceSystemInfo CeGetSystemInfo() = 0;
  virtual void CeRapiUninit() = 0;
};

}  // namespace quidora::setup
