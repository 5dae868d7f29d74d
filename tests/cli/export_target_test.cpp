// What `quidora-cli export` may write over: only a new or (with --force) an existing regular
// file outside the data folder, or standard output; and no temporary file stays behind when the
// export is interrupted or terminated.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "cli_runner.h"
#include "device_home.h"
#include "store/databases.h"
#include "tests/store/store_fixture.h"

namespace quidora::testing {
namespace {

namespace fs = std::filesystem;

std::string Bytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class ExportTargetTest : public StoreTest {
 protected:
  void SetUp() override {
    Open();
    AccountRecord cash = MakeAccount(u"Cash");
    AddAccount(cash);
    store_.reset();
  }
};

TEST_F(ExportTargetTest, WritesOnlyRegularFilesOutsideTheDataFolder) {
  TempFolder out;
  const fs::path data = home_.path();
  const auto refused = [&](const fs::path& target, std::string_view said) {
    const CliRun run = RunCli(data, {"export", "Cash", target.string(), "--force"});
    EXPECT_EQ(run.status, 1) << target;
    EXPECT_NE(run.err.find(target.string()), std::string::npos) << run.err;
    EXPECT_NE(run.err.find(said), std::string::npos) << run.err;
  };
  const auto identity = [](const fs::path& file) {
    struct stat info {};
    ::lstat(file.c_str(), &info);
    return std::pair(info.st_dev, info.st_ino);
  };

  // Every file of the data folder, the lock first, under any name of the folder, and a name
  // that does not exist there yet; a hard link to the lock from elsewhere too.
  std::ofstream(data / "quidora.lock").flush();
  const auto lock = identity(data / "quidora.lock");
  fs::create_directory_symlink(data, out.path() / "data-link");
  refused(data / "quidora.lock", "data folder");
  refused(out.path() / "data-link" / "quidora.lock", "data folder");
  fs::create_directory(data / "sub-name");
  refused(data / "sub-name" / ".." / "registry.reg", "data folder");
  refused(data / "objectstore.db-wal", "data folder");
  fs::create_hard_link(data / "quidora.lock", out.path() / "hard-lock");
  refused(out.path() / "hard-lock", "a file of the data folder");
  EXPECT_EQ(identity(data / "quidora.lock"), lock);
  EXPECT_FALSE(fs::exists(data / "objectstore.db-wal"));
  fs::remove(data / "sub-name");
  fs::remove(out.path() / "hard-lock");
  fs::remove(out.path() / "data-link");

  // Anything but a regular file is named with its kind and left as it is.
  const fs::path kept = out.path() / "kept.csv";
  std::ofstream(kept) << "kept";
  fs::create_symlink(kept, out.path() / "link.csv");
  refused(out.path() / "link.csv", "is a symbolic link");
  ASSERT_EQ(::mkfifo((out.path() / "fifo").c_str(), 0600), 0);
  refused(out.path() / "fifo", "is a FIFO");
  EXPECT_EQ(fs::status(out.path() / "fifo").type(), fs::file_type::fifo);
  fs::create_directory(out.path() / "folder");
  refused(out.path() / "folder", "is a folder");
  const fs::path socketPath = out.path() / "socket";
  const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::snprintf(address.sun_path, sizeof address.sun_path, "%s", socketPath.c_str());
  ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  refused(socketPath, "is a socket");
  ::close(sock);
  // A private copy of the null device (only root may make one).
  if (::mknod((out.path() / "null").c_str(), S_IFCHR | 0666, ::makedev(1, 3)) == 0) {
    refused(out.path() / "null", "is a character device");
    EXPECT_EQ(fs::status(out.path() / "null").type(), fs::file_type::character);
  }
  EXPECT_EQ(Bytes(kept), "kept");
  EXPECT_EQ(fs::read_symlink(out.path() / "link.csv"), kept);

  // An existing regular file is replaced with --force only, and keeps its mode.
  fs::permissions(kept, fs::perms::owner_read | fs::perms::group_read);
  CliRun run = RunCli(data, {"export", "Cash", kept.string()});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("exists; add --force to replace it"), std::string::npos) << run.err;
  EXPECT_EQ(Bytes(kept), "kept");
  run = RunCli(data, {"export", "Cash", kept.string(), "--force"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(Bytes(kept).find("\"Account: Cash\""), std::string::npos);
  EXPECT_EQ(fs::status(kept).permissions(), fs::perms::owner_read | fs::perms::group_read);

  // "-" is standard output, byte for byte the file.
  run = RunCli(data, {"export", "Cash", "-"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, Bytes(kept));

  // Nothing else was made beside the targets.
  for (const auto& entry : fs::directory_iterator(out.path())) {
    EXPECT_FALSE(entry.path().filename().string().starts_with(".quidora-cli-")) << entry.path();
  }
}

// An export of many records, stopped by SIGINT or SIGTERM while its file is being written.
TEST(ExportInterruptedTest, LeavesNoTemporaryFileAndEndsByTheSignal) {
  TempFolder home;
  bench::GenerateOptions options;
  options.records = 100000;
  options.accounts = 1;
  bench::GeneratedHome generated;
  std::string error;
  ASSERT_TRUE(bench::GenerateDeviceHome(home.path(), options, generated, error)) << error;

  for (const int signal : {SIGTERM, SIGINT}) {
    TempFolder out;
    const std::string target = (out.path() / "cash.csv").string();
    const std::string home_entry = "QUIDORA_HOME=" + home.path().string();
    std::vector<std::string> argStore{QUIDORA_CLI_PATH, "export", "Cash", target};
    std::vector<char*> argv;
    for (std::string& arg : argStore) argv.push_back(arg.data());
    argv.push_back(nullptr);
    std::string envEntry = home_entry;
    char* envp[] = {envEntry.data(), nullptr};
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), envp), 0);

    // Wait for the temporary file, then stop the export while it writes.
    bool seen = false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!seen && std::chrono::steady_clock::now() < deadline) {
      for (const auto& entry : fs::directory_iterator(out.path())) {
        seen = seen || entry.path().filename().string().starts_with(".quidora-cli-");
      }
      if (!seen) std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    ::kill(pid, signal);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(seen);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the export ended before the signal came";
    EXPECT_EQ(WTERMSIG(status), signal);
    EXPECT_TRUE(fs::is_empty(out.path())) << fs::directory_iterator(out.path())->path();
  }
}

}  // namespace
}  // namespace quidora::testing
