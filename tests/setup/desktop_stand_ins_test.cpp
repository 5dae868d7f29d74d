// The desktop stand-ins the launcher reads: the described device, the registry file and what a
// package installs for it.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <future>
#include <thread>

#include "setup/described_device.h"
#include "setup/installed_files.h"
#include "setup/layered_registry.h"
#include "setup/registry_file.h"

namespace quidora::setup {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

TEST(DeviceDescriptionTest, ReadsEveryKeyAndIgnoresWhatItCannotRead) {
  DeviceDescription device = ParseDeviceDescription(
      "# a docked Pocket PC 2003\n"
      "connected = yes\n"
      "connect_delay_ms=250 ; a slow cable\n"
      "connect_fails = no\n"
      "major_version = 4\n"
      "minor_version = 20\n"
      "version_fails = no\n"
      "processor_type = 2577\n"
      "processor_architecture = 5\n"
      "colour = blue\n"
      "no equals sign here\n");
  EXPECT_TRUE(device.connected);
  EXPECT_EQ(device.connectDelay, 250ms);
  EXPECT_FALSE(device.connectFails);
  EXPECT_EQ(device.version.major, 4u);
  EXPECT_EQ(device.version.minor, 20u);
  EXPECT_FALSE(device.versionFails);
  EXPECT_EQ(device.info.processorType, 2577u);
  EXPECT_EQ(device.info.processorArchitecture, kArchitectureArm);

  DeviceDescription damaged = ParseDeviceDescription(
      "connected = perhaps\nmajor_version = 4x\nprocessor_architecture = 70000\n"
      "connect_delay_ms = -5\nversion_fails = yes\nconnect_fails = true\n");
  EXPECT_FALSE(damaged.connected);
  EXPECT_EQ(damaged.version.major, 0u);
  EXPECT_EQ(damaged.info.processorArchitecture, 0);  // does not fit 16 bits
  EXPECT_EQ(damaged.connectDelay, 0ms);
  EXPECT_TRUE(damaged.versionFails);
  EXPECT_TRUE(damaged.connectFails);
}

TEST(DeviceDescriptionTest, AFileThatIsNotARegularFileReadsAsNoDeviceAtOnce) {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("quidsetup-device-" + std::to_string(getpid()));
  std::filesystem::create_directories(folder);
  ASSERT_EQ(mkfifo((folder / "fifo.ini").c_str(), 0600), 0);
  std::string problem;
  auto read = std::async(std::launch::async,
                         [&] { return ReadDeviceDescription(folder / "fifo.ini", &problem); });
  if (read.wait_for(5s) != std::future_status::ready) {
    ADD_FAILURE() << "the read waits for a writer";
    const int writer = open((folder / "fifo.ini").c_str(), O_WRONLY | O_CLOEXEC);
    if (writer >= 0) close(writer);
  }
  EXPECT_FALSE(read.get().has_value());
  EXPECT_EQ(problem, "is not a regular file");

  std::filesystem::create_symlink("/dev/zero", folder / "zero.ini");
  problem.clear();
  EXPECT_FALSE(ReadDeviceDescription(folder / "zero.ini", &problem).has_value());
  EXPECT_EQ(problem, "is not a regular file");
  problem.clear();
  EXPECT_FALSE(ReadDeviceDescription(folder / "missing.ini", &problem).has_value());
  EXPECT_EQ(problem, "") << "a missing file is only a desktop without a device";
  std::filesystem::remove_all(folder);
}

TEST(DescribedDeviceTest, ConnectsAfterItsDelayAndAnswersUntilTheEnd) {
  DeviceDescription docked{.connected = true,
                           .connectDelay = 150ms,
                           .version = {3, 0},
                           .info = {kArchitectureArm, 2577}};
  DescribedDevice device([&] { return docked; });
  EXPECT_FALSE(device.CeGetVersionEx()) << "no version before a connection";
  const Clock::time_point start = Clock::now();
  EXPECT_EQ(device.CeRapiInit({}), kRapiOk);
  EXPECT_GE(Clock::now() - start, 150ms);
  ASSERT_TRUE(device.CeGetVersionEx());
  EXPECT_EQ(device.CeGetVersionEx()->major, 3u);
  EXPECT_EQ(device.CeGetSystemInfo().processorType, 2577u);
  device.CeRapiUninit();
  EXPECT_FALSE(device.CeGetVersionEx());

  docked.versionFails = true;
  EXPECT_EQ(device.CeRapiInit({}), kRapiOk);
  EXPECT_FALSE(device.CeGetVersionEx());

  docked.connectFails = true;
  EXPECT_LT(device.CeRapiInit({}), 0);
}

TEST(DescribedDeviceTest, WaitsForADeviceToBeDockedOrForAStop) {
  std::atomic<bool> docked = false;
  DescribedDevice device(
      [&]() -> std::optional<DeviceDescription> {
        if (!docked) return std::nullopt;  // no file: nothing docked
        return DeviceDescription{.connected = true, .version = {4, 0}};
      },
      20ms);
  std::jthread dock([&] {
    std::this_thread::sleep_for(200ms);
    docked = true;
  });
  const Clock::time_point start = Clock::now();
  EXPECT_EQ(device.CeRapiInit({}), kRapiOk);
  EXPECT_GE(Clock::now() - start, 200ms);

  docked = false;
  std::stop_source stop;
  std::jthread stopper([&] {
    std::this_thread::sleep_for(100ms);
    stop.request_stop();
  });
  EXPECT_EQ(device.CeRapiInit(stop.get_token()), kRapiAborted);
}

class RegistryFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ =
        std::filesystem::temp_directory_path() /
        ("quidsetup-registry-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
         "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(folder_);
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  std::optional<std::string> Read(const std::string& text) {
    std::ofstream(folder_ / "registry.reg") << text;
    return RegistryFile(folder_ / "registry.reg").ReadLocalMachineDefault(kKey);
  }

  static constexpr std::string_view kKey =
      "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\CEAPPMGR.EXE";
  std::filesystem::path folder_;
};

TEST_F(RegistryFileTest, ReadsTheDefaultValueOfTheKey) {
  EXPECT_EQ(Read("; desktop registry\n"
                 "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Other]\n"
                 "\"\"=\"/wrong\"\n"
                 "\n"
                 "[hkey_local_machine\\software\\microsoft\\windows\\currentversion\\app paths\\"
                 "ceappmgr.exe]\n"
                 "\"Path\"=\"/not/the/default\"\n"
                 "\"\"=\"/opt/my \\\"apps\\\"/caf\u00e9/quidappmgr\"\n"),
            "/opt/my \"apps\"/caf\u00e9/quidappmgr");
}

TEST_F(RegistryFileTest, AMissingKeyOrValueReadsAsNothing) {
  const std::string key = "[HKEY_LOCAL_MACHINE\\" + std::string(kKey) + "]\n";
  EXPECT_FALSE(RegistryFile(folder_ / "absent.reg").ReadLocalMachineDefault(kKey));
  EXPECT_FALSE(Read("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft]\n\"\"=\"/x\"\n"));
  EXPECT_FALSE(Read("[HKEY_CURRENT_USER\\" + std::string(kKey) + "]\n\"\"=\"/x\"\n"));
  EXPECT_FALSE(Read(key + "\"Path\"=\"/x\"\n"));
  EXPECT_FALSE(Read(key + "\"\"=dword:00000001\n"));
  EXPECT_EQ(Read(key + "\"\"=\"/good\"\n\"\"=\"unterminated\n"), "/good");
}

TEST_F(RegistryFileTest, TheUsersRegistryComesBeforeTheInstalledOne) {
  const std::string key = "[HKEY_LOCAL_MACHINE\\" + std::string(kKey) + "]\n";
  std::ofstream(folder_ / "machine.reg") << key << "\"\"=\"/usr/libexec/quidora/quidappmgr\"\n";
  RegistryFile user(folder_ / "registry.reg");
  RegistryFile machine(folder_ / "machine.reg");
  LayeredRegistry layered(user, machine);
  EXPECT_EQ(layered.ReadLocalMachineDefault(kKey), "/usr/libexec/quidora/quidappmgr");
  std::ofstream(folder_ / "registry.reg") << key << "\"Path\"=\"/elsewhere\"\n";
  EXPECT_EQ(layered.ReadLocalMachineDefault(kKey), "/usr/libexec/quidora/quidappmgr");
  std::ofstream(folder_ / "registry.reg") << key << "\"\"=\"/home/me/quidappmgr\"\n";
  EXPECT_EQ(layered.ReadLocalMachineDefault(kKey), "/home/me/quidappmgr");

  std::filesystem::remove(folder_ / "machine.reg");
  std::filesystem::remove(folder_ / "registry.reg");
  EXPECT_FALSE(layered.ReadLocalMachineDefault(kKey));
}

TEST_F(RegistryFileTest, DescriptionsComeFromTheCurrentDirectoryElseFromTheInstalledFolder) {
  // The package's layout: programs in /usr/bin, their data in /usr/share/quidora.
  EXPECT_EQ(InstalledDataFolder("/usr/bin"), std::filesystem::path("/usr/share/quidora"));
  EXPECT_EQ(MachineRegistryPath("/usr/share/quidora"),
            std::filesystem::path("/usr/share/quidora/desktop-registry.reg"));

  const std::filesystem::path current = folder_ / "current";
  const std::filesystem::path installed = folder_ / "installed";
  std::filesystem::create_directories(current);
  std::filesystem::create_directories(installed);
  // Neither holds one: the current directory, whose missing file the manager reports.
  EXPECT_EQ(DescriptionFolder(current.string(), installed), current.string());
  std::ofstream(installed / "SH.ini") << "[Package]\n";
  EXPECT_EQ(DescriptionFolder(current.string(), installed), installed.string());
  // A folder named like a description file is no description.
  std::filesystem::create_directories(current / "ARM.ini");
  EXPECT_EQ(DescriptionFolder(current.string(), installed), installed.string());
  std::ofstream(current / "MIPS.ini") << "[Package]\n";
  EXPECT_EQ(DescriptionFolder(current.string(), installed), current.string());
  EXPECT_FALSE(DescriptionFolder(std::nullopt, installed));
}

}  // namespace
}  // namespace quidora::setup
