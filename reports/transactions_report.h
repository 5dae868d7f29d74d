// "Money Report": for a date range, either every category with the signed total of the shown
// account's money records in it ("Specified"), or one signed total of them all ("Total").
//
// Three states: Entry (pickers and view choice enabled, "View report" the default), the
// per-category list shown and the total shown; "View report" leads from Entry to one of them,
// "Reset" back. What shows follows the state alone, so a rotation moves controls and rebuilds
// the list in the other layout without changing what is visible.
#pragma once

#include <cstdint>

#include "dialogs/table_dialog.h"
#include "reports/date_range.h"
#include "reports/reports.h"

class QGroupBox;
class QLabel;
class QRadioButton;

namespace quidora {

class Program;

namespace dialogs {
class ReportList;
}

namespace reports {

class TransactionsReport : public dialogs::TableDialog {
  Q_OBJECT

 public:
  enum class State { Entry, CategoriesShown, TotalShown };

  TransactionsReport(Program& program, CategoryReportExport exportReport);

  void OnTitleOk() override;
  State CurrentState() const { return state_; }
  dialogs::ReportList* List() const { return list_; }

 protected:
  void OnOpened() override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void ViewChosen(bool checked);
  void ViewReport();
  // Sums, sorts and shows the categories; false (after 40108) when nothing was counted.
  bool ShowCategories();
  void ShowTotal();
  void Reset();
  void Export();
  void HeaderTapped(int column);
  bool SortCategories(int column);
  void FillList();
  void DropList();
  void KeepSortInSettings();
  void ShowState(State state);

  Program& program_;
  CategoryReportExport exportReport_;
  State state_ = State::Entry;
  DateRangePickers pickers_;
  QRadioButton* specified_;
  QRadioButton* total_;
  QPushButton* view_;
  QPushButton* reset_;
  QPushButton* export_;
  QGroupBox* balanceGroup_;
  QLabel* totalLabel_;
  QLabel* totalText_;
  dialogs::ReportList* list_ = nullptr;
  std::uint32_t sortColumn_ = 0;
  std::uint32_t sortOrder_ = 0;
};

}  // namespace reports
}  // namespace quidora
