// The commands of quidora-cli over a store opened for reading. Each fills a report with the
// same sums and sorts the device program's reports use, or tells why it cannot.
#pragma once

#include <cstdint>
#include <string>

#include "cli/arguments.h"
#include "cli/report.h"
#include "core/message_service.h"
#include "core/record_list.h"
#include "store/store_reader.h"

namespace quidora::cli {

// Exit statuses of the program.
inline constexpr int kExitDone = 0;
inline constexpr int kExitRefused = 1;  // the command line, an unknown account, an overflow
inline constexpr int kExitStore = 2;    // the store is missing, damaged, newer or unreadable

struct Outcome {
  int status = kExitDone;
  std::string error;  // for kExitRefused and kExitStore: what to tell the user
};

// Keeps what the sums and sorts would show in a message box, to print it instead.
class CollectedMessages final : public MessageService {
 public:
  MessageAnswer Show(std::u16string_view text, MessageIcon icon,
                     MessageButtons buttons = MessageButtons::Ok) override;
  void Beep() override {}
  void SetWaitCursor(bool) override {}

  std::string shown;  // UTF-8, one line per message
};

// Reads the accounts and finds the one the request names, exactly as written; `found` points
// into `accounts`.
Outcome FindAccount(StoreReader& store, const Request& request, AccountList& accounts,
                    const AccountRecord*& found);

// accounts: every account's balance over the range, by name, and the grand total.
Outcome AccountsReport(StoreReader& store, const Request& request, Report& report);
// categories ACCOUNT: the category totals of one account over the range, by name; categories
// whose total is zero are left out, as the device's report list leaves them out.
Outcome CategoriesReport(StoreReader& store, const Request& request, Report& report);
// records ACCOUNT: the account's records over the range in date order (equal dates in key
// order); expenses negative.
Outcome RecordsReport(StoreReader& store, const Request& request, Report& report);

// What the user is told when reading the store fails after it opened.
Outcome StoreFailure(platform::StoreError error);

}  // namespace quidora::cli
