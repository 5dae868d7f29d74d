// A stand-in for the docked device behind the remote interface, described by a small key=value
// file (device.ini in the launcher's data folder):
//
//   connected = yes              # is a device docked? (no: CeRapiInit waits until it is)
//   connect_delay_ms = 300       # how long making the connection takes
//   connect_fails = no           # yes: CeRapiInit fails after the delay
//   major_version = 4
//   minor_version = 20
//   version_fails = no           # yes: CeGetVersionEx cannot read the version
//   processor_type = 2577        # 2577 StrongARM, 4000 MIPS R4000, 10003 SH3, ...
//   processor_architecture = 5   # 0 Intel, 1 MIPS, 4 SHx, 5 ARM
//
// "#" and ";" start comments; unknown keys and unreadable values are ignored. A missing file
// is a desktop with no device docked. While no device is docked the file is read again every
// 100 ms, so that writing connected = yes docks one.
#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "setup/remote_device.h"

namespace quidora::setup {

struct DeviceDescription {
  bool connected = false;
  std::chrono::milliseconds connectDelay{0};
  bool connectFails = false;
  DeviceVersion version{};
  bool versionFails = false;
  DeviceSystemInfo info{};
};

// The largest device file that is read; anything larger reads as no device.
inline constexpr std::size_t kMaxDeviceFileSize = 64 * 1024;

DeviceDescription ParseDeviceDescription(std::string_view text);
// Nothing when the file cannot be read: missing, or (with `problem` set) not a regular file or
// larger than kMaxDeviceFileSize. Never waits on the file.
std::optional<DeviceDescription> ReadDeviceDescription(const std::filesystem::path& file,
                                                       std::string* problem = nullptr);

class DescribedDevice : public RemoteDevice {
 public:
  using Source = std::function<std::optional<DeviceDescription>()>;
  explicit DescribedDevice(Source source,
                           std::chrono::milliseconds pollInterval = std::chrono::milliseconds(100));

  RapiResult CeRapiInit(std::stop_token stop) override;
  std::optional<DeviceVersion> CeGetVersionEx() override;
  DeviceSystemInfo CeGetSystemInfo() override;
  void CeRapiUninit() override;

 private:
  Source source_;
  std::chrono::milliseconds pollInterval_;
  std::mutex guard_;
  std::optional<DeviceDescription> connected_;  // the device as it was when connected
};

}  // namespace quidora::setup
