// The settings record in the registry: defaults, accepted ranges, write order and keeping
// the last account.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "platform/io_faults.h"
#include "platform/registry.h"
#include "store/settings.h"
#include "store_fixture.h"

namespace quidora::testing {
namespace {

using platform::Registry;

constexpr char kSettingsKey[] = "[HKEY_LOCAL_MACHINE\\Software\\Vesko\\Quidora\\Settings]\n";

std::string ReadFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

Settings ReadFrom(std::string_view registryText) {
  Registry registry = Registry::Parse(registryText);
  Settings settings;
  EXPECT_TRUE(ReadSettings(registry, settings, u"Vesko", u"Quidora"));
  return settings;
}

class SettingsTest : public ::testing::Test {
 protected:
  std::filesystem::path File() const { return home_.path() / "registry.reg"; }
  TempFolder home_;
};

TEST_F(SettingsTest, NoKeysGiveTheDefaultsAndTheFirstExitWritesEveryValue) {
  Registry registry = Registry::Load(File());
  Settings settings;
  ASSERT_TRUE(ReadSettings(registry, settings, u"Vesko", u"Quidora"));
  EXPECT_EQ(settings.sortOrder, 2u);
  EXPECT_EQ(settings.exportFileFolder, 1u);
  EXPECT_EQ(settings.sort + settings.sortRapport + settings.sortOrderRapport +
                settings.sortAccountsBook + settings.sortOrderAccountsBook + settings.sortABalance +
                settings.sortOrderABalance + settings.dateTypeView + settings.moneyTypeView +
                settings.exportFileType + settings.catRecsApply + settings.majorVersion +
                settings.minorVersion,
            0u);
  EXPECT_FALSE(settings.lastAccount.has_value());
  EXPECT_EQ(settings.maker, u"Vesko");
  EXPECT_EQ(settings.product, u"Quidora");

  ASSERT_TRUE(SetLastAccount(settings, u"Cash"));
  ASSERT_TRUE(WriteSettings(registry, settings));
  EXPECT_EQ(ReadFile(File()),
            ReadFile(std::filesystem::path(QUIDORA_STORE_GOLDEN) / "first_exit.reg"));
}

TEST_F(SettingsTest, RoundTripKeepsEveryValue) {
  Settings written;
  written.maker = u"Vesko";
  written.product = u"Quidora";
  written.majorVersion = 2;
  written.minorVersion = 99;
  written.sort = 0;
  written.sortOrder = 1;
  written.sortRapport = 1;
  written.sortOrderRapport = 2;
  written.sortAccountsBook = 1;
  written.sortOrderAccountsBook = 1;
  written.sortABalance = 1;
  written.sortOrderABalance = 2;
  written.dateTypeView = 3;
  written.moneyTypeView = 1;
  written.exportFileType = 1;
  written.exportFileFolder = 0;
  written.catRecsApply = 1;
  written.lastAccount = u"Caf\u00e9 \"two\" \\ 40 chars ------------------";
  ASSERT_EQ(written.lastAccount->size(), 40u);
  {
    Registry registry = Registry::Load(File());
    ASSERT_TRUE(WriteSettings(registry, written));
  }
  Registry registry = Registry::Load(File());
  Settings read;
  ASSERT_TRUE(ReadSettings(registry, read, u"Vesko", u"Quidora"));
  EXPECT_EQ(read.majorVersion, 2u);
  EXPECT_EQ(read.minorVersion, 99u);
  EXPECT_EQ(read.sortOrder, 1u);
  EXPECT_EQ(read.sortRapport, 1u);
  EXPECT_EQ(read.sortOrderRapport, 2u);
  EXPECT_EQ(read.sortAccountsBook, 1u);
  EXPECT_EQ(read.sortOrderAccountsBook, 1u);
  EXPECT_EQ(read.sortABalance, 1u);
  EXPECT_EQ(read.sortOrderABalance, 2u);
  EXPECT_EQ(read.dateTypeView, 3u);
  EXPECT_EQ(read.moneyTypeView, 1u);
  EXPECT_EQ(read.exportFileType, 1u);
  EXPECT_EQ(read.exportFileFolder, 0u);
  EXPECT_EQ(read.catRecsApply, 1u);
  EXPECT_EQ(read.lastAccount, written.lastAccount);
}

TEST_F(SettingsTest, ValuesOutOfRangeOrOfAnotherTypeKeepTheirDefaults) {
  const Settings settings = ReadFrom(std::string(kSettingsKey) +
                                     "\"Sort\"=dword:00000001\n"
                                     "\"SortOrder\"=dword:00000003\n"
                                     "\"DateTypeView\"=dword:00000004\n"
                                     "\"MoneyTypeView\"=\"1\"\n"
                                     "\"ExportFileFolder\"=dword:ffffffff\n"
                                     "\"CatRecsApply\"=hex(3):01,00,00,00\n"
                                     "\"SortRapport\"=dword:00000001\n");
  EXPECT_EQ(settings.sort, 0u);
  EXPECT_EQ(settings.sortOrder, 2u);
  EXPECT_EQ(settings.dateTypeView, 0u);
  EXPECT_EQ(settings.moneyTypeView, 0u);
  EXPECT_EQ(settings.exportFileFolder, 1u);
  EXPECT_EQ(settings.catRecsApply, 0u);
  EXPECT_EQ(settings.sortRapport, 1u);  // in range: taken

  const Settings asText = ReadFrom(std::string(kSettingsKey) + "\"DateTypeView\"=\"2\"\n");
  EXPECT_EQ(asText.dateTypeView, 0u);
  const Settings version = ReadFrom(
      "[HKEY_LOCAL_MACHINE\\Software\\Vesko\\Quidora]\n"
      "\"MajorVersion\"=dword:00000003\n\"MinorVersion\"=dword:00000063\n");
  EXPECT_EQ(version.majorVersion, 0u);
  EXPECT_EQ(version.minorVersion, 99u);
}

TEST_F(SettingsTest, LastAccountOfFortyOneCharactersOrNotTextIsNone) {
  const std::string forty(40, 'a');
  EXPECT_EQ(ReadFrom(std::string(kSettingsKey) + "\"LastAccount\"=\"" + forty + "\"\n").lastAccount,
            std::u16string(40, u'a'));
  EXPECT_FALSE(ReadFrom(std::string(kSettingsKey) + "\"LastAccount\"=\"" + forty + "b\"\n")
                   .lastAccount.has_value());
  EXPECT_FALSE(ReadFrom(std::string(kSettingsKey) + "\"LastAccount\"=dword:00000001\n")
                   .lastAccount.has_value());
}

TEST_F(SettingsTest, RunWithoutCurrentAccountKeepsTheStoredLastAccount) {
  {
    Registry registry = Registry::Load(File());
    Settings first;
    ASSERT_TRUE(ReadSettings(registry, first, u"Vesko", u"Quidora"));
    ASSERT_TRUE(SetLastAccount(first, u"Cash"));
    ASSERT_TRUE(WriteSettings(registry, first));
  }
  Registry registry = Registry::Load(File());
  Settings second;
  second.maker = u"Vesko";
  second.product = u"Quidora";
  EXPECT_FALSE(SetLastAccount(second, std::nullopt));  // no current account name
  EXPECT_FALSE(second.lastAccount.has_value());
  ASSERT_TRUE(WriteSettings(registry, second));
  second.lastAccount = u"";
  ASSERT_TRUE(WriteSettings(registry, second));
  Registry reread = Registry::Load(File());
  Settings third;
  ASSERT_TRUE(ReadSettings(reread, third, u"Vesko", u"Quidora"));
  EXPECT_EQ(third.lastAccount, u"Cash");
}

TEST_F(SettingsTest, MissingKeyWordsReadNothingAndWriteNothing) {
  Registry registry = Registry::Parse(std::string(kSettingsKey) + "\"SortOrder\"=dword:0\n");
  Settings settings;
  EXPECT_FALSE(ReadSettings(registry, settings, u"", u"Quidora"));
  EXPECT_EQ(settings.sortOrder, 2u);
  EXPECT_FALSE(WriteSettings(registry, settings));
  EXPECT_FALSE(std::filesystem::exists(File()));
}

TEST_F(SettingsTest, FailedWriteKeepsTheOldFileAndTheNextWriteWorks) {
  platform::IoFaults faults;
  Settings settings;
  {
    Registry registry = Registry::Load(File(), &faults);
    ASSERT_TRUE(ReadSettings(registry, settings, u"Vesko", u"Quidora"));
    ASSERT_TRUE(WriteSettings(registry, settings));
  }
  const std::string before = ReadFile(File());
  for (platform::IoOp op : {platform::IoOp::Write, platform::IoOp::Sync, platform::IoOp::Rename}) {
    Registry registry = Registry::Load(File(), &faults);
    settings.dateTypeView = 2;
    faults.FailAfter(op, 0, platform::IoFault::NoSpace);
    EXPECT_FALSE(WriteSettings(registry, settings));
    faults.Clear();
    EXPECT_EQ(ReadFile(File()), before);
  }
  Registry registry = Registry::Load(File(), &faults);
  ASSERT_TRUE(WriteSettings(registry, settings));
  EXPECT_NE(ReadFile(File()).find("\"DateTypeView\"=dword:00000002"), std::string::npos);
}

}  // namespace
}  // namespace quidora::testing
