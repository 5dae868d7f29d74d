#include <gtest/gtest.h>

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

  // Opening is refused with `expected`, and neither the file nor its folder changed.
  void ExpectRefused(VolumeStatus expected) {
    const std::string before = ReadBytes(file());
    const auto listing = Listing(folder_.path());
    auto opened = ObjectStore::OpenVolume(file());
    EXPECT_EQ(opened.status, expected)
        << "got " << ToString(opened.status) << ": " << opened.detail;
    EXPECT_EQ(opened.store, nullptr);
    EXPECT_TRUE(ReadBytes(file()) == before) << "the file was changed";
    EXPECT_EQ(Listing(folder_.path()), listing) << "something was created beside the file";
  }

  TempFolder folder_;
};

TEST_F(DamagedVolumeTest, BytesThatAreNotAVolumeAreRefusedAsDamaged) {
  WriteBytes(file(), RandomBytes(8192, 1));
  ExpectRefused(VolumeStatus::Damaged);
  WriteBytes(file(), "");
  ExpectRefused(VolumeStatus::Damaged);
  WriteBytes(file(), "SQLite format 3");
  ExpectRefused(VolumeStatus::Damaged);
}

TEST_F(DamagedVolumeTest, TruncatedAndOverwrittenVolumesAreRefusedAsDamaged) {
  const std::string healthy = HealthyBytes();
  ASSERT_GT(healthy.size(), 40000u);
  WriteBytes(file(), healthy.substr(0, healthy.size() / 2));
  ExpectRefused(VolumeStatus::Damaged);
  WriteBytes(file(), healthy.substr(0, 60));
  ExpectRefused(VolumeStatus::Damaged);
  WriteBytes(file(), healthy.substr(0, healthy.size() / 2 + 1000));  // not on a page boundary
  ExpectRefused(VolumeStatus::Damaged);

  std::string overwritten = healthy;
  const std::string noise = RandomBytes(overwritten.size() / 3, 2);
  overwritten.replace(overwritten.size() / 3, noise.size(), noise);
  WriteBytes(file(), overwritten);
  ExpectRefused(VolumeStatus::Damaged);
}

TEST_F(DamagedVolumeTest, AnotherProgramsFileIsRefusedAsForeign) {
  std::string patched = HealthyBytes();
  PutBigEndian32(patched, 68, 0x12345678);  // application_id
  WriteBytes(file(), patched);
  ExpectRefused(VolumeStatus::Foreign);

  std::filesystem::remove(file());
  if (!testing::RunSqliteProgram(file(),
                                 "PRAGMA journal_mode=WAL; CREATE TABLE notes(body TEXT);"
                                 "INSERT INTO notes VALUES('keep me');")) {
    GTEST_SKIP() << "the sqlite3 program is not installed; the patched header case ran";
  }
  ExpectRefused(VolumeStatus::Foreign);
}

TEST_F(DamagedVolumeTest, AVolumeOfALaterVersionIsRefusedAsNewer) {
  std::string patched = HealthyBytes();
  PutBigEndian32(patched, 60, 2);  // user_version
  WriteBytes(file(), patched);
  ExpectRefused(VolumeStatus::Newer);

  PutBigEndian32(patched, 60, 0);  // ours, but never finished
  WriteBytes(file(), patched);
  ExpectRefused(VolumeStatus::Damaged);
}

TEST_F(DamagedVolumeTest, OurMarksOnAFileWithoutOurTablesAreRefusedAsDamaged) {
  if (!testing::RunSqliteProgram(file(),
                                 "PRAGMA application_id=1364543812; PRAGMA user_version=1;"
                                 "CREATE TABLE databases(x);")) {
    GTEST_SKIP() << "the sqlite3 program is not installed";
  }
  ExpectRefused(VolumeStatus::Damaged);
}

TEST_F(DamagedVolumeTest, SomethingThatIsNotAFileIsRefusedAsUnreadable) {
  std::filesystem::create_directory(file());
  const auto listing = Listing(folder_.path());
  auto opened = ObjectStore::OpenVolume(file());
  EXPECT_EQ(opened.status, VolumeStatus::Unreadable);
  EXPECT_TRUE(std::filesystem::is_directory(file()));
  EXPECT_EQ(Listing(folder_.path()), listing);
}

TEST_F(DamagedVolumeTest, AHealthyVolumeStillOpensAfterTheChecks) {
  WriteBytes(file(), HealthyBytes());
  auto opened = ObjectStore::OpenVolume(file());
  ASSERT_EQ(opened.status, VolumeStatus::Opened) << opened.detail;
  EXPECT_EQ(opened.store->OpenDatabase(u"money").handle.RecordCount(), 2000u);
}

}  // namespace
}  // namespace quidora::platform
