#include "setup/described_device.h"

#include <cctype>
#include <cerrno>
#include <charconv>
#include <condition_variable>
#include <sstream>

#include "platform/small_file.h"

namespace quidora::setup {
namespace {

std::string_view Trim(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) {
    text.remove_prefix(1);
  }
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) {
    text.remove_suffix(1);
  }
  return text;
}

std::optional<bool> ParseYesNo(std::string_view value) {
  if (value == "yes" || value == "true" || value == "1") return true;
  if (value == "no" || value == "false" || value == "0") return false;
  return std::nullopt;
}

template <typename Number>
std::optional<Number> ParseNumber(std::string_view value) {
  Number number{};
  auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), number);
  if (error != std::errc() || end != value.data() + value.size()) return std::nullopt;
  return number;
}

template <typename T>
void SetIf(T& field, std::optional<T> value) {
  if (value) field = *value;
}

// Sleeps for `delay` unless a stop is requested first; true when the whole delay passed.
bool SleepUnlessStopped(std::chrono::milliseconds delay, const std::stop_token& stop) {
  std::mutex m;
  std::condition_variable_any wake;
  std::unique_lock lock(m);
  return !wake.wait_for(lock, stop, delay, [] { return false; }) && !stop.stop_requested();
}

}  // namespace

DeviceDescription ParseDeviceDescription(std::string_view text) {
  DeviceDescription device;
  std::istringstream lines{std::string(text)};
  std::string raw;
  while (std::getline(lines, raw)) {
    std::string_view line = raw;
    if (std::size_t comment = line.find_first_of("#;"); comment != std::string_view::npos) {
      line = line.substr(0, comment);
    }
    std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) continue;
    std::string_view key = Trim(line.substr(0, equals));
    std::string_view value = Trim(line.substr(equals + 1));
    if (key == "connected") {
      SetIf(device.connected, ParseYesNo(value));
    } else if (key == "connect_delay_ms") {
      if (auto ms = ParseNumber<unsigned>(value))
        device.connectDelay = std::chrono::milliseconds(*ms);
    } else if (key == "connect_fails") {
      SetIf(device.connectFails, ParseYesNo(value));
    } else if (key == "major_version") {
      SetIf(device.version.major, ParseNumber<std::uint32_t>(value));
    } else if (key == "minor_version") {
      SetIf(device.version.minor, ParseNumber<std::uint32_t>(value));
    } else if (key == "version_fails") {
      SetIf(device.versionFails, ParseYesNo(value));
    } else if (key == "processor_type") {
      SetIf(device.info.processorType, ParseNumber<std::uint32_t>(value));
    } else if (key == "processor_architecture") {
      SetIf(device.info.processorArchitecture, ParseNumber<std::uint16_t>(value));
    }
  }
  return device;
}

std::optional<DeviceDescription> ReadDeviceDescription(const std::filesystem::path& file,
                                                       std::string* problem) {
  // The file is read every 100 ms while no device is docked: a FIFO under its name must not
  // hold the launcher, nor a device feed it without end.
  const platform::SmallFile read = platform::ReadSmallFile(file, kMaxDeviceFileSize);
  if (!read.text) {
    if (problem != nullptr && read.error != ENOENT) *problem = read.problem;
    return std::nullopt;
  }
  return ParseDeviceDescription(*read.text);
}

DescribedDevice::DescribedDevice(Source source, std::chrono::milliseconds pollInterval)
    : source_(std::move(source)), pollInterval_(pollInterval) {}

RapiResult DescribedDevice::CeRapiInit(std::stop_token stop) {
  std::optional<DeviceDescription> device = source_();
  while (!device || !device->connected) {
    if (!SleepUnlessStopped(pollInterval_, stop)) return kRapiAborted;
    device = source_();
  }
  if (!SleepUnlessStopped(device->connectDelay, stop)) return kRapiAborted;
  if (device->connectFails) return kRapiFailed;
  std::lock_guard lock(guard_);
  connected_ = device;
  return kRapiOk;
}

std::optional<DeviceVersion> DescribedDevice::CeGetVersionEx() {
  std::lock_guard lock(guard_);
  if (!connected_ || connected_->versionFails) return std::nullopt;
  return connected_->version;
}

DeviceSystemInfo DescribedDevice::CeGetSystemInfo() {
  std::lock_guard lock(guard_);
  return connected_ ? connected_->info : DeviceSystemInfo{};
}

void DescribedDevice::CeRapiUninit() {
  std::lock_guard lock(guard_);
  connected_.reset();
}

}  // namespace quidora::setup
