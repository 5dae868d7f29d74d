#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

#include "platform/ui/single_instance.h"

namespace quidora {
namespace {

using ui::SingleInstance;

class SingleInstanceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(runtime.isValid() && data.isValid());
    ASSERT_EQ(chmod(QFile::encodeName(runtime.path()).constData(), 0700), 0);
  }
  QString Data(const QString& name) {
    QDir(data.path()).mkpath(name);
    return data.filePath(name);
  }
  QTemporaryDir runtime;
  QTemporaryDir data;
};

TEST_F(SingleInstanceTest, EveryPathToTheSameFolderMeetsTheFirstCopy) {
  const QString real = Data("real");
  ASSERT_TRUE(QFile::link(real, data.filePath("link")));
  SingleInstance first(real, runtime.path());
  QSignalSpy raise(&first, &SingleInstance::RaiseRequested);
  ASSERT_EQ(first.ClaimInstance(), SingleInstance::Claim::First);
  EXPECT_EQ(QFileInfo(first.LockPath()).absolutePath(), real) << "the lock is in the folder";
  EXPECT_EQ(QFileInfo(first.LockPath()).permissions() &
                (QFile::ReadGroup | QFile::ReadOther | QFile::WriteGroup | QFile::WriteOther),
            QFile::Permissions());

  for (const QString& other : {real + "/", data.filePath("link"), real + "/../link/."}) {
    SingleInstance second(other, runtime.path());
    EXPECT_EQ(second.ClaimInstance(), SingleInstance::Claim::Second) << other.toStdString();
    EXPECT_EQ(second.SocketPath(), first.SocketPath());
  }
  ASSERT_TRUE(QTest::qWaitFor([&] { return raise.count() == 3; }));
}

TEST_F(SingleInstanceTest, WithoutAPrivateRuntimeFolderTheLockStillKeepsASecondCopyOut) {
  // Another user's folder, or one everybody may write into, cannot hold the socket; and a
  // runtime folder that does not exist is not made.
  ASSERT_EQ(chmod(QFile::encodeName(runtime.path()).constData(), 0777), 0);
  const QString absent = runtime.filePath("absent");
  for (const QString& runtimeDir : {runtime.path(), absent}) {
    SingleInstance first(Data("one"), runtimeDir);
    ASSERT_EQ(first.ClaimInstance(), SingleInstance::Claim::First);
    EXPECT_TRUE(first.SocketPath().isEmpty());
    SingleInstance second(Data("one"), runtimeDir);
    EXPECT_EQ(second.ClaimInstance(), SingleInstance::Claim::Unreached);
  }
  EXPECT_FALSE(QFileInfo::exists(absent));
  EXPECT_TRUE(QDir(runtime.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
}

TEST_F(SingleInstanceTest, OtherFoldersRunSideBySideAndADeadCopyBlocksNothing) {
  {
    SingleInstance earlier(Data("one"), runtime.path());
    ASSERT_EQ(earlier.ClaimInstance(), SingleInstance::Claim::First);
  }
  SingleInstance business(Data("one"), runtime.path());
  SingleInstance personal(Data("two"), runtime.path());
  EXPECT_EQ(business.ClaimInstance(), SingleInstance::Claim::First);
  EXPECT_EQ(personal.ClaimInstance(), SingleInstance::Claim::First);
  EXPECT_NE(business.SocketPath(), personal.SocketPath());
}

TEST_F(SingleInstanceTest, ALockFileThatIsALinkIsNotFollowed) {
  const QString folder = Data("one");
  const QString elsewhere = data.filePath("elsewhere.lock");
  ASSERT_TRUE(QFile::link(elsewhere, QDir(folder).filePath(SingleInstance::kLockName)));
  SingleInstance instance(folder, runtime.path());
  EXPECT_EQ(instance.ClaimInstance(), SingleInstance::Claim::Failed);
  EXPECT_FALSE(instance.Problem().isEmpty());
  EXPECT_FALSE(QFileInfo::exists(elsewhere));
}

TEST_F(SingleInstanceTest, DefaultRuntimeFolderIsTheUsersOwn) {
  // The test main gives every process a private XDG_RUNTIME_DIR.
  SingleInstance instance(Data("default"));
  EXPECT_EQ(instance.ClaimInstance(), SingleInstance::Claim::First);
  EXPECT_TRUE(instance.SocketPath().startsWith(qEnvironmentVariable("XDG_RUNTIME_DIR")));
}

}  // namespace
}  // namespace quidora
