// An export onto a real, small, full file system: the write fails with the user told, the old
// file stays exactly as it was and no temporary file is left; once there is room it works.
//
// The file system is a tmpfs mounted in a private mount namespace of a child process (a user
// namespace too when not root), so nothing is mounted for anyone else and no root is needed
// where unprivileged user namespaces are allowed.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "core/record_list.h"
#include "export/export_writers.h"
#include "resources/strings/string_table.h"
#include "tests/platform/temp_folder.h"

namespace quidora {
namespace {

namespace fs = std::filesystem;
using platform::testing::Listing;
using platform::testing::ReadBytes;
using platform::testing::TempFolder;
using platform::testing::WriteBytes;

constexpr int kCannotMount = 77;

class AnsweringYes final : public MessageService {
 public:
  MessageAnswer Show(std::u16string_view text, MessageIcon, MessageButtons) override {
    for (StringId id : {StringId::ExportFileExists, StringId::ExportWriteFailed,
                        StringId::ExportNoBusinessFolder}) {
      if (text == LoadString(id)) shown += std::to_string(static_cast<unsigned>(id)) + " ";
    }
    return MessageAnswer::Yes;
  }
  void Beep() override {}
  void SetWaitCursor(bool) override {}
  std::string shown;
};

bool WriteFile(const char* path, const std::string& text) {
  const int fd = ::open(path, O_WRONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool ok = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
  return ::close(fd) == 0 && ok;
}

// A private mount namespace in which this process may mount; the reason when there is none.
std::string EnterPrivateMounts() {
  const uid_t uid = ::geteuid();
  const gid_t gid = ::getegid();
  if (uid == 0) {
    if (::unshare(CLONE_NEWNS) != 0) return std::string("unshare: ") + std::strerror(errno);
  } else {
    if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) {
      return std::string("no unprivileged user namespace: ") + std::strerror(errno);
    }
    if (!WriteFile("/proc/self/setgroups", "deny") ||
        !WriteFile("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1") ||
        !WriteFile("/proc/self/gid_map", "0 " + std::to_string(gid) + " 1")) {
      return "cannot map the user into its namespace";
    }
  }
  if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
    return std::string("cannot make the mounts private: ") + std::strerror(errno);
  }
  return {};
}

// Runs in the child: reports what happened as one line, or the reason it could not run.
int Scenario(const fs::path& disk, std::string& report) {
  report = EnterPrivateMounts();
  if (!report.empty()) return kCannotMount;
  if (::mount("tmpfs", disk.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, "size=64k,mode=0700") != 0) {
    report = std::string("cannot mount a tmpfs: ") + std::strerror(errno);
    return kCannotMount;
  }
  const std::string home = (disk / "home").string();
  const auto locations = *platform::ResolveDeviceLocations([&](const char* name) {
    return std::string(name) == "QUIDORA_HOME" ? home.c_str() : nullptr;
  });
  platform::PrepareDevice(locations);
  const fs::path old = locations.business / "Oct.csv";
  WriteBytes(old, "old bytes");

  MoneyList money;
  SystemTime day;
  day.year = 2005;
  day.month = 10;
  day.day = 3;
  for (int i = 0; i < 4000; ++i) {
    MoneyRecord record;
    record.SetDate(day);
    record.SetCategory(u"Groceries");
    record.amount = 123456;
    record.SetAmount(123456);
    record.SetMemo(u"a memo long enough to fill it");
    money.Append(std::move(record));
  }
  const TransactionsFile file{day, u"Cash", {money.begin(), money.end()}};
  AnsweringYes messages;
  const ExportRequest request{u"Oct", kExportBusiness, {kExportUnicode, 0, 0}};
  const bool full =
      ExportTransactions(request, file, {locations, messages}) == ExportResult::WriteFailed;
  report = std::string(full ? "full" : "NOT FULL") + "; shown " + messages.shown + "; old " +
           ReadBytes(old) + "; files";
  for (const std::string& name : Listing(locations.business)) report += " " + name;

  if (::mount("tmpfs", disk.c_str(), "tmpfs", MS_REMOUNT | MS_NOSUID | MS_NODEV,
              "size=4m,mode=0700") != 0) {
    report += "; cannot grow";
    return 0;
  }
  const bool written =
      ExportTransactions(request, file, {locations, messages}) == ExportResult::Written;
  report += written && ReadBytes(old) == TransactionsCsv(file, request.csv) ? "; then written"
                                                                            : "; NOT WRITTEN";

  // A folder that may not be written counts as missing, for root too: a read-only file system.
  messages.shown.clear();
  const bool missing =
      ::mount("tmpfs", disk.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr) == 0 &&
      ExportTransactions(request, file, {locations, messages}) == ExportResult::FolderMissing;
  report += (missing ? "; read-only missing, shown " : "; read-only NOT MISSING, shown ") +
            messages.shown;
  return 0;
}

TEST(ExportFullDiskTest, AFullFileSystemKeepsTheOldFile) {
  TempFolder temp;
  const fs::path disk = temp / "disk";
  fs::create_directory(disk);
  int channel[2];
  ASSERT_EQ(::pipe(channel), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::close(channel[0]);
    std::string report;
    const int code = Scenario(disk, report);
    const ssize_t ignored = ::write(channel[1], report.data(), report.size());
    static_cast<void>(ignored);
    ::_exit(code);
  }
  ::close(channel[1]);
  std::string report;
  char buffer[512];
  for (ssize_t n; (n = ::read(channel[0], buffer, sizeof buffer)) > 0;) report.append(buffer, n);
  ::close(channel[0]);
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status)) << report;
  if (WEXITSTATUS(status) == kCannotMount) {
    GTEST_SKIP() << "no private tmpfs can be made here (" << report
                 << "); the injected failures cover a full disk";
  }
  EXPECT_EQ(report,
            "full; shown 40041 40044 ; old old bytes; files Oct.csv; then written; "
            "read-only missing, shown 40031 ");
}

}  // namespace
}  // namespace quidora
