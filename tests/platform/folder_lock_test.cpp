#include "platform/folder_lock.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "temp_folder.h"

namespace quidora::platform {
namespace {

using testing::TempFolder;

// One holder at a time, whatever path names the folder; the lock ends with its holder and the
// lock file stays behind, private to the user.
TEST(FolderLockTest, OneHolderAtATimeThroughAnyPath) {
  TempFolder folder;
  const auto link = folder / "link";
  std::filesystem::create_directory(folder / "data");
  std::filesystem::create_directory_symlink(folder / "data", link);

  FolderLock first;
  ASSERT_EQ(first.Acquire((folder / "data").string()), FolderLock::Outcome::Held);
  FolderLock second;
  EXPECT_EQ(second.Acquire(link.string()), FolderLock::Outcome::Busy);
  EXPECT_FALSE(second.Held());

  FolderLock moved = std::move(first);
  EXPECT_FALSE(first.Held());
  EXPECT_EQ(second.Acquire(link.string()), FolderLock::Outcome::Busy);
  moved.Release();
  EXPECT_EQ(second.Acquire(link.string()), FolderLock::Outcome::Held);

  struct stat info {};
  ASSERT_EQ(lstat((folder / "data" / kFolderLockName).c_str(), &info), 0);
  EXPECT_TRUE(S_ISREG(info.st_mode));
  EXPECT_EQ(info.st_mode & 0777, 0600u);
}

// A link planted under the lock's name is never followed, and a missing folder is not made.
TEST(FolderLockTest, RefusesALinkedLockFileAndAMissingFolder) {
  TempFolder folder;
  std::filesystem::create_symlink(folder / "elsewhere", folder / kFolderLockName);
  FolderLock lock;
  EXPECT_EQ(lock.Acquire(folder.path().string()), FolderLock::Outcome::Failed);
  EXPECT_NE(lock.Problem().find(kFolderLockName), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(folder / "elsewhere"));

  EXPECT_EQ(lock.Acquire((folder / "missing").string()), FolderLock::Outcome::Failed);
  EXPECT_FALSE(std::filesystem::exists(folder / "missing"));
}

}  // namespace
}  // namespace quidora::platform
