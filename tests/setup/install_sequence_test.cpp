// The work of "Install Now..." against a scripted registry, device and progress window, with
// the real connection thread, named mutex and waits.
#include "setup/install_sequence.h"

#include <gtest/gtest.h>

#include <memory>
#include <thread>

#include "scripted_parts.h"

namespace quidora::setup::testing {
namespace {

using Events = std::vector<std::string>;

class InstallSequenceTest : public ::testing::Test {
 protected:
  std::unique_ptr<InstallSequence> MakeSequence(DeviceScript script) {
    device_ = std::make_unique<ScriptedDevice>(script);
    return std::make_unique<InstallSequence>(InstallParts{registry_, *device_, messages_, progress_,
                                                          mutexes_, [this] { return folder_; }});
  }

  InstallDecision Run(DeviceScript script) { return MakeSequence(script)->Run(); }

  ScriptedRegistry registry_;
  std::unique_ptr<ScriptedDevice> device_;
  ScriptedSetupMessages messages_;
  RecordingProgress progress_;
  NamedMutexTable mutexes_;
  std::optional<std::string> folder_ = "/home/me/Setup";
};

double Seconds(Clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

TEST_F(InstallSequenceTest, WithoutTheManagerKeyShowsMessage6AndNeverConnects) {
  registry_.managerPath.reset();
  messages_.Expect(SetupText(SetupString::NoSyncSoftware));
  InstallDecision decision = Run({});
  EXPECT_EQ(decision.result, kStopResult);
  EXPECT_EQ(registry_.keyAsked,
            "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\CEAPPMGR.EXE");
  EXPECT_EQ(device_->initCalls, 0);
  EXPECT_EQ(progress_.Events(), Events{});
  EXPECT_EQ(messages_.Shown().size(), 1u);
}

TEST_F(InstallSequenceTest, NoDeviceWithinTheWaitShowsMessage11AfterAboutTwoAndAHalfSeconds) {
  messages_.Expect(SetupText(SetupString::NoConnection));
  auto sequence = MakeSequence({.connectAfter = std::nullopt});
  const Clock::time_point start = Clock::now();
  InstallDecision decision = sequence->Run();
  EXPECT_EQ(decision.result, kStopResult);
  ASSERT_TRUE(messages_.FirstShownAt());
  const double elapsed = Seconds(*messages_.FirstShownAt() - start);
  EXPECT_GE(elapsed, 2.2);
  EXPECT_LE(elapsed, 3.5);
  // The progress window is closed before the box appears.
  EXPECT_EQ(progress_.Events(), (Events{"open", "close"}));

  // The connection thread still waiting for a device is stopped, not left behind.
  const Clock::time_point ending = Clock::now();
  sequence.reset();
  EXPECT_LT(Seconds(Clock::now() - ending), 1.0);
}

TEST_F(InstallSequenceTest, AFailedConnectionAbandonsTheMutexAndShowsMessage10) {
  messages_.Expect(SetupText(SetupString::CannotStart));
  auto sequence = MakeSequence({.connectAfter = milliseconds(100), .initFails = true});
  const Clock::time_point start = Clock::now();
  EXPECT_EQ(sequence->Run().result, kStopResult);
  // Seen at once when the thread ends, not after the whole wait.
  EXPECT_LT(Seconds(*messages_.FirstShownAt() - start), 1.0);
  EXPECT_EQ(sequence->ConnectionExitCode(), 1);
  EXPECT_EQ(device_->uninitCalls, 1);
  EXPECT_EQ(progress_.Events(), (Events{"open", "close"}));
}

TEST_F(InstallSequenceTest, DeviceRefusalsShowTheirMessageAndEndTheConnection) {
  struct Case {
    const char* name;
    DeviceScript script;
    SetupString message;
    int systemInfoReads;
  };
  const Case cases[] = {
      {"version unreadable", {.versionFails = true}, SetupString::NoVersion, 0},
      {"version 2", {.major = 2}, SetupString::NotPocketPc, 0},
      {"version 4 MIPS",
       {.major = 4, .info = {kArchitectureMips, 4000}},
       SetupString::UnknownProcessor,
       1},
      {"version 4 ARM720",
       {.major = 4, .info = {kArchitectureArm, 1824}},
       SetupString::UnknownProcessor,
       1},
      {"version 3 unknown",
       {.major = 3, .info = {kArchitectureArm, 9999}},
       SetupString::UnknownProcessor,
       1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RecordingProgress progress;
    ScriptedDevice device(c.script);
    ScriptedSetupMessages messages;
    messages.Expect(SetupText(c.message));
    InstallSequence sequence(
        {registry_, device, messages, progress, mutexes_, [this] { return folder_; }});
    EXPECT_EQ(sequence.Run().result, kStopResult);
    EXPECT_EQ(device.systemInfoCalls, c.systemInfoReads);
    EXPECT_EQ(device.uninitCalls, 1);
    EXPECT_EQ(progress.Events(), (Events{"connected", "open", "close"}));
  }
}

TEST_F(InstallSequenceTest, AcceptedDevicesGetTheirQuotedDescriptionFile) {
  struct Case {
    std::uint32_t major;
    DeviceSystemInfo info;
    const char* argument;
  };
  const Case cases[] = {
      {3, {kArchitectureArm, 2577}, "\"/home/me/Setup/ARM.ini\""},
      {4, {kArchitectureArm, 2577}, "\"/home/me/Setup/PPC2003_ARM.ini\""},
      {5, {kArchitectureArm, 2577}, "\"/home/me/Setup/PPC2003_ARM.ini\""},
      {3, {kArchitectureMips, 2577}, "\"/home/me/Setup/MIPS.ini\""},
      {3, {kArchitectureShx, 10004}, "\"/home/me/Setup/SH.ini\""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.argument);
    RecordingProgress progress;
    ScriptedDevice device({.major = c.major, .info = c.info});
    ScriptedSetupMessages noMessages;
    InstallSequence sequence(
        {registry_, device, noMessages, progress, mutexes_, [this] { return folder_; }});
    InstallDecision decision = sequence.Run();
    EXPECT_EQ(decision.result, kInstallResult);
    EXPECT_EQ(decision.installationArgument, c.argument);
    EXPECT_EQ(decision.managerPath, "/opt/desktop/bin/quidappmgr");
    EXPECT_EQ(device.uninitCalls, 1);
    EXPECT_EQ(sequence.ConnectionExitCode(), 0);
    // On success the window closes itself after showing "Connected.".
    EXPECT_EQ(progress.Events(), (Events{"connected", "open"}));
  }
}

TEST_F(InstallSequenceTest, ADeviceThatTakesMostOfTheWaitIsStillAccepted) {
  auto sequence = MakeSequence({.connectAfter = milliseconds(1500), .major = 3});
  InstallDecision decision = sequence->Run();
  EXPECT_EQ(decision.result, kInstallResult);
  EXPECT_EQ(decision.installationArgument, "\"/home/me/Setup/ARM.ini\"");
  sequence.reset();  // the notice follows the release that let Run go on
  EXPECT_EQ(progress_.Events(), (Events{"open", "connected"}));
}

TEST_F(InstallSequenceTest, ADeepCurrentDirectoryIsPassedWhole) {
  std::string deep = "/home/me";
  while (deep.size() < 300) deep += "/a-rather-long-folder-name";
  folder_ = deep;
  InstallDecision decision = Run({.major = 4});
  ASSERT_EQ(decision.result, kInstallResult);
  EXPECT_EQ(decision.installationArgument, "\"" + deep + "/PPC2003_ARM.ini\"");
  EXPECT_GT(decision.installationArgument.size(), 260u);
}

TEST_F(InstallSequenceTest, AnUnreadableCurrentDirectoryShowsMessage10BeforeConnecting) {
  folder_.reset();
  messages_.Expect(SetupText(SetupString::CannotStart));
  EXPECT_EQ(Run({}).result, kStopResult);
  EXPECT_EQ(device_->initCalls, 0);
}

TEST(InstallationArgumentTest, JoinsFolderAndFileWithOneSeparator) {
  EXPECT_EQ(InstallationArgument("/home/me/Setup", "ARM.ini"), "\"/home/me/Setup/ARM.ini\"");
  EXPECT_EQ(InstallationArgument("/", "SH.ini"), "\"/SH.ini\"");
  EXPECT_EQ(InstallationArgument("/tmp/with space", "MIPS.ini"), "\"/tmp/with space/MIPS.ini\"");
}

}  // namespace
}  // namespace quidora::setup::testing
