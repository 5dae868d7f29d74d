// "New category" and "Edit category": one name field of at most 20 characters with OK and
// Cancel. Both take the name the same way; they differ in what OK does with it.
#pragma once

#include <optional>
#include <string>

#include "dialogs/table_dialog.h"

class QLineEdit;
class QPushButton;

namespace quidora {

class Program;
class DialogHost;

namespace dialogs {

class CategoryNameDialog : public TableDialog {
  Q_OBJECT

 public:
  struct Ids {
    int edit;
    int ok;
    int cancel;
    int prompt;
  };

  void OnTitleOk() override { Confirm(); }

 protected:
  CategoryNameDialog(Program& program, const QString& title, Ids ids);
  void OnOpened() override;

  // Stores the name; the dialog then ends with the OK code.
  virtual void Apply(const std::u16string& storedName) = 0;

  Program& program_;
  QLineEdit* edit_;

 private:
  void TextChanged();
  void Confirm();
  // The name in its stored form, or nothing when the dialog stays open (empty or invalid name).
  std::optional<std::u16string> TakeName();

  Ids ids_;
  QPushButton* ok_;
  QPushButton* cancel_;
};

class NewCategoryDialog : public CategoryNameDialog {
  Q_OBJECT

 public:
  explicit NewCategoryDialog(Program& program);

 protected:
  void Apply(const std::u16string& storedName) override;
};

// Renames the category at the category list's cursor.
class EditCategoryDialog : public CategoryNameDialog {
  Q_OBJECT

 public:
  EditCategoryDialog(Program& program, DialogHost& host);

 protected:
  void OnOpened() override;
  void Apply(const std::u16string& storedName) override;

 private:
  DialogHost& host_;
  std::u16string oldName_;
};

}  // namespace dialogs
}  // namespace quidora
