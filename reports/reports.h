// Entry points of the two reports. Each runs its dialog modally over the program-wide state and
// returns the code it ended with: 1 after the Done button, 0 when its list could not be made or
// sorted (the sort has said why).
//
// "Export..." hands the report's results, in the order the list shows after its last sort, to
// the function given here, which runs the export dialog.
#pragma once

#include <functional>

#include "export/csv_files.h"

namespace quidora {

class Program;

namespace reports {

using CategoryReportExport = std::function<void(const CategoryReportFile&)>;
using BalanceReportExport = std::function<void(const BalanceReportFile&)>;

// "Money Report": category totals or one total of the shown account's money records in a range.
int RunTransactionsReport(Program& program, const CategoryReportExport& exportReport);

// "Accounts Balance": the balance of every account in a range and their total. It fills the
// money list with every account's records while it runs and gives it back holding the shown
// account's records in stored order; `host` hears of it so the rows are sorted and refilled.
int RunBalanceReport(Program& program, const BalanceReportExport& exportReport);

}  // namespace reports
}  // namespace quidora
