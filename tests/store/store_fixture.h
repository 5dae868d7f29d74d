// A device home in a temporary folder with a fixed clock, the three databases and a scripted
// message service, plus helpers that build records and put raw records into the volume.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "core/account_record.h"
#include "core/money_record.h"
#include "core/record_list.h"
#include "platform/clock.h"
#include "platform/io_faults.h"
#include "platform/object_store.h"
#include "scripted_messages.h"
#include "store/databases.h"
#include "store/settings.h"

namespace quidora::testing {

// A folder removed with everything in it when the object goes.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

SystemTime UtcTime(std::uint16_t day, std::uint16_t hour, std::uint16_t minute,
                   std::uint16_t second);

MoneyRecord MakeMoney(std::uint32_t accountKey, std::u16string_view category, std::int32_t amount,
                      SystemTime date = {2005, 10, 0, 29, 0, 0, 0, 0}, std::uint32_t type = 1);
AccountRecord MakeAccount(std::u16string_view name, std::u16string_view description = u"",
                          SystemTime date = {2005, 10, 0, 29, 0, 0, 0, 0});

// The properties of every record of a database, in read order; empty when it does not exist.
std::vector<platform::Record> StoredRecords(platform::ObjectStore& volume,
                                            std::u16string_view database);
std::vector<std::uint32_t> StoredKeys(platform::ObjectStore& volume, std::u16string_view database);
bool DatabaseExists(platform::ObjectStore& volume, std::u16string_view database);
// Creates the database when needed and writes one raw record.
void PutRecord(platform::ObjectStore& volume, std::u16string_view database,
               const platform::Record& props);

class StoreTest : public ::testing::Test {
 protected:
  StoreTest();
  ~StoreTest() override;

  std::filesystem::path VolumeFile() const { return home_.path() / "objectstore.db"; }
  // A fresh Databases over the same volume, as the next run of the program sees it.
  void Restart();
  // OpenDatabases with the fixture's lists, expecting success.
  void Open();
  // Opens the volume only, for seeding raw records before Open().
  platform::ObjectStore& Volume();

  // Adds an account and remembers its key in the record.
  std::uint32_t AddAccount(AccountRecord& account);
  std::uint32_t AddMoney(MoneyRecord& record);

  TempFolder home_;
  platform::FixedClock clock_{UtcTime(6, 23, 21, 1)};
  platform::IoFaults faults_;
  std::unique_ptr<Databases> store_;
  ScriptedMessages ui_;
  Settings settings_;
  CategoryList categories_;
  AccountList accounts_;
  AccountRecord current_;
  MoneyList money_;
};

}  // namespace quidora::testing

namespace quidora::testing {

// Takes every box and remembers it, for tests where whether a box appears is the question.
class RecordingMessages : public MessageService {
 public:
  MessageAnswer Show(std::u16string_view text, MessageIcon icon, MessageButtons) override {
    shown.emplace_back(text);
    icons.push_back(icon);
    return MessageAnswer::Ok;
  }
  void Beep() override { ++beeps; }
  void SetWaitCursor(bool) override {}

  std::vector<std::u16string> shown;
  std::vector<MessageIcon> icons;
  int beeps = 0;
};

}  // namespace quidora::testing
