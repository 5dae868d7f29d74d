// The writers as the dialogs and the command-line tool use them: where the file goes, the
// replace question, refused names and folders, links, and failures at every step leaving what
// was there exactly as it was.
#include "export/export_writers.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <string>

#include "core/record_list.h"
#include "export/export_file.h"
#include "platform/io_faults.h"
#include "resources/strings/string_table.h"
#include "scripted_messages.h"
#include "tests/platform/temp_folder.h"

namespace quidora {
namespace {

namespace fs = std::filesystem;
using platform::IoFault;
using platform::IoFaults;
using platform::IoOp;
using platform::testing::Listing;
using platform::testing::ReadBytes;
using platform::testing::TempFolder;
using platform::testing::WriteBytes;
using testing::ScriptedMessages;

const std::u16string kExists(LoadString(StringId::ExportFileExists));
const std::u16string kCannotDelete(LoadString(StringId::ExportCannotDelete));
const std::u16string kCannotCreate(LoadString(StringId::ExportCannotCreate));
const std::u16string kWriteFailed(LoadString(StringId::ExportWriteFailed));

class ExportWritersTest : public ::testing::Test {
 protected:
  ExportWritersTest() {
    const std::string home = (temp / "home").string();
    locations = *platform::ResolveDeviceLocations([&](const char* name) {
      return std::string(name) == "QUIDORA_HOME" ? home.c_str() : nullptr;
    });
    EXPECT_TRUE(platform::PrepareDevice(locations));
    SystemTime today;
    today.year = 2005;
    today.month = 10;
    today.day = 31;
    MoneyRecord record;
    record.SetDate(today);
    record.SetCategory(u"Food");
    record.amount = 1250;
    record.SetAmount(1250);
    record.SetMemo(u"lunch");
    money.Append(std::move(record));
    file = {today, u"Cash", {money.begin(), money.end()}};
  }

  ExportResult Export(std::u16string_view name, std::uint32_t folder = kExportBusiness) {
    return ExportTransactions({name, folder, {}}, file, {locations, messages, &faults});
  }
  std::string Expected() const { return TransactionsCsv(file, {}); }

