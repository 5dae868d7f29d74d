// The three "Export File Options" dialogs: each asks for a file name, the encoding and the
// folder, then writes its CSV file with the matching writer of export_writers.h.
//
// The encoding and folder chosen become the `ExportFileType` and `ExportFileFolder` settings as
// soon as OK is pressed, whether or not a file is then written. The accepted name is remembered
// for the run (never stored): the transactions export has a name of its own, the two report
// exports share one. A refused name or a failed export keeps the dialog open.
//
// Each returns 1 after a written file (and the "OK !" box), or the id of its Cancel button.
#pragma once

namespace quidora {

class Program;
struct CategoryReportFile;
struct BalanceReportFile;

namespace end_code {
inline constexpr int kExportWritten = 1;
inline constexpr int kTransactionsExportCancel = 1091;
inline constexpr int kReportExportCancel = 1106;
}  // namespace end_code

// Every money record of the current account, in the money list's order. Today is refreshed from
// the clock when the file is written; it is the file's report date.
int RunTransactionsExportDialog(Program& program);

// The category totals of a transactions report. The report date is today, refreshed from the
// clock when the file is written (the file's own report date is not used).
int RunCategoryReportExportDialog(Program& program, const CategoryReportFile& file);

// The account balances of an accounts balance report.
int RunBalanceReportExportDialog(Program& program, const BalanceReportFile& file);

}  // namespace quidora
