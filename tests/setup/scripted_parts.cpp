#include "scripted_parts.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <thread>

namespace quidora::setup::testing {
namespace {

bool SleepUnlessStopped(milliseconds delay, const std::stop_token& stop) {
  std::mutex m;
  std::condition_variable_any wake;
  std::unique_lock lock(m);
  wake.wait_for(lock, stop, delay, [] { return false; });
  return !stop.stop_requested();
}

}  // namespace

std::optional<std::string> ScriptedRegistry::ReadLocalMachineDefault(std::string_view keyPath) {
  keyAsked = keyPath;
  return managerPath;
}

RapiResult ScriptedDevice::CeRapiInit(std::stop_token stop) {
  ++initCalls;
  if (!script_.connectAfter) {
    SleepUnlessStopped(milliseconds(60'000), stop);
    return kRapiAborted;
  }
  if (!SleepUnlessStopped(*script_.connectAfter, stop)) return kRapiAborted;
  if (script_.initFails) return kRapiFailed;
  connected = true;
  return kRapiOk;
}

std::optional<DeviceVersion> ScriptedDevice::CeGetVersionEx() {
  if (!connected || script_.versionFails) return std::nullopt;
  return DeviceVersion{script_.major, 0};
}

DeviceSystemInfo ScriptedDevice::CeGetSystemInfo() {
  ++systemInfoCalls;
  return script_.info;
}

void ScriptedDevice::CeRapiUninit() {
  ++uninitCalls;
  connected = false;
}

ScriptedSetupMessages::~ScriptedSetupMessages() {
  for (const std::string& text : expected_) ADD_FAILURE() << "expected box never shown: " << text;
}

void ScriptedSetupMessages::Expect(std::string_view text) {
  std::lock_guard lock(guard_);
  expected_.emplace_back(text);
}

void ScriptedSetupMessages::ShowError(std::string_view text) {
  if (onShow) onShow();
  std::lock_guard lock(guard_);
  if (!firstShownAt_) firstShownAt_ = Clock::now();
  shown_.emplace_back(text);
  if (expected_.empty()) {
    ADD_FAILURE() << "unexpected box: " << text;
    return;
  }
  EXPECT_EQ(expected_.front(), text) << "a different box was shown";
  expected_.pop_front();
}

std::vector<std::string> ScriptedSetupMessages::Shown() {
  std::lock_guard lock(guard_);
  return shown_;
}

std::optional<Clock::time_point> ScriptedSetupMessages::FirstShownAt() {
  std::lock_guard lock(guard_);
  return firstShownAt_;
}

std::vector<std::string> RecordingProgress::Events() {
  std::lock_guard lock(guard_);
  return events_;
}

void RecordingProgress::Log(std::string event) {
  std::lock_guard lock(guard_);
  events_.push_back(std::move(event));
}

bool ScriptedManager::StartAndWait(const std::string& startedProgram,
                                   const std::string& startedArgument) {
  ++calls;
  program = startedProgram;
  argument = startedArgument;
  if (!starts) return false;
  std::this_thread::sleep_for(runsFor);
  returned = true;
  return true;
}

}  // namespace quidora::setup::testing
