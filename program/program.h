// The program-wide state of one run of the device program: the settings, every record and list
// that the windows and dialogs work on, the state values that carry a command's context from
// the main window into a dialog and back, and the services everything talks through.
//
// One Program is made at start-up (after the settings are read and before the databases are
// opened) and lives until the exit sequence has run. Nothing here is global: tests make their
// own Program over a temporary device home, a fixed clock and scripted messages.
#pragma once

#include <QPointer>
#include <QSize>
#include <QWidget>
#include <cstdint>
#include <string>
#include <iostream>

#include "core/account_record.h"
#include "core/date.h"
#include "core/message_service.h"
#include "core/money_record.h"
#include "core/record_list.h"
#include "platform/locations.h"
#include "store/settings.h"

namespace quidora {

class Databases;

namespace platform {
class Clock;
class Registry;
}  // namespace platform

namespace ui {
class DeviceScreen;
}  // namespace ui

// The services of a run. All must outlive the Program.
struct ProgramServices {
  Databases& store;
  platform::Registry& registry;
  MessageService& messages;
  const platform::Clock& clock;
  ui::DeviceScreen& screen;  // input panel, menu bar, help and the size that chooses the layout
};

class Program {
 public:
  explicit Program(const ProgramServices& services);
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  // --- Services ---------------------------------------------------------------------------
  Databases& store;
  platform::Registry& registry;
  MessageService& messages;
  const platform::Clock& clock;
  ui::DeviceScreen& screen;
  // Where the device's files are; the exports write into its two document folders.
  platform::DeviceLocations locations;
  // Problems that must be told beyond the screen (settings that could not be saved) are also
  // written here.
  std::ostream* errors = &std::cerr;

  // --- Settings ---------------------------------------------------------------------------
  // Every registry value; read at start, changed in place by the dialogs, written at exit.
  Settings settings;

  // --- Records and lists ------------------------------------------------------------------
  AccountRecord currentAccount;  // copy of the account whose money records are shown
  AccountRecord workAccount;     // the account being created or edited
  AccountList accounts;          // all accounts (at most kMaxAccounts)

  MoneyRecord totalBalance;  // size and sign of the accounts balance total
  MoneyRecord workMoney;     // the money record being added, edited, deleted or restored
  MoneyRecord balance;       // the current account's balance; type 1 stands for negative

  MoneyList money;  // the current account's money records in view order (row i = position i)
  MoneyList undo;   // deleted money records that can be restored, oldest first
  MoneyList range;  // copies of the money records found by a date range

  CategoryList categories;

  MoneyRecord rangeStart;  // date range of the transactions report and delete by range
  MoneyRecord rangeEnd;
  AccountRecord balanceStart;  // date range of the accounts balance report
  AccountRecord balanceEnd;

  // The default date of new records and accounts; the dialogs store the date last confirmed.
  SystemTime today;
  SystemTime rangeStartDate;
  SystemTime rangeEndDate;

  // --- State of the money list view ---------------------------------------------------------
  // Running copies of the `Sort` and `SortOrder` settings, copied back at exit.
  std::uint32_t sortColumn = 0;
  std::uint32_t sortOrder = 2;
  // Set once the user (or the stored setting) chose an order in this run.
  bool sortedThisRun = false;

  // --- State values that carry a command's context ------------------------------------------
  // The selected row of the money list view when the command began; -1 for none.
  int savedRow = -1;
  // The dialog with text fields that is open right now (for the input panel on activation).
  QPointer<QWidget> openDialog;
  // Set by the categories dialogs when a rename or delete changed money records.
  bool categoriesChanged = false;
  // 1 while an existing record (or account) is edited, 0 for a new one.
  int transactionEditFlag = 0;
  int accountEditFlag = 0;
  // The tapped row of the Accounts dialog's list; -1 for none.
  int accountsSelectedIndex = -1;

  // The last file names accepted by the export dialogs, offered when one opens again; kept for
  // the run only. The two report exports share one.
  std::u16string exportTransactionsName;
  std::u16string exportReportName;

  // The screen's current size in pixels.
  QSize ScreenSize() const;
  // False only for a screen of exactly 240 by 320 pixels.
  bool IsWideLayout() const;
};

// The account list never holds more than this many accounts.
inline constexpr std::size_t kMaxAccounts = 15;

// False only for exactly 240 by 320: every other size (320 by 240, 480 by 640, ...) is wide.
bool IsWideLayout(QSize screenSize);
bool IsWideLayout(const ui::DeviceScreen& screen);

}  // namespace quidora
