#include "platform/locations.h"
#include "platform/leftovers.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <map>

#include "temp_folder.h"

namespace quidora::platform {
namespace {

using testing::TempFolder;

EnvironmentLookup Env(std::map<std::string, std::string> values) {
  return [values = std::move(values)](const char* name) -> const char* {
    const auto found = values.find(name);
    return found == values.end() ? nullptr : found->second.c_str();
  };
}

TEST(LocationsTest, DefaultsFollowTheDataHomeAndTheDocumentsFolder) {
  auto locations = ResolveDeviceLocations(Env({{"HOME", "/home/ann"}}));
  ASSERT_TRUE(locations.has_value());
  EXPECT_EQ(locations->objectStore, "/home/ann/.local/share/quidora/objectstore.db");
  EXPECT_EQ(locations->registry, "/home/ann/.local/share/quidora/registry.reg");
  EXPECT_EQ(locations->business, "/home/ann/Documents/Quidora/Business");
  EXPECT_EQ(locations->personal, "/home/ann/Documents/Quidora/Personal");

  locations = ResolveDeviceLocations(Env({{"HOME", "/home/ann"}, {"XDG_DATA_HOME", "/data/"}}));
  EXPECT_EQ(locations->objectStore, "/data/quidora/objectstore.db");
  locations = ResolveDeviceLocations(Env({{"HOME", "/home/ann"}, {"XDG_DATA_HOME", "rel"}}));
  EXPECT_EQ(locations->objectStore, "/home/ann/.local/share/quidora/objectstore.db")
      << "a relative data home is ignored";
  EXPECT_FALSE(ResolveDeviceLocations(Env({})).has_value());
  EXPECT_FALSE(ResolveDeviceLocations(Env({{"HOME", ""}})).has_value());
}

TEST(LocationsTest, OneFolderHoldsTheWholeDeviceWhenGiven) {
  const auto locations =
      ResolveDeviceLocations(Env({{"HOME", "/home/ann"}, {"QUIDORA_HOME", "/tmp/dev"}}));
  ASSERT_TRUE(locations.has_value());
  EXPECT_EQ(locations->objectStore, "/tmp/dev/objectstore.db");
  EXPECT_EQ(locations->registry, "/tmp/dev/registry.reg");
  EXPECT_EQ(locations->business, "/tmp/dev/Documents/Business");
  EXPECT_EQ(locations->personal, "/tmp/dev/Documents/Personal");
}

TEST(LocationsTest, AnEmptyHomeIsUnsetAndARelativeOneStartsAtTheWorkingFolder) {
  const auto unset = ResolveDeviceLocations(Env({{"HOME", "/home/ann"}, {"QUIDORA_HOME", ""}}));
  ASSERT_TRUE(unset.has_value());
  EXPECT_EQ(unset->dataFolder, "/home/ann/.local/share/quidora");

  const auto relative = ResolveDeviceLocations(
      Env({{"HOME", "/home/ann"}, {"QUIDORA_HOME", "dev/../portable"}}), "/media/stick");
  ASSERT_TRUE(relative.has_value());
  EXPECT_EQ(relative->objectStore, "/media/stick/portable/objectstore.db");
  EXPECT_EQ(relative->business, "/media/stick/portable/Documents/Business");
  EXPECT_FALSE(
      ResolveDeviceLocations(Env({{"HOME", "/home/ann"}, {"QUIDORA_HOME", "dev"}}), {}).has_value())
      << "without a working folder a relative home names nothing";
}

TEST(LocationsTest, ADataFolderTooLongForTheStoreIsToldApartWithoutCreatingIt) {
  TempFolder folder;
  const std::string base = folder.path().string();
  // A path of exactly `length` bytes below the folder, in parts of at most 60 bytes.
  auto deep = [&](std::size_t length) {
    std::string path = base;
    while (length - path.size() > 62) path += "/" + std::string(60, 'd');
    return std::filesystem::path(path + "/" + std::string(length - path.size() - 1, 'e'));
  };
  EXPECT_TRUE(DataFolderFits(deep(kMaxDataFolderPath)));
  EXPECT_FALSE(DataFolderFits(deep(kMaxDataFolderPath + 1)));
  EXPECT_TRUE(std::filesystem::is_empty(folder.path())) << "nothing was made";

  // A short path through a link to a long folder is as long as the folder.
  const std::filesystem::path longFolder = deep(kMaxDataFolderPath - 10);
  ASSERT_TRUE(MakePrivateFolders(longFolder));
  std::filesystem::create_directory_symlink(longFolder, folder / "short");
  EXPECT_TRUE(DataFolderFits(folder / "short" / "ok"));
  EXPECT_FALSE(DataFolderFits(folder / "short" / "much-too-long"));
}

TEST(LocationsTest, OnlyTheTemporaryFilesOfAKilledRunAreRemoved) {
  TempFolder folder;
  const auto locations = ResolveDeviceLocations(Env({{"QUIDORA_HOME", folder.path().string()}}));
  for (const char* name :
       {"objectstore.db.new-77-123", "objectstore.db.new-77-123-wal", "registry.reg.tmp-Ab12Cd",
        "objectstore.db", "objectstore.db-wal", "registry.reg", "registry.reg.damaged",
        "objectstore.db.new-", "notes.txt"}) {
    testing::WriteBytes(folder / name, "x");
  }
  std::filesystem::create_directory(folder / "registry.reg.tmp-folder");
  std::filesystem::create_symlink(folder / "notes.txt", folder / "registry.reg.tmp-link");


  // A killed export's hidden file in either document folder; around it, what only looks alike
  // or may still be written.
  ASSERT_TRUE(PrepareDevice(*locations));
  const auto past = std::filesystem::file_time_type::clock::now() - std::chrono::hours(1);
  const auto future = std::filesystem::file_time_type::clock::now() + std::chrono::hours(1);
  for (const auto& documents : {locations->business, locations->personal}) {
    for (const char* name : {".quidora-export-0123abcd.tmp", ".quidora-export-fresh.tmp",
                             ".quidora-export-.tmp", ".quidora-export-1.tmp.csv", "cash.csv"}) {
      testing::WriteBytes(documents / name, "x");
      std::filesystem::last_write_time(documents / name, past);
    }
    std::filesystem::last_write_time(documents / ".quidora-export-fresh.tmp", future);
    std::filesystem::create_directory(documents / ".quidora-export-folder.tmp");
    std::filesystem::create_symlink(documents / "cash.csv", documents / ".quidora-export-l.tmp");
    testing::WriteBytes(documents / ".quidora-export-other.tmp", "x");
    std::filesystem::last_write_time(documents / ".quidora-export-other.tmp", past);
    // Another user's file is not ours to remove (only root can make one here).
    if (::chown((documents / ".quidora-export-other.tmp").c_str(), 65534, 65534) != 0) {
      std::filesystem::remove(documents / ".quidora-export-other.tmp");
    }
  }

  EXPECT_EQ(RemoveLeftoverFiles(*locations).size(), 6u);
  EXPECT_EQ(testing::Listing(folder.path()),
            (std::vector<std::string>{"Documents", "notes.txt", "objectstore.db",
                                      "objectstore.db-wal", "objectstore.db.new-", "registry.reg",
                                      "registry.reg.damaged", "registry.reg.tmp-folder"}));
  for (const auto& documents : {locations->business, locations->personal}) {
    EXPECT_FALSE(std::filesystem::exists(documents / ".quidora-export-0123abcd.tmp"));
    for (const char* kept : {".quidora-export-fresh.tmp", ".quidora-export-.tmp",
                             ".quidora-export-1.tmp.csv", "cash.csv", ".quidora-export-folder.tmp",
                             ".quidora-export-l.tmp"}) {
      EXPECT_TRUE(std::filesystem::symlink_status(documents / kept).type() !=
                  std::filesystem::file_type::not_found)
          << documents / kept;
    }
    if (::geteuid() == 0) {
      EXPECT_TRUE(std::filesystem::exists(documents / ".quidora-export-other.tmp"));
    }
  }
}

TEST(LocationsTest, ANewDeviceGetsPrivateFolders) {
  TempFolder folder;
  const auto home = folder / "home";
  const auto locations = ResolveDeviceLocations(Env({{"QUIDORA_HOME", home.string()}}));
  ASSERT_TRUE(PrepareDevice(*locations));
  for (const auto& path : {home, home / "Documents", locations->business, locations->personal}) {
    struct stat info {};
    ASSERT_EQ(stat(path.c_str(), &info), 0) << path;
    EXPECT_EQ(info.st_mode & 0777, 0700u) << path;
  }
  EXPECT_TRUE(IsPlainWritableFolder(locations->business));
  EXPECT_TRUE(PrepareDevice(*locations)) << "a second start finds them";

  std::filesystem::remove(locations->personal);
  testing::WriteBytes(locations->personal, "a file in the way");
  EXPECT_FALSE(PrepareDevice(*locations));
}

TEST(LocationsTest, OnlyAPlainWritableDirectoryCountsAsPresent) {
  TempFolder folder;
  EXPECT_FALSE(IsPlainWritableFolder(folder / "missing"));
  testing::WriteBytes(folder / "file", "x");
  EXPECT_FALSE(IsPlainWritableFolder(folder / "file"));
  std::filesystem::create_directory(folder / "real");
  std::filesystem::create_directory_symlink(folder / "real", folder / "link");
  EXPECT_TRUE(IsPlainWritableFolder(folder / "real"));
  EXPECT_FALSE(IsPlainWritableFolder(folder / "link"));
  if (geteuid() != 0) {  // root may write anywhere
    std::filesystem::permissions(
        folder / "real", std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    EXPECT_FALSE(IsPlainWritableFolder(folder / "real"));
  }
}

TEST(LocationsTest, DevicePathsMapIntoTheirFolderAndNeverOutOfIt) {
  const auto locations = ResolveDeviceLocations(Env({{"QUIDORA_HOME", "/d"}}));
  EXPECT_EQ(MapDevicePath(u"\\My Documents\\Business", *locations), "/d/Documents/Business");
  EXPECT_EQ(MapDevicePath(u"\\my documents\\PERSONAL\\Trans 2005.csv", *locations),
            "/d/Documents/Personal/Trans 2005.csv");
  EXPECT_EQ(MapDevicePath(u"\\My Documents\\Personal\\caf\x00E9 \xD83D\xDE00.csv", *locations),
            "/d/Documents/Personal/caf\xC3\xA9 \xF0\x9F\x98\x80.csv");
  for (std::u16string_view refused :
       {u"", u"My Documents\\Business", u"\\My Documents", u"\\My Documents\\Other\\a.csv",
        u"\\Windows\\a.csv", u"\\My Documents\\Business\\..\\..\\x", u"\\My Documents\\Business\\.",
        u"\\My Documents\\Business\\a/../../b", u"\\My Documents\\Business\\\\a",
        u"\\My Documents\\Business\\a\\", u"\\My Documents\\Business\\\xD800.csv"}) {
    EXPECT_FALSE(MapDevicePath(refused, *locations).has_value())
        << std::string(refused.begin(), refused.end());
  }
  EXPECT_FALSE(
      MapDevicePath(std::u16string(u"\\My Documents\\Business\\a\0b", 26), *locations).has_value());
}

}  // namespace
}  // namespace quidora::platform
