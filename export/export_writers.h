// The three export writers: each puts one CSV file (csv_files.h) into one of the device's
// document folders, "\My Documents\Business" or "\My Documents\Personal", under the name the
// user chose, with ".csv" added.
//
// What the user sees, in order:
//  - nothing, and Refused, for an empty name, a name that could leave its folder (a "\", "/" or
//    zero unit, or not valid UTF-16), a folder number other than 0 and 1, or (report files) an
//    empty list;
//  - "Folder ... doesn't exist" when the folder is missing, is a link, is not a folder, or may
//    not be written (FolderMissing);
//  - when anything already has the chosen name (a file, a link, even a dangling one, or a
//    folder): the Yes/No question whether to replace it; No ends with KeptExisting;
//  - "Cannot delete File..." when what is there cannot be replaced (a folder, or the final
//    rename fails while replacing): CannotReplace;
//  - "Program failed to create file." when the new file cannot be made: CannotCreate;
//  - "Program failed to write Money records in file." when a write or sync fails: WriteFailed.
//
// The new file is written under a temporary name in the same folder and synced; only when it is
// complete does it take the chosen name, in one rename (which replaces a link itself, never the
// file it points to). Any failure leaves what had the name exactly as it was and removes the
// temporary file. A new file may be read and written by its owner only (mode 0600); a replaced
// file keeps its mode. Without the user's Yes nothing is ever replaced, even something that appears
// under the name while the file is being written.
//
// Messages go through `messages` with the wait cursor removed first. Not thread-safe.
#pragma once

#include <cstdint>
#include <string_view>

#include "core/message_service.h"
#include "core/money_record.h"
#include "export/csv_files.h"
#include "platform/locations.h"

namespace quidora {

namespace platform {
class IoFaults;
}

// The `ExportFileFolder` setting.
inline constexpr std::uint32_t kExportBusiness = 0;
inline constexpr std::uint32_t kExportPersonal = 1;

enum class ExportResult {
  Written,
  Refused,        // nothing to do; no message
  FolderMissing,  // 40031 or 40032 shown
  KeptExisting,   // the replace question was answered No
  CannotReplace,  // 40029 shown
  CannotCreate,   // 40030 shown
  WriteFailed,    // 40044 shown
};

struct ExportRequest {
  std::u16string_view name;                // as typed and trimmed: no folder, no extension
  std::uint32_t folder = kExportBusiness;  // `ExportFileFolder`
  CsvOptions csv;                          // encoding, date view type and grouping
};

struct ExportServices {
  const platform::DeviceLocations& locations;  // where the two document folders are
  MessageService& messages;
  platform::IoFaults* faults = nullptr;  // tests: injected failures
};

ExportResult ExportTransactions(const ExportRequest& request, const TransactionsFile& file,
                                const ExportServices& services);
ExportResult ExportCategoryReport(const ExportRequest& request, const CategoryReportFile& file,
                                  const ExportServices& services);
ExportResult ExportBalanceReport(const ExportRequest& request, const BalanceReportFile& file,
                                 const ExportServices& services);

// The device path the request names: "\My Documents\Business\Spring 05.csv". Empty for a
// folder number other than 0 and 1.
std::u16string ExportDevicePath(std::u16string_view name, std::uint32_t folder);

// The signed total a total balance record stands for: its type 1 means negative.
inline std::int64_t SignedTotal(const MoneyRecord& totalBalance) {
  return totalBalance.type == kExpense ? -std::int64_t{totalBalance.amount}
                                       : std::int64_t{totalBalance.amount};
}

}  // namespace quidora
