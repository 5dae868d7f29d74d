// The commands of quidora-cli over a store opened for reading. Each fills a report with the
// same sums and sorts the device program's reports use, or tells why it cannot.
#pragma once

#include <string>

#include "cli/arguments.h"
#include "cli/report.h"
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
