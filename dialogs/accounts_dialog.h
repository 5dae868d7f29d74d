// "Accounts": every account with its creation date, sorted by a tap on a column header; a tap on
// a row opens the account in the Account dialog.
#pragma once

#include <cstdint>

#include "platform/ui/full_screen_dialog.h"

class QPushButton;
class QTreeWidget;

namespace quidora {

class Program;
class DialogHost;

namespace dialogs {

class AccountsDialog : public ui::FullScreenDialog {
  Q_OBJECT

 public:
  AccountsDialog(Program& program, DialogHost& host);

  void OnTitleOk() override;
  QTreeWidget* List() const { return list_; }

 protected:
  void OnOpened() override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void Arrange();
  bool Sort();
  void HeaderTapped(int column);
  void RowTapped(int row);
  void Reactivated();
  void Leave(int code);

  Program& program_;
  DialogHost& host_;
  QTreeWidget* list_;
  QPushButton* back_;
  QPushButton* new_;
  std::uint32_t sortColumn_ = 0;
  std::uint32_t sortOrder_ = 0;
};

}  // namespace dialogs
}  // namespace quidora
