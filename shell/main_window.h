// The main window of the device program: the menu bar's commands, the account view in the work
// area, the input panel on activation, the work-area change on rotation and the close request.
// The device screen is the window on the desktop; this object runs it for one Program.
//
// It is also the DialogHost of the editing dialogs: everything that lives in the window's own
// widgets (money list view rows, the account chooser, command states, the account view's
// painting) changes through it, so list and view never drift apart.
#pragma once

#include <QObject>
#include <cstdint>
#include <functional>
#include <memory>

#include "dialogs/dialog_host.h"

namespace quidora {

class AccountView;
struct BalanceReportFile;
struct CategoryReportFile;
class MoneyListView;
class MoneyRecord;
class Program;

namespace ui {
class CashSound;
}

class MainWindow : public QObject, public DialogHost {
  Q_OBJECT

 public:
  inline static const char* const kHelpTopic = "file:equidorappc.htm#Navigating";

  explicit MainWindow(Program& program, QObject* parent = nullptr);
  ~MainWindow() override;

  // Builds the menu bar and the account view in the screen, loads, sorts and shows the current
  // account's money records. False when the view cannot be built or the records cannot be
  // sorted: the program then ends without writing anything.
  bool Create();

  AccountView& View() const { return *view_; }
  MoneyListView& List() const;
  ui::CashSound& Sound() const { return *sound_; }

  // Runs a command of the menu bar or a toolbar button, as choosing it does.
  void RunCommand(int command);

  // The steps the commands share.
  // Runs the dialog of a command (`run` shows it and returns its end code): the selected row is
  // taken before and selected again after, and when a dialog reloaded the money list the rows
  // are first sorted and refilled from it. Returns the end code.
  int ShowCommandDialog(const std::function<int()>& run);
  void AddAccountFlow(bool takeSavedRow);
  void RefreshAccountView();
  // Sorts the money list by the running sort order and sets the Date header's image; false
  // when the sort failed.
  bool ApplyStoredSort();
  // Rebuilds the rows from the money list and sets the commands that need records.
  void FillMoneyListView();
  // Appends a copy of `record` (of the shown account) to the money list and a row to the view,
  // and selects that row.
  void AppendShownRecord(const MoneyRecord& record);
  // Recomputes the balance record and redraws the balance line.
  void RecomputeBalance();
  void PlayCashAddedSound();

  // Screen events.
  void OnWorkAreaChanged();
  // The main window became active (no dialog runs): the panel goes up for an open dialog with
  // fields, otherwise down with the focus on the money list.
  void OnActivated();
  // F1 with no dialog running.
  void OnHelp();

  // DialogHost.
  void UpdateCommandStates() override;
  bool PushDeleted(const MoneyRecord& record) override;
  void DropDeletedOfAccount(std::uint32_t accountKey) override;
  void RemoveMoneyRecordAndRow(int position) override;
  void AddAccountChoice(std::u16string_view name) override;
  bool RemoveAccountChoice(std::u16string_view name) override;
  void SelectAccountChoice(std::u16string_view name) override;
  void RepaintAccountView() override;
  void MoneyListReloaded() override;

 private:
  void TakeSavedRow();
  void RestoreSavedRow();
  // Sorts the money list in the running order, refills the rows and recomputes the balance.
  void ResortAndRefill();

  void NewTransaction();
  void NewAccount();
  void AccountsLoop();
  void CategoriesLoop();
  void ViewOptions();
  void DeleteByRange();
  void ShowAbout();
  void ShowTransactionsExport();
  void ShowTransactionsReport();
  // The report fills the money list with every account's records; ShowCommandDialog then sorts,
  // refills and balances the shown account's again.
  void ShowBalanceReport();
  // "Export..." of the two reports lands here, with the results in the order the report shows,
  // and opens the matching export dialog.
  void ExportCategoryReport(const CategoryReportFile& file);
  void ExportBalanceReport(const BalanceReportFile& file);

  void OnAccountChosen();
  void OnRowTapped(int row);
  void OnHeaderTapped(int column);

  Program& program_;
  AccountView* view_ = nullptr;
  ui::CashSound* sound_ = nullptr;
  // A dialog reloaded the money list since the command began.
  bool moneyListReloaded_ = false;
};

}  // namespace quidora
