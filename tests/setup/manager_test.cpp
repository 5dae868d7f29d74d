// The application manager's stand-in as a program: what it installs and its exit codes.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

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

  int Run(const QStringList& arguments) {
    QProcess manager;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QUIDORA_HOME"), device_.path());
    manager.setProcessEnvironment(environment);
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

}  // namespace
}  // namespace quidora::appmgr
