// "Accounts": every account with its creation date, sorted by a tap on a column header; a tap on
// a row opens the account in the Account dialog.
#pragma once

#include <cstdint>

#include "dialogs/table_dialog.h"

class QPushButton;

namespace quidora {

class Program;
class DialogHost;

namespace dialogs {

class ReportList;

class AccountsDialog : public TableDialog {
  Q_OBJECT

 public:
  AccountsDialog(Program& program, DialogHost& host);

  void OnTitleOk() override;
  ReportList* List() const { return list_; }

 protected:
  void OnOpened() override;
  // The list takes the focus with the tapped account's row selected, and the panel goes down.
  void OnActivated() override;

 private:
  bool Sort();
  void HeaderTapped(int column);
  void RowTapped(int row);
  void Leave(int code);

  Program& program_;
  DialogHost& host_;
  ReportList* list_;
  QPushButton* back_;
  QPushButton* new_;
  // As read from the settings, changed only by header taps, written back on leaving.
  std::uint32_t sortColumn_ = 0;
  std::uint32_t sortOrder_ = 0;
  // The column whose sort runs: the stored one, or Account when the stored order names none.
  int sortedColumn_ = 0;
};

}  // namespace dialogs
}  // namespace quidora
