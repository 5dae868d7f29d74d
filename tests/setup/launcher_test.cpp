// Whole runs of the launcher: setup dialog, "Install Now...", progress window, boxes and the
// application manager; scripted parts, and once the real manager stand-in.
#include "setup/launcher.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <fstream>

#include "gui_helpers.h"
#include "scripted_parts.h"
#include "setup/control_ids.h"
#include "setup/described_device.h"
#include "setup/process_manager_starter.h"
#include "setup/registry_file.h"
#include "setup/single_instance.h"

namespace quidora::setup::testing {
namespace {

class LauncherTest : public ::testing::Test {
 protected:
  Launcher& Make(DeviceScript script) {
    device_ = std::make_unique<ScriptedDevice>(script);
    launcher_ = std::make_unique<Launcher>(
        LauncherParts{registry_, *device_, messages_, manager_, [] { return "/home/me/Setup"; }});
    QObject::connect(launcher_.get(), &Launcher::Finished, [this](int result) {
      result_ = result;
      managerReturnedBeforeFinish_ = manager_.returned;
    });
    QObject::connect(&launcher_->Progress(), &ProgressWindowOnGui::Opened,
                     [this](ProgressDialog* dialog) { textWhenOpened_ = dialog->WaitText(); });
    QObject::connect(&launcher_->Progress(), &ProgressWindowOnGui::Ended, [this] {
      progressEnded_ = true;
      if (ProgressDialog* dialog = launcher_->Progress().Dialog()) {
        textWhenEnded_ = dialog->WaitText();
      }
    });
    launcher_->Start();
    return *launcher_;
  }

  void ClickInstall() {
    clicked_.start();
    QTest::mouseClick(FindControl<QPushButton>(&launcher_->Dialog(), kInstallButtonId),
                      Qt::LeftButton);
  }

  bool WaitForFinish() {
    return ServeUntil([this] { return result_.has_value(); }, 10000);
  }

  ScriptedRegistry registry_;
  std::unique_ptr<ScriptedDevice> device_;
  ScriptedSetupMessages messages_;
  ScriptedManager manager_;
  std::unique_ptr<Launcher> launcher_;

