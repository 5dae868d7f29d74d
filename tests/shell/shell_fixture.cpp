#include "shell_fixture.h"

#include <QApplication>
#include <fstream>
#include <sstream>

#include "core/record_list.h"
#include "platform/object_store.h"
#include "platform/ui/device_screen.h"
#include "store/databases.h"
#include "store/loading.h"
#include "store/record_writes.h"
#include "store/settings.h"

namespace quidora::testing {

ShellTest::ShellTest() {
  // Closing the screen must not ask an event loop that is not running to quit.
  QApplication::setQuitOnLastWindowClosed(false);
  const std::string home = home_.path().toStdString();
  locations = *platform::ResolveDeviceLocations([&home](const char* name) -> const char* {
    return std::string_view(name) == "QUIDORA_HOME" ? home.c_str() : nullptr;
  });
}

ShellTest::~ShellTest() {
  EXPECT_TRUE(messages.AllShown());
}

std::vector<std::uint32_t> ShellTest::Seed(const std::vector<std::u16string>& accounts,
                                           const std::vector<std::u16string>& categories,
                                           const std::vector<SeedRecord>& records) {
  ScriptedMessages quiet;
  Databases store(locations.objectStore, clock);
  CategoryList categoryList;
  AccountList accountList;
  AccountRecord current;
  Settings settings;
  platform::PrepareDevice(locations);
  EXPECT_TRUE(OpenDatabases(store, categoryList, accountList, current, settings, quiet));
  std::vector<std::uint32_t> keys;
  for (const AccountRecord& account : accountList) keys.push_back(account.key);
  for (const auto& name : accounts) {
    AccountRecord account;
    account.SetName(name);
    account.SetDescription(u"");
    account.SetDate(Day(2026, 1, 1));
    std::uint32_t key = 0;
    EXPECT_TRUE(AddAccountRecord(store, account, key, quiet));
    keys.push_back(key);
  }
  for (const auto& name : categories) {
    CategoryRecord category;
    category.SetName(name);
    categoryList.Append(category);
  }
  if (!categories.empty()) {
    EXPECT_TRUE(RewriteCategories(store, categoryList, quiet));
  }
  for (const SeedRecord& seed : records) {
    MoneyRecord record;
    record.accountKey = keys.at(seed.account);
    record.SetDate(seed.date);
    record.type = seed.type;
    record.amount = seed.cents;
    record.SetAmount(seed.cents);
    record.SetCategory(seed.category);
    record.SetMemo(seed.memo);
    std::uint32_t key = 0;
    EXPECT_TRUE(AddMoneyRecord(store, record, key, quiet));
  }
  EXPECT_TRUE(quiet.log.empty());
  return keys;
}

std::unique_ptr<Session> ShellTest::Start(QSize screen, StartOutcome* outcome,
                                          bool handleTerminationSignals) {
  StartOptions options;
  options.locations = locations;
  options.screenSize = screen;
  options.messages = realBoxes ? nullptr : &messages;
  options.clock = &clock;
  options.runtimeDir = runtimeDir;
  options.errors = &errors;
  options.handleTerminationSignals = handleTerminationSignals;
  auto session = InitProgram(options, outcome);
  QCoreApplication::processEvents();
  return session;
}

void ShellTest::Close(std::unique_ptr<Session>& session) {
  ASSERT_NE(session, nullptr);
  session->Screen().close();
  for (int i = 0; i < 50 && session->Screen().isVisible(); ++i) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  EXPECT_FALSE(session->Screen().isVisible());
  session.reset();
}

std::optional<std::uint32_t> ShellTest::StoredCount(std::u16string_view database) {
  auto opened = platform::ObjectStore::OpenVolume(locations.objectStore);
  if (opened.store == nullptr) {
    ADD_FAILURE() << "the volume does not open: " << opened.detail;
    return std::nullopt;
  }
  auto handle = opened.store->OpenDatabase(database);
  if (handle.status != platform::OpenStatus::Opened) return std::nullopt;
  return handle.handle.RecordCount();
}

std::string ShellTest::RegistryText() const {
  std::ifstream file(locations.registry);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

}  // namespace quidora::testing
