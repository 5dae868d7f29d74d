// "Accounts Balance": for a date range, every account with the signed sum of its money records
// in it (zero rows too) and the total of all accounts.
//
// Two states: Entry and Shown. The money list holds every account's records from the first
// report until the dialog ends; whoever runs the dialog gives the shown account's back.
// A grand total beyond the signed 32-bit range is refused like any overflowing balance, so no
// wrong total is shown or exported.
#pragma once

#include <cstdint>

#include "dialogs/table_dialog.h"
#include "reports/date_range.h"
#include "reports/reports.h"

class QLabel;

namespace quidora {

class Program;

namespace dialogs {
class ReportList;
}

namespace reports {

class BalanceReport : public dialogs::TableDialog {
  Q_OBJECT

 public:
  BalanceReport(Program& program, BalanceReportExport exportReport);

  void OnTitleOk() override;
  bool IsShown() const { return list_ != nullptr; }
  dialogs::ReportList* List() const { return list_; }

 protected:
  void OnOpened() override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void BalanceClicked();
  // Loads every account's records and sums them; false after the messages (and Reset).
  bool ComputeBalances();
  // Makes, sorts and fills the list and shows the total; false when the sort failed.
  bool ShowBalances();
  void Reset();
  void Export();
  void HeaderTapped(int column);
  bool SortAccounts(int column);
  void FillList();
  void DropList();
  void KeepSortInSettings();
  void ShowState(bool shown);

  Program& program_;
  BalanceReportExport exportReport_;
  DateRangePickers pickers_;
  QPushButton* balance_;
  QPushButton* reset_;
  QPushButton* export_;
  QLabel* totalLabel_;
  QLabel* totalText_;
  dialogs::ReportList* list_ = nullptr;
  std::int64_t total_ = 0;
  std::uint32_t sortColumn_ = 0;
  std::uint32_t sortOrder_ = 0;
};

}  // namespace reports
}  // namespace quidora