  QElapsedTimer clicked_;
  std::optional<int> result_;
  bool managerReturnedBeforeFinish_ = false;
  QString textWhenOpened_;
  QString textWhenEnded_;
  std::atomic<bool> progressEnded_ = false;
};

TEST_F(LauncherTest, AConnectedDeviceShowsConnectedAndTheManagerIsStartedAndAwaited) {
  manager_.runsFor = std::chrono::milliseconds(300);
  // Well after the progress window opens at 0.2 s, even on a busy machine.
  Make({.connectAfter = std::chrono::milliseconds(700), .major = 4});
  ClickInstall();
  ASSERT_TRUE(WaitForFinish());
  EXPECT_EQ(*result_, kInstallResult);
  EXPECT_EQ(manager_.calls, 1);
  EXPECT_EQ(manager_.program, "/opt/desktop/bin/quidappmgr");
  EXPECT_EQ(manager_.argument, "\"/home/me/Setup/PPC2003_ARM.ini\"");
  EXPECT_TRUE(managerReturnedBeforeFinish_);
  EXPECT_TRUE(launcher_->ManagerStarted());

  ASSERT_TRUE(ServeUntil([this] { return progressEnded_.load(); }));
  EXPECT_EQ(textWhenOpened_, QStringLiteral("Please, wait..."));
  EXPECT_EQ(textWhenEnded_, QStringLiteral("Connected."));
  // Connected at 0.7 s, then "Connected." for 1.5 s.
  EXPECT_GE(clicked_.elapsed(), 2150);
}

TEST_F(LauncherTest, AConnectionMadeBeforeTheProgressWindowStillShowsConnectedAndCloses) {
  Make({.connectAfter = std::chrono::milliseconds(0), .major = 3});
  ClickInstall();
  ASSERT_TRUE(WaitForFinish());
  EXPECT_EQ(*result_, kInstallResult);
  EXPECT_EQ(manager_.argument, "\"/home/me/Setup/ARM.ini\"");
  ASSERT_TRUE(ServeUntil([this] { return progressEnded_.load(); }, 4000))
      << "the progress window never closed";
  EXPECT_EQ(textWhenEnded_, QStringLiteral("Connected."));
  EXPECT_LE(clicked_.elapsed(), 3000);
}

TEST_F(LauncherTest, NoDeviceShowsMessage11AfterTheWaitWithTheProgressWindowGone) {
  Make({.connectAfter = std::nullopt});
  messages_.Expect(SetupText(SetupString::NoConnection));
  bool progressGoneBeforeBox = false;
  qint64 boxAfterMs = 0;
  messages_.onShow = [&] {
    progressGoneBeforeBox = progressEnded_;
    boxAfterMs = clicked_.elapsed();
  };
  ClickInstall();
  ASSERT_TRUE(WaitForFinish());
  EXPECT_EQ(*result_, kStopResult);
  EXPECT_TRUE(progressGoneBeforeBox);
  EXPECT_GE(boxAfterMs, 2200);
  EXPECT_LE(boxAfterMs, 3500);
  EXPECT_EQ(manager_.calls, 0);
  EXPECT_EQ(textWhenOpened_, QStringLiteral("Please, wait..."));
}

TEST_F(LauncherTest, WithoutTheManagerKeyOnlyMessage6IsShown) {
  registry_.managerPath.reset();
  Make({});
  messages_.Expect(SetupText(SetupString::NoSyncSoftware));
  QSignalSpy opened(&launcher_->Progress(), &ProgressWindowOnGui::Opened);
  ClickInstall();
  ASSERT_TRUE(WaitForFinish());
  EXPECT_EQ(*result_, kStopResult);
  EXPECT_EQ(opened.count(), 0);
  EXPECT_EQ(device_->initCalls, 0);
  EXPECT_EQ(manager_.calls, 0);
}

TEST_F(LauncherTest, AManagerThatCannotStartEndsWithoutABox) {
  manager_.starts = false;
  Make({.major = 4});
  ClickInstall();
  ASSERT_TRUE(WaitForFinish());
  EXPECT_EQ(*result_, kInstallResult);
  EXPECT_EQ(manager_.calls, 1);
  EXPECT_FALSE(launcher_->ManagerStarted());
  EXPECT_TRUE(messages_.Shown().empty());
}

TEST_F(LauncherTest, ASecondStartBringsTheSetupDialogForward) {
  QTemporaryDir runtime;
  const std::string_view title = SetupText(SetupString::Title);
  SingleInstance first(title, runtime.path());
  ASSERT_EQ(first.ClaimOrRaise(), SingleInstance::Claim::First);
  Launcher& launcher = Make({});
  QObject::connect(&first, &SingleInstance::RaiseRequested, &launcher, &Launcher::Raise);
  launcher.Dialog().showMinimized();
  ASSERT_TRUE(launcher.Dialog().windowState() & Qt::WindowMinimized);

  SingleInstance second(title, runtime.path());
  EXPECT_EQ(second.ClaimOrRaise(), SingleInstance::Claim::AnotherRunning);
  EXPECT_TRUE(
      ServeUntil([&] { return !(launcher.Dialog().windowState() & Qt::WindowMinimized); }, 3000));
  EXPECT_TRUE(launcher.Dialog().isVisible());
  EXPECT_FALSE(result_.has_value());
}

// The launcher program, started with a runtime folder that does not exist: it keeps its lock in
// its data folder and makes nothing where the missing folder is named.
TEST(LauncherProgramTest, MakesNoRuntimeFolderWhereAMissingOneIsNamed) {
  QTemporaryDir temp;
  ASSERT_TRUE(temp.isValid());
  const QString absent = temp.filePath(QStringLiteral("runtime"));
  const QString data = temp.filePath(QStringLiteral("setup data"));
  QProcess launcher;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), absent);
  environment.insert(QStringLiteral("QUIDSETUP_HOME"), data);
  launcher.setProcessEnvironment(environment);
  launcher.start(QStringLiteral(QUIDSETUP_PATH));
  const bool locked = ServeUntil(
      [&] { return QFileInfo::exists(data + QStringLiteral("/quidsetup-Setup-Quidora-PPC.lock")); },
      30000);
  launcher.kill();
  launcher.waitForFinished(10000);
  EXPECT_TRUE(locked) << launcher.readAllStandardError().toStdString();
  EXPECT_FALSE(QFileInfo::exists(absent));
}

