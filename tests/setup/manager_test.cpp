// The application manager's stand-in as a program: what it installs and its exit codes.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <sys/stat.h>

#include "setup/manager/package_install.h"

namespace quidora::appmgr {
namespace {

class ManagerProgramTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(desktop_.isValid() && device_.isValid()); }

  void Write(const QString& name, const QByteArray& bytes) {
    QFile file(desktop_.filePath(name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
  }

  // The manager's exit code; -1 when it did not end within 10 seconds.
  int Run(const QStringList& arguments, const QString& home = {},
          const QString& workingFolder = {}) {
    QProcess manager;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QUIDORA_HOME"), home.isEmpty() ? device_.path() : home);
    manager.setProcessEnvironment(environment);
    if (!workingFolder.isEmpty()) manager.setWorkingDirectory(workingFolder);
    manager.start(QStringLiteral(QUIDAPPMGR_PATH), arguments);
    if (!manager.waitForFinished(10000)) return -1;
    return manager.exitStatus() == QProcess::NormalExit ? manager.exitCode() : -1;
  }

  QString Quoted(const QString& name) { return '"' + desktop_.filePath(name) + '"'; }
  QString Installed(const QString& name) {
    return device_.filePath(QStringLiteral("Program Files/Quidora/") + name);
  }

  QTemporaryDir desktop_;
  QTemporaryDir device_;
  static constexpr char kTwoFiles[] =
      "; test package\n[Package]\nName=Quidora\nDestination=Program Files\\Quidora\n"
      "File1=quidora\nFile2=peghelp\n";
};

TEST_F(ManagerProgramTest, InstallsEveryFileOfTheQuotedDescription) {
  Write(QStringLiteral("quidora"), "program");
  Write(QStringLiteral("peghelp"), "viewer");
  Write(QStringLiteral("SH.ini"), kTwoFiles);
  EXPECT_EQ(Run({Quoted(QStringLiteral("SH.ini"))}), 0);
  QFile program(Installed(QStringLiteral("quidora")));
  ASSERT_TRUE(program.open(QIODevice::ReadOnly));
  EXPECT_EQ(program.readAll(), QByteArray("program"));
  EXPECT_TRUE(QFile::exists(Installed(QStringLiteral("peghelp"))));
  // Installing again replaces the files.
  Write(QStringLiteral("quidora"), "program, version 2");
  EXPECT_EQ(Run({desktop_.filePath(QStringLiteral("SH.ini"))}), 0);  // unquoted is fine too
  program.close();
  ASSERT_TRUE(program.open(QIODevice::ReadOnly));
  EXPECT_EQ(program.readAll(), QByteArray("program, version 2"));
}

TEST_F(ManagerProgramTest, AMissingProgramFileInstallsNothing) {
  Write(QStringLiteral("quidora"), "program");
  Write(QStringLiteral("MIPS.ini"), kTwoFiles);
  EXPECT_EQ(Run({Quoted(QStringLiteral("MIPS.ini"))}),
            static_cast<int>(InstallStatus::FileMissing));
  EXPECT_FALSE(QFile::exists(Installed(QStringLiteral("quidora"))));
}

TEST_F(ManagerProgramTest, ReportsEachKindOfFailureByItsExitCode) {
  Write(QStringLiteral("quidora"), "program");
  Write(QStringLiteral("peghelp"), "viewer");
  const int bad = static_cast<int>(InstallStatus::BadArguments);
  EXPECT_EQ(Run({}), bad);
  EXPECT_EQ(Run({Quoted(QStringLiteral("a.ini")), Quoted(QStringLiteral("b.ini"))}), bad);
  EXPECT_EQ(Run({'"' + desktop_.filePath(QStringLiteral("ARM.ini"))}), bad);

  EXPECT_EQ(Run({Quoted(QStringLiteral("absent.ini"))}),
            static_cast<int>(InstallStatus::DescriptionUnreadable));

  const int invalid = static_cast<int>(InstallStatus::DescriptionInvalid);
  Write(QStringLiteral("nosection.ini"), "Name=Quidora\nFile1=quidora\n");
  EXPECT_EQ(Run({Quoted(QStringLiteral("nosection.ini"))}), invalid);
  Write(QStringLiteral("escape.ini"),
        "[Package]\nName=Quidora\nDestination=..\\..\\outside\nFile1=quidora\n");
  EXPECT_EQ(Run({Quoted(QStringLiteral("escape.ini"))}), invalid);
  EXPECT_FALSE(QFile::exists(QDir(device_.path()).filePath(QStringLiteral("../../outside"))));
  Write(QStringLiteral("nofiles.ini"), "[Package]\nName=Quidora\nDestination=Program Files\n");
  EXPECT_EQ(Run({Quoted(QStringLiteral("nofiles.ini"))}), invalid);

  // A file where the destination folder should be.
  Write(QStringLiteral("ARM.ini"), kTwoFiles);
  QFile blocker(device_.filePath(QStringLiteral("Program Files")));
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  EXPECT_EQ(Run({Quoted(QStringLiteral("ARM.ini"))}), static_cast<int>(InstallStatus::WriteFailed));
}

TEST_F(ManagerProgramTest, NothingIsWrittenThroughALinkInsideTheDevice) {
  Write(QStringLiteral("quidora"), "program");
  Write(QStringLiteral("peghelp"), "viewer");
  Write(QStringLiteral("SH.ini"), kTwoFiles);
  const int failed = static_cast<int>(InstallStatus::WriteFailed);
  QTemporaryDir outside;
  ASSERT_TRUE(outside.isValid());

  // A linked folder on the way to the destination.
  ASSERT_TRUE(QFile::link(outside.path(), device_.filePath(QStringLiteral("Program Files"))));
  EXPECT_EQ(Run({Quoted(QStringLiteral("SH.ini"))}), failed);
  EXPECT_TRUE(QDir(outside.path()).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));
  ASSERT_TRUE(QFile::remove(device_.filePath(QStringLiteral("Program Files"))));

  // A linked target file.
  ASSERT_TRUE(QDir(device_.path()).mkpath(QStringLiteral("Program Files/Quidora")));
  const QString victim = outside.filePath(QStringLiteral("victim"));
  {
    QFile file(victim);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("precious");
  }
  ASSERT_TRUE(QFile::link(victim, Installed(QStringLiteral("quidora"))));
  EXPECT_EQ(Run({Quoted(QStringLiteral("SH.ini"))}), failed);
  QFile kept(victim);
  ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
  EXPECT_EQ(kept.readAll(), QByteArray("precious"));
  ASSERT_TRUE(QFile::remove(Installed(QStringLiteral("quidora"))));

  // The device's root itself may be reached through a link, or named from the working folder.
  const QString rootLink = outside.filePath(QStringLiteral("device"));
  ASSERT_TRUE(QFile::link(device_.path(), rootLink));
  EXPECT_EQ(Run({Quoted(QStringLiteral("SH.ini"))}, rootLink), 0);
  EXPECT_TRUE(QFileInfo(Installed(QStringLiteral("quidora"))).isFile());
  EXPECT_EQ(
      Run({Quoted(QStringLiteral("SH.ini"))}, QStringLiteral("portable/device"), desktop_.path()),
      0);
  EXPECT_TRUE(QFile::exists(
      desktop_.filePath(QStringLiteral("portable/device/Program Files/Quidora/peghelp"))));
}

TEST_F(ManagerProgramTest, ADescriptionThatIsNotASmallRegularFileIsRefusedAtOnce) {
  Write(QStringLiteral("quidora"), "program");
  const int unreadable = static_cast<int>(InstallStatus::DescriptionUnreadable);
  ASSERT_EQ(
      mkfifo(QFile::encodeName(desktop_.filePath(QStringLiteral("fifo.ini"))).constData(), 0600),
      0);
  EXPECT_EQ(Run({Quoted(QStringLiteral("fifo.ini"))}), unreadable);
  ASSERT_TRUE(
      QFile::link(QStringLiteral("/dev/zero"), desktop_.filePath(QStringLiteral("zero.ini"))));
  EXPECT_EQ(Run({Quoted(QStringLiteral("zero.ini"))}), unreadable);
  QByteArray large = QByteArray(kTwoFiles) + QByteArray(70 * 1024, ';');
  Write(QStringLiteral("large.ini"), large);
  EXPECT_EQ(Run({Quoted(QStringLiteral("large.ini"))}), unreadable);
  EXPECT_FALSE(QFile::exists(Installed(QStringLiteral("quidora"))));
}

}  // namespace
}  // namespace quidora::appmgr
