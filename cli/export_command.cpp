#include "cli/export_command.h"

#include <functional>
#include <span>
#include <string>

#include "cli/export_target.h"
#include "core/sorts.h"
#include "export/csv_files.h"

namespace quidora::cli {

namespace {

Outcome Refused(std::string error) {
  return Outcome{kExitRefused, std::move(error)};
}

}  // namespace

Outcome ExportAccount(StoreReader& store, const Request& request,
                      const platform::DeviceLocations& locations, const platform::Clock& clock) {
  AccountList accounts;
  const AccountRecord* account = nullptr;
  if (Outcome found = FindAccount(store, request, accounts, account); found.status != kExitDone) {
    return found;
  }
  const ExportTarget target{request.file, request.force, locations.dataFolder};
  if (Outcome checked = CheckExportTarget(target); checked.status != kExitDone) return checked;

  MoneySelection selection;
  selection.accountKey = account->key;
  MoneyList money;
  if (!store.ReadMoneyRecords(money, selection)) return StoreFailure(store.LastError());
  CollectedMessages messages;
  if (!SortMoneyByDate(money, request.descending ? kDescending : kAscending, messages)) {
    return Refused(messages.shown);
  }

  TransactionsFile file;
  file.reportDate = clock.NowUtc();
  file.accountName = account->Name();
  file.records = std::span<const MoneyRecord>(money.begin(), money.end());
  CsvOptions options;
  options.encoding = request.unicode ? kExportUnicode : kExportAscii;
  options.dateViewType = request.dateForm;
  options.grouping = request.grouping;
  return WriteExportTarget(
      target, [&](ByteSink& sink) { return WriteTransactionsCsv(file, options, sink); });
}

}  // namespace quidora::cli