// The launcher's own desktop parts (registry file, described device, process start) against
// the real manager stand-in, installing into a temporary device.
TEST(LauncherEndToEndTest, InstallsTheProgramFilesIntoTheDevice) {
  QTemporaryDir desktop;
  QTemporaryDir device;
  ASSERT_TRUE(desktop.isValid() && device.isValid());
  const QString setupFolder = desktop.filePath(QStringLiteral("Setup folder"));
  ASSERT_TRUE(QDir().mkpath(setupFolder));
  auto write = [](const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
  };
  ASSERT_TRUE(write(setupFolder + QStringLiteral("/program"), "#!/bin/sh\necho device\n"));
  QFile::setPermissions(setupFolder + QStringLiteral("/program"),
                        QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  ASSERT_TRUE(write(setupFolder + QStringLiteral("/helper"), "help pages"));
  ASSERT_TRUE(write(setupFolder + QStringLiteral("/ARM.ini"),
                    "[Package]\nName=Quidora\nDestination=Program Files\\Quidora\n"
                    "File1=program\nFile2=helper\n"));
  const std::string manager = QUIDAPPMGR_PATH;
  ASSERT_TRUE(write(desktop.filePath(QStringLiteral("registry.reg")),
                    QByteArray("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\"
                               "App Paths\\CEAPPMGR.EXE]\n\"\"=\"") +
                        QByteArray::fromStdString(manager) + "\"\n"));
  ASSERT_TRUE(write(desktop.filePath(QStringLiteral("device.ini")),
                    "connected = yes\nconnect_delay_ms = 300\nmajor_version = 3\n"
                    "processor_type = 2577\nprocessor_architecture = 5\n"));

  const QByteArray oldHome = qgetenv("QUIDORA_HOME");
  qputenv("QUIDORA_HOME", device.path().toUtf8());
  RegistryFile registry(desktop.filePath(QStringLiteral("registry.reg")).toStdString());
  const std::filesystem::path deviceFile =
      desktop.filePath(QStringLiteral("device.ini")).toStdString();
  DescribedDevice described([deviceFile] { return ReadDeviceDescription(deviceFile); });
  ScriptedSetupMessages noMessages;
  ProcessManagerStarter starter;
  std::optional<int> result;
  {
    Launcher launcher(LauncherParts{registry, described, noMessages, starter,
                                    [&] { return setupFolder.toStdString(); }});
    QObject::connect(&launcher, &Launcher::Finished, [&](int r) { result = r; });
    launcher.Start();
    QTest::mouseClick(FindControl<QPushButton>(&launcher.Dialog(), kInstallButtonId),
                      Qt::LeftButton);
    EXPECT_TRUE(ServeUntil([&] { return result.has_value(); }, 15000));
  }
  if (oldHome.isNull()) {
    qunsetenv("QUIDORA_HOME");
  } else {
    qputenv("QUIDORA_HOME", oldHome);
  }
  ASSERT_EQ(result, kInstallResult);
  EXPECT_EQ(starter.LastExitCode(), 0);

  const QString installed = device.filePath(QStringLiteral("Program Files/Quidora"));
  QFile program(installed + QStringLiteral("/program"));
  ASSERT_TRUE(program.open(QIODevice::ReadOnly)) << "the program was not installed";
  EXPECT_EQ(program.readAll(), QByteArray("#!/bin/sh\necho device\n"));
  EXPECT_TRUE(program.permissions() & QFile::ExeOwner);
  QFile helper(installed + QStringLiteral("/helper"));
  ASSERT_TRUE(helper.open(QIODevice::ReadOnly));
  EXPECT_EQ(helper.readAll(), QByteArray("help pages"));
}

}  // namespace
}  // namespace quidora::setup::testing
