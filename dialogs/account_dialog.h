// "Account": the creation date, name and description of the work account record; for an
// existing account also Delete, which removes the account with all its money records.
#pragma once

#include "dialogs/table_dialog.h"

class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;

namespace quidora {

class Program;
class DialogHost;

namespace dialogs {

class ReportList;

class AccountDialog : public TableDialog {
  Q_OBJECT

 public:
  // `accountsList` is the Accounts dialog's list when the account was tapped there; a deletion
  // removes its row.
  AccountDialog(Program& program, DialogHost& host, ReportList* accountsList = nullptr);

  void OnTitleOk() override { Confirm(); }

 protected:
  void OnOpened() override;
  void Arranged(bool wide) override;

 private:
  void Confirm();
  void Back();
  void Delete();

  Program& program_;
  DialogHost& host_;
  ReportList* accountsList_;
  QDateEdit* date_;
  QLineEdit* name_;
  QLineEdit* description_;
  QPushButton* back_;
  QPushButton* ok_;
  QPushButton* delete_;
};

}  // namespace dialogs
}  // namespace quidora
