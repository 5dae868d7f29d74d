#include "platform/registry.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <future>

#include "platform/io_faults.h"
#include "temp_folder.h"

namespace quidora::platform {
namespace {

using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

constexpr std::u16string_view kSettings = u"Software\\Vesko\\Quidora\\Settings";
constexpr auto kMachine = RegistryRoot::LocalMachine;

std::optional<RegistryValue> Query(Registry& registry, std::u16string_view path,
                                   std::u16string_view name) {
  auto key = registry.OpenKey(kMachine, path);
  if (!key) return std::nullopt;
  return key->QueryValue(name);
}

TEST(RegistryTest, ValuesKeepTheirTypesThroughTheFile) {
  TempFolder folder;
  const auto file = folder / "registry.reg";
  {
    Registry registry = Registry::Load(file);
    auto key = registry.CreateKey(kMachine, kSettings);
    ASSERT_TRUE(key.has_value());
    EXPECT_TRUE(key->SetDword(u"SortOrder", 2));
    EXPECT_TRUE(key->SetDword(u"Big", 0xFFFFFFFF));
    EXPECT_TRUE(key->SetString(u"LastAccount", u"Caf\x00E9 \"Box\" \\ \t\x0001 \xD83D\xDE00"));
    EXPECT_TRUE(key->SetString(u"Lone", std::u16string(u"a\xDC00", 2)));
    EXPECT_TRUE(key->SetValue(u"Blob", RegistryValue{3, {0x00, 0xFF, 0x10}}));
    EXPECT_TRUE(key->SetValue(u"Odd string", RegistryValue{kRegString, {'a', 0, 'b'}}));
    EXPECT_TRUE(key->Close());
    auto far = registry.CreateKey(kMachine, u"Software\\Caf\x00E9\\\xD83D\xDE00");
    ASSERT_TRUE(far.has_value());
    EXPECT_TRUE(far->SetDword(u"N", 1));
    EXPECT_TRUE(far->Close());
  }
  struct stat info {};
  ASSERT_EQ(stat(file.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);

  const std::string text = ReadBytes(file);
  EXPECT_NE(text.find("[HKEY_LOCAL_MACHINE\\Software\\Vesko\\Quidora\\Settings]\n"),
            std::string::npos);
  EXPECT_NE(text.find("\"SortOrder\"=dword:00000002\n"), std::string::npos);
  EXPECT_NE(
      text.find("\"LastAccount\"=\"Caf\xC3\xA9 \\\"Box\\\" \\\\ \\t\\u0001 \xF0\x9F\x98\x80\"\n"),
      std::string::npos)
      << text;
  EXPECT_NE(text.find("\"Blob\"=hex(3):00,ff,10\n"), std::string::npos);
  EXPECT_NE(text.find("[HKEY_LOCAL_MACHINE\\Software\\Caf\xC3\xA9\\\xF0\x9F\x98\x80]\n"),
            std::string::npos);

  Registry again = Registry::Load(file);
  EXPECT_EQ(again.DamagedLines(), 0);
  EXPECT_EQ(Query(again, kSettings, u"SortOrder")->AsDword(), 2u);
  EXPECT_EQ(Query(again, kSettings, u"Big")->AsDword(), 0xFFFFFFFFu);
  EXPECT_EQ(Query(again, kSettings, u"LastAccount")->AsString(),
            u"Caf\x00E9 \"Box\" \\ \t\x0001 \xD83D\xDE00");
  EXPECT_EQ(Query(again, kSettings, u"Lone")->AsString(), std::u16string(u"a\xDC00", 2));
  EXPECT_EQ(Query(again, kSettings, u"Blob"), (RegistryValue{3, {0x00, 0xFF, 0x10}}));
  EXPECT_EQ(Query(again, kSettings, u"Odd string"), (RegistryValue{kRegString, {'a', 0, 'b'}}));
  EXPECT_EQ(Query(again, u"SOFTWARE\\caf\x00E9\\\xD83D\xDE00", u"n")->AsDword(), 1u)
      << "ASCII letters match in either case, the others as they are";
  EXPECT_FALSE(again.OpenKey(kMachine, u"Software\\CAF\x00C9\\\xD83D\xDE00").has_value());
  EXPECT_EQ(again.Serialize(), text) << "reading and writing again changes nothing";
}

TEST(RegistryTest, AStringValueCarriesItsTerminatorAsTheDeviceReturnsIt) {
  Registry registry = Registry::Parse("[HKEY_LOCAL_MACHINE\\K]\n\"A\"=\"ab\"\n\"E\"=\"\"\n");
  EXPECT_EQ(Query(registry, u"K", u"A"), (RegistryValue{kRegString, {'a', 0, 'b', 0, 0, 0}}));
  EXPECT_EQ(Query(registry, u"K", u"E")->data.size(), 2u);
  EXPECT_EQ(Query(registry, u"K", u"A")->AsDword(), std::nullopt);
  EXPECT_EQ(Query(registry, u"K", u"Missing"), std::nullopt);
}

TEST(RegistryTest, DamagedLinesAreIgnoredAndTheRestIsRead) {
  Registry registry = Registry::Parse(
      "\"Orphan\"=dword:1\n"  // no key yet
      "[HKEY_LOCAL_MACHINE\\Software\\Vesko\\Quidora\\Settings]\r\n"
      "\"Sort\"=dword:00000001\r\n"
      "\"SortOrder\"=dword:123456789\n"  // 9 digits: out of range
      "\"DateTypeView\"=dword:-1\n"
      "\"MoneyTypeView\"=qword:0000000000000001\n"  // unknown type
      "\"ExportFileType\"=dword:0000000g\n"
      "\"Unclosed=dword:1\n"
      "\"BadEscape\"=\"a\\qb\"\n"
      "\"Trailing\"=\"a\" junk\n"
      "\"BadUtf8\"=\"\xC3\x28\"\n"
      "\"Overlong\"=\"\xC0\xAF\"\n"
      "\"CutShort\"=\"\xF0\x9F\x98\"\n"
      "\"Hex\"=hex(4):01,02,0\n"
      "\"Hex2\"=hex(x):01\n"
      "   \"CatRecsApply\"  =  dword:1  \n"
      "garbage line\n"
      "[HKEY_NOWHERE\\Software]\n"
      "\"LostValue\"=dword:5\n"  // belongs to the refused key
      "[HKEY_LOCAL_MACHINE\\Software\\\\Double]\n"
      "[HKEY_LOCAL_MACHINE\\Bad\xC3\x28]\n"
      "[HKEY_LOCAL_MACHINE\\software\\vesko\\quidora\\settings]\n"
      "\"sort\"=dword:00000000\n"  // same key, same value: later wins
      "\"ExportFileFolder\"=hex:\n");
  EXPECT_EQ(registry.DamagedLines(), 18);
  auto key = registry.OpenKey(kMachine, kSettings);
  ASSERT_TRUE(key.has_value());
  EXPECT_EQ(key->QueryValue(u"Sort")->AsDword(), 0u);
  EXPECT_EQ(key->QueryValue(u"CatRecsApply")->AsDword(), 1u);
  EXPECT_EQ(key->QueryValue(u"ExportFileFolder"), (RegistryValue{kRegBinary, {}}));
  for (std::u16string_view name : {u"SortOrder", u"DateTypeView", u"MoneyTypeView",
                                   u"ExportFileType", u"Hex", u"Orphan", u"LostValue"}) {
    EXPECT_FALSE(key->QueryValue(name).has_value()) << std::string(name.begin(), name.end());
  }
  EXPECT_FALSE(registry.OpenKey(kMachine, u"Software").has_value());
}

TEST(RegistryTest, KeysOpenedForReadingCannotWriteAndNothingUnchangedIsRewritten) {
  TempFolder folder;
  const auto file = folder / "registry.reg";
  IoFaults faults;
  {
    Registry registry = Registry::Load(file, &faults);
    EXPECT_FALSE(registry.OpenKey(kMachine, kSettings).has_value()) << "no key before creation";
    EXPECT_FALSE(registry.CreateKey(kMachine, u"").has_value());
    EXPECT_FALSE(registry.CreateKey(kMachine, u"A\\\\B").has_value());
    EXPECT_FALSE(registry.CreateKey(kMachine, u"A\\").has_value());
    auto key = registry.CreateKey(kMachine, kSettings);
    key->SetDword(u"Sort", 0);
    EXPECT_TRUE(key->Close());
  }
  EXPECT_EQ(faults.Count(IoOp::Rename), 1);
  Registry registry = Registry::Load(file, &faults);
  auto reader = registry.OpenKey(kMachine, kSettings);
  ASSERT_TRUE(reader.has_value());
  EXPECT_FALSE(reader->SetDword(u"Sort", 1));
  EXPECT_TRUE(reader->Close());
  auto writer = registry.CreateKey(kMachine, kSettings);
  EXPECT_TRUE(writer->SetDword(u"SORT", 0));
  EXPECT_TRUE(writer->Close());
  EXPECT_EQ(faults.Count(IoOp::Rename), 1) << "writing the same values does not touch the file";
  EXPECT_TRUE(registry.Flush());
}

TEST(RegistryTest, ADamagedFileLoadsAsDefaultsAndIsKeptBesideTheNewOne) {
  TempFolder folder;
  const auto file = folder / "registry.reg";
  std::string junk;
  for (int i = 0; i < 3000; ++i) junk += static_cast<char>((i * 7919 + 13) % 256);
  WriteBytes(file, junk);
  Registry registry = Registry::Load(file);
  EXPECT_GT(registry.DamagedLines(), 0);
  EXPECT_FALSE(registry.OpenKey(kMachine, kSettings).has_value());
  {
    auto key = registry.CreateKey(kMachine, kSettings);
    key->SetDword(u"Sort", 0);
    EXPECT_TRUE(key->Close());
  }
  EXPECT_EQ(ReadBytes(folder / "registry.reg.damaged"), junk);
  EXPECT_EQ(Registry::Load(file).DamagedLines(), 0);

  EXPECT_EQ(registry.SetAsideCopy(), folder / "registry.reg.damaged");

  // Every damaged original is kept: later ones take the next free number, none is replaced.
  for (const std::string number : {"2", "3"}) {
    WriteBytes(file, "nonsense " + number + "\n");
    Registry later = Registry::Load(file);
    later.CreateKey(kMachine, u"X")->SetDword(u"A", 1);
    EXPECT_TRUE(later.Flush());
    EXPECT_EQ(later.SetAsideCopy(), folder / ("registry.reg.damaged-" + number));
    EXPECT_EQ(ReadBytes(folder / ("registry.reg.damaged-" + number)), "nonsense " + number + "\n");
  }
  EXPECT_EQ(ReadBytes(folder / "registry.reg.damaged"), junk);
  Registry clean = Registry::Load(file);
  clean.CreateKey(kMachine, u"X")->SetDword(u"A", 2);
  EXPECT_TRUE(clean.Flush());
  EXPECT_EQ(clean.SetAsideCopy(), std::filesystem::path()) << "a sound file is not set aside";
}

TEST(RegistryTest, AFileThatIsNotAFileLoadsEmpty) {
  TempFolder folder;
  std::filesystem::create_directory(folder / "registry.reg");
  Registry registry = Registry::Load(folder / "registry.reg");
  EXPECT_FALSE(registry.LoadedCleanly());
  EXPECT_EQ(registry.LoadProblem(), "is not a regular file");
  registry.CreateKey(kMachine, u"X")->SetDword(u"A", 1);
  EXPECT_FALSE(registry.Flush()) << "a folder in the way is not replaced";
  EXPECT_TRUE(std::filesystem::is_directory(folder / "registry.reg"));
}

TEST(RegistryTest, AFifoOrADeviceInPlaceOfTheFileIsRefusedAtOnce) {
  TempFolder folder;
  const auto fifo = folder / "fifo.reg";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  auto load = std::async(std::launch::async, [&] { return Registry::Load(fifo); });
  if (load.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
    ADD_FAILURE() << "the load waits for a writer";
    // Let the waiting open go on, so that the test can end.
    const int writer = open(fifo.c_str(), O_WRONLY | O_CLOEXEC);
    if (writer >= 0) close(writer);
  }
  Registry fromFifo = load.get();
  EXPECT_FALSE(fromFifo.LoadedCleanly());
  EXPECT_EQ(fromFifo.LoadProblem(), "is not a regular file");

  // A device that never ends, reached through a link.
  std::filesystem::create_symlink("/dev/zero", folder / "zero.reg");
  Registry fromDevice = Registry::Load(folder / "zero.reg");
  EXPECT_FALSE(fromDevice.LoadedCleanly());
  EXPECT_EQ(fromDevice.LoadProblem(), "is not a regular file");
}

TEST(RegistryTest, AFileAtItsSizeCapKeepsEveryValueAndTheLastSpellingWins) {
  constexpr int kValues = 160'000;
  std::string text = "[HKEY_LOCAL_MACHINE\\Big]\n";
  for (int i = 0; i < kValues; ++i) {
    text += "\"v" + std::to_string(i) + "\"=dword:" + std::to_string(i % 10) + "\n";
  }
  // Repeats in another case replace values of the key read earlier, and add nothing.
  text += "[hkey_local_machine\\BIG]\n\"V17\"=dword:ff\n\"v159999\"=\"last\"\n";
  for (int i = 0; i < 1000; ++i)
    text += "[HKEY_USERS\\K" + std::to_string(i) + "]\n\"a\"=dword:1\n";
  text += "[HKEY_USERS\\k999]\n\"A\"=dword:2\n";
  ASSERT_LT(text.size(), 4u << 20);

  Registry registry = Registry::Parse(text);
  EXPECT_EQ(registry.DamagedLines(), 0);
  auto big = registry.OpenKey(kMachine, u"big");
  ASSERT_TRUE(big.has_value());
  EXPECT_EQ(big->QueryValue(u"v0")->AsDword(), 0u);
  EXPECT_EQ(big->QueryValue(u"v17")->AsDword(), 0xFFu);
  EXPECT_EQ(big->QueryValue(u"v123456")->AsDword(), 6u);
  EXPECT_EQ(big->QueryValue(u"v159999")->AsString(), u"last");
  EXPECT_EQ(registry.OpenKey(RegistryRoot::Users, u"K999")->QueryValue(u"a")->AsDword(), 2u);
  EXPECT_FALSE(registry.OpenKey(kMachine, u"K999").has_value()) << "roots are kept apart";

  const std::string written = registry.Serialize();
  std::size_t values = 0;
  for (std::size_t at = written.find("\"="); at != std::string::npos;
       at = written.find("\"=", at + 1)) {
    ++values;
  }
  EXPECT_EQ(values, static_cast<std::size_t>(kValues) + 1000);
  EXPECT_EQ(written.find("V17"), std::string::npos) << "the first spelling of a name is kept";
}

}  // namespace
}  // namespace quidora::platform
