#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <random>

#include "platform/object_store.h"
#include "temp_folder.h"
#include "volume_fixtures.h"

namespace quidora::platform {
namespace {

using testing::Listing;
using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

std::string RandomBytes(std::size_t size, unsigned seed) {
  std::mt19937 random(seed);
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
  return bytes;
}

void PutBigEndian32(std::string& bytes, std::size_t offset, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) {
    bytes[offset + static_cast<std::size_t>(i)] = static_cast<char>(value >> (24 - 8 * i));
  }
}

class DamagedVolumeTest : public ::testing::Test {
 protected:
  std::filesystem::path file() const { return folder_ / "objectstore.db"; }

  // A healthy volume's bytes, with enough records to span many pages.
  std::string HealthyBytes() {
    const auto path = folder_ / "healthy.db";
    if (!std::filesystem::exists(path)) {
      EXPECT_TRUE(testing::MakeVolume(path, 2000));
    }
    return ReadBytes(path);
  }

  // Opening is refused with `expected` for the reason `problem`, and neither the file nor its
  // folder changed.
  void ExpectRefused(VolumeStatus expected, VolumeProblem problem) {
    const std::string before = ReadBytes(file());
    const auto listing = Listing(folder_.path());
    auto opened = ObjectStore::OpenVolume(file());
    EXPECT_EQ(opened.status, expected)
        << "got " << ToString(opened.status) << ": " << opened.detail;
    EXPECT_EQ(opened.problem, problem) << opened.detail;
    EXPECT_EQ(opened.subject, file());
    EXPECT_EQ(opened.store, nullptr);
    EXPECT_TRUE(ReadBytes(file()) == before) << "the file was changed";
    EXPECT_EQ(Listing(folder_.path()), listing) << "something was created beside the file";
  }

  TempFolder folder_;
};

TEST_F(DamagedVolumeTest, BytesThatAreNotAVolumeAreRefusedAsDamaged) {
  WriteBytes(file(), RandomBytes(8192, 1));
  ExpectRefused(VolumeStatus::Damaged, VolumeProblem::NotAStore);
  WriteBytes(file(), "");
  ExpectRefused(VolumeStatus::Damaged, VolumeProblem::Empty);
  WriteBytes(file(), "SQLite format 3");
  ExpectRefused(VolumeStatus::Damaged, VolumeProblem::NotAStore);
}

TEST_F(DamagedVolumeTest, TruncatedAndOverwrittenVolumesAreRefusedAsDamaged) {
  const std::string healthy = HealthyBytes();
  ASSERT_GT(healthy.size(), 40000u);
  WriteBytes(file(), healthy.substr(0, healthy.size() / 2));
  ExpectRefused(VolumeStatus::Damaged, VolumeProblem::Damaged);
  WriteBytes(file(), healthy.substr(0, 60));
  ExpectRefused(VolumeStatus::Damaged, VolumeProblem::Damaged);
  WriteBytes(file(), healthy.substr(0, healthy.size() / 2 + 1000));  // not on a page boundary
  ExpectRefused(VolumeStatus::Damaged, VolumeProblem::Damaged);

  std::string overwritten = healthy;
  const std::string noise = RandomBytes(overwritten.size() / 3, 2);
  overwritten.replace(overwritten.size() / 3, noise.size(), noise);
  WriteBytes(file(), overwritten);
  ExpectRefused(VolumeStatus::Damaged, VolumeProblem::Damaged);
}

TEST_F(DamagedVolumeTest, AnotherProgramsFileIsRefusedAsForeign) {
  std::string patched = HealthyBytes();
  PutBigEndian32(patched, 68, 0x12345678);  // application_id
  WriteBytes(file(), patched);
  ExpectRefused(VolumeStatus::Foreign, VolumeProblem::NotAStore);

  std::filesystem::remove(file());
  if (!testing::RunSqliteProgram(file(),
                                 "PRAGMA journal_mode=WAL; CREATE TABLE notes(body TEXT);"
                                 "INSERT INTO notes VALUES('keep me');")) {
    GTEST_SKIP() << "the sqlite3 program is not installed; the patched header case ran";
  }
  ExpectRefused(VolumeStatus::Foreign, VolumeProblem::NotAStore);
}

TEST_F(DamagedVolumeTest, AVolumeOfALaterVersionIsRefusedAsNewer) {
  std::string patched = HealthyBytes();
  PutBigEndian32(patched, 60, 4);  // user_version
  WriteBytes(file(), patched);
  ExpectRefused(VolumeStatus::Newer, VolumeProblem::Newer);

  PutBigEndian32(patched, 60, 0);  // ours, but never finished
  WriteBytes(file(), patched);
  ExpectRefused(VolumeStatus::Damaged, VolumeProblem::Damaged);
}

TEST_F(DamagedVolumeTest, OurMarksOnAFileWithoutOurTablesAreRefusedAsDamaged) {
  if (!testing::RunSqliteProgram(file(),
                                 "PRAGMA application_id=1364543812; PRAGMA user_version=1;"
                                 "CREATE TABLE databases(x);")) {
    GTEST_SKIP() << "the sqlite3 program is not installed";
  }
  ExpectRefused(VolumeStatus::Damaged, VolumeProblem::Damaged);
}

TEST_F(DamagedVolumeTest, SomethingThatIsNotAFileIsRefusedAsUnreadable) {
  std::filesystem::create_directory(file());
  const auto listing = Listing(folder_.path());
  auto opened = ObjectStore::OpenVolume(file());
  EXPECT_EQ(opened.status, VolumeStatus::Unreadable);
  EXPECT_EQ(opened.problem, VolumeProblem::NotAFile);
  EXPECT_TRUE(std::filesystem::is_directory(file()));
  EXPECT_EQ(Listing(folder_.path()), listing);
}

TEST_F(DamagedVolumeTest, AHealthyVolumeStillOpensAfterTheChecks) {
  WriteBytes(file(), HealthyBytes());
  auto opened = ObjectStore::OpenVolume(file());
  ASSERT_EQ(opened.status, VolumeStatus::Opened) << opened.detail;
  EXPECT_EQ(opened.store->OpenDatabase(u"money").handle.RecordCount(), 2000u);
}

TEST_F(DamagedVolumeTest, AVolumeInAnotherUsersFolderIsRefusedForItsPermissions) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to act as another user";
  WriteBytes(file(), HealthyBytes());
  std::filesystem::permissions(folder_.path(), std::filesystem::perms::owner_all);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (setgid(65534) != 0 || setuid(65534) != 0) _exit(100);
    auto opened = ObjectStore::OpenVolume(file());
    _exit(opened.store == nullptr ? static_cast<int>(opened.problem) : 101);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), static_cast<int>(VolumeProblem::NoAccess));
}

TEST_F(DamagedVolumeTest, APathLongerThanSQLiteTakesIsNamedAsSuch) {
  std::filesystem::path deep = folder_.path();
  while (deep.string().size() < 600) deep /= std::string(100, 'd');
  auto opened = ObjectStore::OpenVolume(deep / "objectstore.db");
  EXPECT_EQ(opened.status, VolumeStatus::CreateFailed) << opened.detail;
  EXPECT_EQ(opened.problem, VolumeProblem::PathTooLong) << opened.detail;
  EXPECT_EQ(opened.subject, deep / "objectstore.db");
}

}  // namespace
}  // namespace quidora::platform