  TempFolder temp;
  platform::DeviceLocations locations;
  ScriptedMessages messages;
  IoFaults faults;
  MoneyList money;
  TransactionsFile file;
};

TEST_F(ExportWritersTest, WritesANewFileAndAsksBeforeReplacingOne) {
  EXPECT_EQ(ExportDevicePath(u"Spring 05", kExportBusiness),
            u"\\My Documents\\Business\\Spring 05.csv");
  EXPECT_EQ(ExportDevicePath(u"Spring 05", kExportPersonal),
            u"\\My Documents\\Personal\\Spring 05.csv");

  ASSERT_EQ(Export(u"Spring 05"), ExportResult::Written);
  const fs::path written = locations.business / "Spring 05.csv";
  EXPECT_EQ(ReadBytes(written), Expected());
  EXPECT_EQ(Listing(locations.business), std::vector<std::string>{"Spring 05.csv"})
      << "no temporary file is left";
  EXPECT_TRUE(Listing(locations.personal).empty());
  struct stat info {};
  ASSERT_EQ(::stat(written.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u) << "the device's files are the user's alone";

  // The same name again: No keeps the file, Yes replaces it and keeps the mode it had.
  WriteBytes(written, "old");
  const fs::perms shared = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
  fs::permissions(written, shared);
  messages.Expect(kExists, MessageAnswer::No);
  EXPECT_EQ(Export(u"Spring 05"), ExportResult::KeptExisting);
  EXPECT_EQ(ReadBytes(written), "old");
  messages.Expect(kExists, MessageAnswer::Yes);
  EXPECT_EQ(Export(u"Spring 05"), ExportResult::Written);
  EXPECT_EQ(ReadBytes(written), Expected());
  EXPECT_EQ(fs::status(written).permissions(), shared);
  fs::permissions(written, fs::perms::none);
  messages.Expect(kExists, MessageAnswer::Yes);
  EXPECT_EQ(Export(u"Spring 05"), ExportResult::Written);
  EXPECT_EQ(fs::status(written).permissions(), fs::perms::none) << "no access at all is a mode too";
  ASSERT_EQ(messages.log.size(), 3u);
  EXPECT_EQ(messages.log[0].icon, MessageIcon::Exclamation);
  EXPECT_EQ(messages.log[0].buttons, MessageButtons::YesNo);

  // An empty list writes the two heading lines only; the other folder, no question.
  file.records = {};
  ASSERT_EQ(Export(u"Spring 05", kExportPersonal), ExportResult::Written);
  const std::string headings = ReadBytes(locations.personal / "Spring 05.csv");
  EXPECT_EQ(headings,
            "\"Report Date: 31-10-05\",\"Account: Cash\"\r\n"
            "\"Date\",\"Category\",\"Amount\",\"Memo\"\r\n");
}

TEST_F(ExportWritersTest, RefusesWithoutAMessageWhatCannotBeWritten) {
  const fs::path outside = temp / "home" / "Documents";
  for (std::u16string_view name :
       {std::u16string_view(u""), std::u16string_view(u"../x"),
        std::u16string_view(u"..\\Personal\\x"), std::u16string_view(u"a\\b"),
        std::u16string_view(u"a\0b", 3), std::u16string_view(u"bad \xD800 half")}) {
    EXPECT_EQ(Export(name), ExportResult::Refused);
  }
  EXPECT_EQ(Export(u"x", 2), ExportResult::Refused);
  const ExportServices services{locations, messages, &faults};
  EXPECT_EQ(ExportCategoryReport({u"x", kExportBusiness, {}}, {}, services), ExportResult::Refused);
  EXPECT_EQ(ExportBalanceReport({u"x", kExportBusiness, {}}, {}, services), ExportResult::Refused);
  EXPECT_TRUE(Listing(locations.business).empty());
  EXPECT_EQ(Listing(outside), (std::vector<std::string>{"Business", "Personal"}));
  EXPECT_TRUE(messages.log.empty());
}

TEST_F(ExportWritersTest, AFolderCountsAsPresentOnlyWhenItIsAPlainFolder) {
  const std::u16string business(LoadString(StringId::ExportNoBusinessFolder));
  const std::u16string personal(LoadString(StringId::ExportNoPersonalFolder));

  // The box keeps its words; standard error says what is really in the way.
  const auto refusedSaying = [&](std::uint32_t folder, const std::string& said) {
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(Export(u"x", folder), ExportResult::FolderMissing);
    const std::string err = ::testing::internal::GetCapturedStderr();
    const fs::path& path = folder == kExportPersonal ? locations.personal : locations.business;
    EXPECT_EQ(err, "quidora: " + path.string() + " " + said + "\n");
  };
  fs::remove(locations.personal);
  messages.Expect(personal);
  refusedSaying(kExportPersonal, "does not exist");
  WriteBytes(locations.personal, "a file in its place");
  messages.Expect(personal);
  refusedSaying(kExportPersonal, "is a file, not a folder");
  fs::remove(locations.personal);
  ASSERT_EQ(::mkfifo(locations.personal.c_str(), 0600), 0);
  messages.Expect(personal);
  refusedSaying(kExportPersonal, "is a FIFO, not a folder");

  // A link to a real folder is not the folder.
  fs::rename(locations.business, temp / "real");
  fs::create_directory_symlink(temp / "real", locations.business);
  messages.Expect(business);
  refusedSaying(kExportBusiness, "is a symbolic link, not a folder");
  EXPECT_TRUE(Listing(temp / "real").empty());
  EXPECT_EQ(messages.log.back().icon, MessageIcon::Exclamation);
}

TEST_F(ExportWritersTest, ALinkOfTheChosenNameIsReplacedNeverWrittenThrough) {
  const fs::path target = temp / "elsewhere.csv";
  WriteBytes(target, "not yours");
  const fs::path link = locations.business / "Oct.csv";
  fs::create_symlink(target, link);
  messages.Expect(kExists, MessageAnswer::No);
  EXPECT_EQ(Export(u"Oct"), ExportResult::KeptExisting);
  EXPECT_TRUE(fs::is_symlink(link));

  messages.Expect(kExists, MessageAnswer::Yes);
  EXPECT_EQ(Export(u"Oct"), ExportResult::Written);
  EXPECT_FALSE(fs::is_symlink(link));
  EXPECT_EQ(ReadBytes(link), Expected());
  EXPECT_EQ(ReadBytes(target), "not yours");
  EXPECT_EQ(fs::status(link).permissions(), fs::perms::owner_read | fs::perms::owner_write)
      << "a new file's mode, not the link's";

  // A dangling link is found too, and a folder of that name cannot be replaced.
  fs::create_symlink(temp / "nowhere", locations.business / "Nov.csv");
  messages.Expect(kExists, MessageAnswer::Yes);
  EXPECT_EQ(Export(u"Nov"), ExportResult::Written);
  EXPECT_FALSE(fs::exists(temp / "nowhere"));
  messages.Expect(kCannotCreate);
  EXPECT_EQ(Export(std::u16string(300, u'x')), ExportResult::CannotCreate) << "too long here";
  fs::create_directory(locations.business / "Dec.csv");
  messages.Expect(kExists, MessageAnswer::Yes);
  messages.Expect(kCannotDelete);
  EXPECT_EQ(Export(u"Dec"), ExportResult::CannotReplace);
  EXPECT_TRUE(fs::is_directory(locations.business / "Dec.csv"));
  EXPECT_EQ(messages.log.back().icon, MessageIcon::Stop);
}

struct Failure {
  IoOp op;
  IoFault fault;
  bool replacing;
  ExportResult result;
  const char* label;
};

void PrintTo(const Failure& failure, std::ostream* out) {
  *out << failure.label;
}

class ExportFailureTest : public ExportWritersTest,
                          public ::testing::WithParamInterface<Failure> {};

TEST_P(ExportFailureTest, LeavesWhatWasThereExactlyAsItWas) {
  const Failure& failure = GetParam();
  const fs::path old = locations.business / "Oct.csv";
  if (failure.replacing) {
    WriteBytes(old, "old bytes");
    messages.Expect(kExists, MessageAnswer::Yes);
  }
  const std::map<ExportResult, std::u16string> shown = {
      {ExportResult::CannotReplace, kCannotDelete},
      {ExportResult::CannotCreate, kCannotCreate},
      {ExportResult::WriteFailed, kWriteFailed}};
  messages.Expect(shown.at(failure.result));
  faults.FailAfter(failure.op, 0, failure.fault);
  const auto descriptors = std::distance(fs::directory_iterator("/proc/self/fd"), {});
  EXPECT_EQ(Export(u"Oct"), failure.result);
  EXPECT_EQ(messages.log.back().icon, MessageIcon::Stop);
  EXPECT_EQ(std::distance(fs::directory_iterator("/proc/self/fd"), {}), descriptors)
      << "the file and the folder are closed";

  if (failure.op == IoOp::FolderSync) {
    // The rename is done; only its durability is in doubt, and the user is told.
    EXPECT_EQ(ReadBytes(old), Expected());
    EXPECT_EQ(Listing(locations.business), std::vector<std::string>{"Oct.csv"});
    return;
  }
  if (failure.replacing) {
    EXPECT_EQ(ReadBytes(old), "old bytes");
    EXPECT_EQ(Listing(locations.business), std::vector<std::string>{"Oct.csv"});
  } else {
    EXPECT_TRUE(Listing(locations.business).empty()) << "no file and no temporary file";
  }
  faults.Clear();
  if (failure.replacing) messages.Expect(kExists, MessageAnswer::Yes);
  EXPECT_EQ(Export(u"Oct"), ExportResult::Written) << "works again once the fault is gone";
  EXPECT_EQ(ReadBytes(old), Expected());
}

INSTANTIATE_TEST_SUITE_P(
    EveryStep, ExportFailureTest,
    ::testing::Values(
        Failure{IoOp::Create, IoFault::NoSpace, false, ExportResult::CannotCreate, "Create"},
        Failure{IoOp::Create, IoFault::IoError, true, ExportResult::CannotCreate,
                "CreateReplacing"},
        Failure{IoOp::Write, IoFault::NoSpace, true, ExportResult::WriteFailed, "WriteFull"},
        Failure{IoOp::Write, IoFault::IoError, false, ExportResult::WriteFailed, "WriteError"},
        Failure{IoOp::Sync, IoFault::IoError, true, ExportResult::WriteFailed, "Sync"},
        Failure{IoOp::Sync, IoFault::NoSpace, false, ExportResult::WriteFailed, "SyncNew"},
        Failure{IoOp::Rename, IoFault::IoError, true, ExportResult::CannotReplace,
                "RenameReplacing"},
        Failure{IoOp::Rename, IoFault::IoError, false, ExportResult::CannotCreate, "Rename"},
        Failure{IoOp::FolderSync, IoFault::IoError, true, ExportResult::WriteFailed, "FolderSync"}),
    [](const ::testing::TestParamInfo<Failure>& param) { return std::string(param.param.label); });

TEST_F(ExportWritersTest, ANameTakenWhileWritingIsNotReplacedWithoutAsking) {
  const fs::path intruder = locations.business / "Oct.csv";
  messages.Expect(kCannotCreate);
  const ExportResult result = WriteExportFile({u"Oct", kExportBusiness, {}},
                                              {locations, messages, nullptr}, [&](ByteSink& sink) {
                                                WriteBytes(intruder, "arrived meanwhile");
                                                return sink.Write("new");
                                              });
  EXPECT_EQ(result, ExportResult::CannotCreate);
  EXPECT_EQ(ReadBytes(intruder), "arrived meanwhile");
  EXPECT_EQ(Listing(locations.business), std::vector<std::string>{"Oct.csv"});
}

}  // namespace
}  // namespace quidora
