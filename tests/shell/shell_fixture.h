// A device home of its own for each test, a fixed clock, scripted messages, and helpers that
// seed the store, start and restart the program, and look into the store afterwards.
#pragma once

#include <gtest/gtest.h>

#include <QSize>
#include <QTemporaryDir>
#include <cstdint>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "core/date.h"
#include "dialog_driver.h"
#include "platform/clock.h"
#include "platform/locations.h"
#include "scripted_messages.h"
#include "shell/start_up.h"

namespace quidora::testing {

struct SeedRecord {
  std::size_t account;  // index into the seeded accounts
  SystemTime date;
  std::int32_t cents;
  std::uint32_t type;  // kIncome or kExpense
  std::u16string category;
  std::u16string memo;
};

constexpr SystemTime Day(int year, int month, int day) {
  return SystemTime{static_cast<std::uint16_t>(year),
                    static_cast<std::uint16_t>(month),
                    0,
                    static_cast<std::uint16_t>(day),
                    12,
                    0,
                    0,
                    0};
}

class ShellTest : public ::testing::Test {
 protected:
  ShellTest();
  ~ShellTest() override;

  // Stores accounts (in this order), categories and records as an earlier run would have.
  // Returns the account keys.
  std::vector<std::uint32_t> Seed(const std::vector<std::u16string>& accounts,
                                  const std::vector<std::u16string>& categories,
                                  const std::vector<SeedRecord>& records);

  // Starts the program over this test's home.
  std::unique_ptr<Session> Start(QSize screen = {240, 320}, StartOutcome* outcome = nullptr,
                                 bool handleTerminationSignals = false);
  // The close request, as the window's close button sends it; the session is gone afterwards.
  void Close(std::unique_ptr<Session>& session);

  // The number of records of a database, nothing when the database does not exist. Only while
  // no session runs.
  std::optional<std::uint32_t> StoredCount(std::u16string_view database);
  // The text of the registry file; empty when there is none.
  std::string RegistryText() const;
  // The test's own temporary folder, which holds the device home.
  QString HomePath() const { return home_.path(); }

  platform::DeviceLocations locations;
  platform::FixedClock clock{Day(2026, 3, 15)};
  ScriptedMessages messages;
  // Real message boxes instead of the scripted ones.
  bool realBoxes = false;
  // Given to the program as its runtime folder when set.
  QString runtimeDir;
  // What the program wrote on its error stream.
  std::ostringstream errors;

 private:
  QTemporaryDir home_;
};

}  // namespace quidora::testing
