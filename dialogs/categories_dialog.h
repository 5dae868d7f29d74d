// "Edit Categories...": the category list with New, Rename and Delete, and the choice whether a
// rename or delete also changes the money records of that category.
#pragma once

#include "dialogs/table_dialog.h"

class QCheckBox;
class QListWidget;
class QPushButton;

namespace quidora {

class Program;
class DialogHost;

namespace dialogs {

class CategoriesDialog : public TableDialog {
  Q_OBJECT

 public:
  CategoriesDialog(Program& program, DialogHost& host);

  void OnTitleOk() override;

 protected:
  void OnOpened() override;

 private:
  void SelectionChanged();
  void EnableNameButtons(bool enabled);
  void StoreApplyChoice();
  // The selected category's name; empty (with Rename and Delete greyed) when none is selected.
  QString SelectedName();
  void Rename();
  void Delete();

  Program& program_;
  DialogHost& host_;
  QListWidget* list_;
  QPushButton* new_;
  QPushButton* rename_;
  QPushButton* delete_;
  QCheckBox* apply_;
};

}  // namespace dialogs
}  // namespace quidora
