#include "platform/locations.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

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
  EXPECT_FALSE(ResolveDeviceLocations(Env({{"HOME", "/home/ann"}, {"QUIDORA_HOME", "dev"}}), {})
                   .has_value())
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
