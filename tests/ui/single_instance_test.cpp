#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

#include "platform/ui/single_instance.h"

namespace quidora {
namespace {

using ui::SingleInstance;

class SingleInstanceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(runtime.isValid());
    ASSERT_EQ(chmod(QFile::encodeName(runtime.path()).constData(), 0700), 0);
  }
  QTemporaryDir runtime;
};

TEST_F(SingleInstanceTest, SecondCopyIsTurnedAwayAndTheFirstIsAskedToComeForward) {
  SingleInstance first("/home/u/.local/share/quidora", runtime.path());
  QSignalSpy raise(&first, &SingleInstance::RaiseRequested);
  ASSERT_EQ(first.ClaimInstance(), SingleInstance::Claim::First);

  SingleInstance second("/home/u/.local/share/quidora/", runtime.path());
  EXPECT_EQ(second.ClaimInstance(), SingleInstance::Claim::Second);
  ASSERT_TRUE(QTest::qWaitFor([&] { return raise.count() == 1; }));

  // Files private to the user.
  EXPECT_EQ(QFileInfo(first.LockPath()).permissions() &
                (QFile::ReadGroup | QFile::ReadOther | QFile::WriteGroup | QFile::WriteOther),
            QFile::Permissions());
  EXPECT_EQ(first.SocketPath(), second.SocketPath());
}

TEST_F(SingleInstanceTest, OtherDataLocationsRunSideBySide) {
  SingleInstance business("/data/one", runtime.path());
  SingleInstance personal("/data/two", runtime.path());
  EXPECT_EQ(business.ClaimInstance(), SingleInstance::Claim::First);
  EXPECT_EQ(personal.ClaimInstance(), SingleInstance::Claim::First);
  EXPECT_NE(business.SocketPath(), personal.SocketPath());
}

TEST_F(SingleInstanceTest, ADeadCopysLeftoversDoNotBlockTheNextStart) {
  {
    SingleInstance earlier("/data/one", runtime.path());
    ASSERT_EQ(earlier.ClaimInstance(), SingleInstance::Claim::First);
  }
  SingleInstance probe("/data/one", runtime.path());
  // A socket file left behind by a crash.
  QFile stale(probe.SocketPath());
  ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
  stale.close();

  SingleInstance next("/data/one", runtime.path());
  EXPECT_EQ(next.ClaimInstance(), SingleInstance::Claim::First);
  QSignalSpy raise(&next, &SingleInstance::RaiseRequested);
  EXPECT_EQ(probe.ClaimInstance(), SingleInstance::Claim::Second);
  ASSERT_TRUE(QTest::qWaitFor([&] { return raise.count() == 1; }));
}

TEST_F(SingleInstanceTest, AFolderOthersCanWriteIntoIsNotTrusted) {
  ASSERT_EQ(chmod(QFile::encodeName(runtime.path()).constData(), 0777), 0);
  SingleInstance instance("/data/one", runtime.path());
  EXPECT_EQ(instance.ClaimInstance(), SingleInstance::Claim::Unguarded);
  EXPECT_FALSE(QFile::exists(instance.LockPath()));
  SingleInstance missing("/data/one", runtime.filePath("absent"));
  EXPECT_EQ(missing.ClaimInstance(), SingleInstance::Claim::Unguarded);
}

TEST_F(SingleInstanceTest, DefaultRuntimeFolderIsTheUsersOwn) {
  // The test main gives every process a private XDG_RUNTIME_DIR.
  SingleInstance instance("/data/default");
  EXPECT_TRUE(instance.SocketPath().startsWith(qEnvironmentVariable("XDG_RUNTIME_DIR")));
  EXPECT_EQ(instance.ClaimInstance(), SingleInstance::Claim::First);
}

}  // namespace
}  // namespace quidora
