// "Specify amount": the user types a money record into the work money record, or deletes the
// edited one.
#pragma once

#include "dialogs/table_dialog.h"

class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace quidora {

class Program;
class DialogHost;

namespace ui {
class DropDownList;
}

namespace dialogs {

class TransactionDialog : public TableDialog {
  Q_OBJECT

 public:
  TransactionDialog(Program& program, DialogHost& host);

  void OnTitleOk() override { Confirm(); }

 protected:
  void OnOpened() override;
  void Arranged(bool wide) override;

 private:
  void Confirm();
  void Cancel();
  void Delete();
  // OK steps; each answers false when it stopped the confirmation.
  bool TakeAmount();
  bool TakeCategory();
  bool TakeAccount();

  Program& program_;
  DialogHost& host_;
  QLabel* dateLabel_;
  QDateEdit* date_;
  QLabel* amountLabel_;
  QLineEdit* amount_;
  QLabel* typeLabel_;
  QRadioButton* income_;
  QRadioButton* expense_;
  QLabel* categoryLabel_;
  ui::DropDownList* category_;
  QLabel* accountLabel_;
  ui::DropDownList* account_;
  QLabel* memoLabel_;
  QLineEdit* memo_;
  QPushButton* cancel_;
  QPushButton* ok_;
  QPushButton* delete_;
};

}  // namespace dialogs
}  // namespace quidora
