#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "platform/ui/cash_sound.h"
#include "platform/ui/help_launcher.h"
#include "platform/ui/text.h"

namespace quidora {
namespace {

using ui::HelpLauncher;

TEST(HelpLauncherTest, StartsTheViewerWithTheCommandLineAsOneArgument) {
  QString program;
  QStringList arguments;
  HelpLauncher help([&](const QString& p, const QStringList& a) {
    program = p;
    arguments = a;
  });
  // Spaces and shell characters stay inside the one argument: no shell ever sees them.
  help.ShowHelp("\\Windows\\equidora.htc; rm -rf ~");
  EXPECT_EQ(arguments, QStringList{"\\Windows\\equidora.htc; rm -rf ~"});
  EXPECT_TRUE(QFileInfo(program).fileName() == "peghelp");
}

TEST(HelpLauncherTest, FindsTheViewerAmongTheInstalledHelpersThenOnThePath) {
  QTemporaryDir bin;
  ASSERT_TRUE(bin.isValid());
  QFile viewer(bin.filePath("peghelp"));
  ASSERT_TRUE(viewer.open(QIODevice::WriteOnly));
  viewer.write("#!/bin/sh\n");
  viewer.close();
  viewer.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

  const QByteArray savedPath = qgetenv("PATH");
  qputenv("PATH", QFile::encodeName(bin.path()));
  const QString found = HelpLauncher::HelpProgram();

  // Installed, the viewer is among the helpers beside bin/, which come before PATH.
  const QDir programFolder(QCoreApplication::applicationDirPath());
  const QString libexec = programFolder.filePath("../libexec");
  const QString helpers = libexec + "/quidora";
  const bool madeLibexec = !QDir(libexec).exists();
  ASSERT_TRUE(QDir().mkpath(helpers));
  ASSERT_TRUE(QFile::copy(bin.filePath("peghelp"), helpers + "/peghelp"));
  const QString installed = HelpLauncher::HelpProgram();
  QFile::setPermissions(helpers + "/peghelp", QFile::ReadOwner | QFile::WriteOwner);
  const QString notExecutable = HelpLauncher::HelpProgram();
  QFile::remove(helpers + "/peghelp");
  if (madeLibexec) QDir(libexec).removeRecursively();
  qputenv("PATH", savedPath);

  EXPECT_EQ(found, bin.filePath("peghelp"));
  EXPECT_EQ(installed, QDir::cleanPath(helpers + "/peghelp"));
  EXPECT_EQ(notExecutable, bin.filePath("peghelp"));
}

TEST(HelpLauncherTest, RealViewerProcessGetsTheCommandLineUntouched) {
  QTemporaryDir bin;
  ASSERT_TRUE(bin.isValid());
  const QString received = bin.filePath("received");
  const QString planted = bin.filePath("planted");
  QFile viewer(bin.filePath("peghelp"));
  ASSERT_TRUE(viewer.open(QIODevice::WriteOnly));
  viewer.write(QStringLiteral("#!/bin/sh\nprintf '%s' \"$1\" > '%1.tmp' && mv '%1.tmp' '%1'\n")
                   .arg(received)
                   .toUtf8());
  viewer.close();
  viewer.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

  const QByteArray savedPath = qgetenv("PATH");
  qputenv("PATH", QFile::encodeName(bin.path()) + ":" + savedPath);
  const QString commandLine = "file:equidorappc.htm#Accounts; touch " + planted;
  HelpLauncher().ShowHelp(commandLine);
  qputenv("PATH", savedPath);

  ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(received); }, 5000));
  QFile result(received);
  ASSERT_TRUE(result.open(QIODevice::ReadOnly));
  EXPECT_EQ(QString::fromUtf8(result.readAll()), commandLine);
  EXPECT_FALSE(QFile::exists(planted)) << "the command line reached a shell";
}

TEST(CashSoundTest, BundledWaveIsShortRiffPcmAndEveryPlayIsCounted) {
  const QByteArray wave = ui::CashSound::WaveData();
  ASSERT_GT(wave.size(), 44);
  EXPECT_TRUE(wave.startsWith("RIFF"));
  EXPECT_EQ(wave.mid(8, 4), "WAVE");
  EXPECT_LT(wave.size(), 64 * 1024);

  ui::CashSound sound;
  sound.Play();
  sound.Play();
  EXPECT_EQ(sound.PlayRequests(), 2);
}

TEST(TextTest, SixteenBitTextCrossesUnchanged) {
  const std::u16string text = u"Caf\u00e9 \U0001F4B0 \u20ac 1.000,87";
  const QString q = ui::ToQString(text);
  EXPECT_EQ(q.size(), static_cast<qsizetype>(text.size()));
  EXPECT_EQ(ui::ToU16String(q), text);
  EXPECT_EQ(ui::ToU16String(QString()), std::u16string());
  EXPECT_EQ(ui::LoadQString(StringId::Title), "Quidora");
}

}  // namespace
}  // namespace quidora
