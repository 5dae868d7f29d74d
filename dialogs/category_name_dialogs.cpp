#include "dialogs/category_name_dialogs.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "core/text_ops.h"
#include "dialogs/category_changes.h"
#include "dialogs/dialog_controls.h"
#include "dialogs/dialog_host.h"
#include "dialogs/dialogs.h"
#include "platform/ui/control_id.h"
#include "platform/ui/device_screen.h"
#include "platform/ui/input_panel.h"
#include "platform/ui/input_panel_rules.h"
#include "platform/ui/text.h"
#include "program/program.h"
#include "store/record_writes.h"

namespace quidora::dialogs {
namespace {

constexpr int kNameLimit = 20;

}  // namespace

CategoryNameDialog::CategoryNameDialog(Program& program, const QString& title, Ids ids)
    : FullScreenDialog(program.screen, title, QStringLiteral("file:equidorappc.htm#Categories")),
      program_(program),
      ids_(ids) {
  UseDialogFont(this);
  prompt_ = new QLabel(QStringLiteral("Enter a new category name:"), this);
  edit_ = ui::SetControlId(new QLineEdit(this), ids.edit);
  edit_->setMaxLength(kNameLimit);
  prompt_->setBuddy(edit_);
  edit_->setAccessibleName(prompt_->text());
  ok_ = ui::SetControlId(new QPushButton(QStringLiteral("OK"), this), ids.ok);
  cancel_ = ui::SetControlId(new QPushButton(QStringLiteral("Cancel"), this), ids.cancel);
  for (QPushButton* button : {ok_, cancel_}) button->setAccessibleName(button->text());

  prompt_->setGeometry(6, 8, 228, 20);
  edit_->setGeometry(6, 30, 160, 22);
  ok_->setGeometry(6, 62, 73, 24);
  cancel_->setGeometry(85, 62, 73, 24);

  auto* rules = new ui::InputPanelRules(program.screen.Panel(), this);
  rules->WatchTextField(edit_);
  connect(edit_, &QLineEdit::textChanged, this, &CategoryNameDialog::TextChanged);
  connect(ok_, &QPushButton::clicked, this, &CategoryNameDialog::Confirm);
  connect(cancel_, &QPushButton::clicked, this, [this] {
    program_.openDialog = nullptr;
    End(ids_.cancel);
  });
}

void CategoryNameDialog::OnOpened() {
  program_.openDialog = this;
  TextChanged();
  FocusAndSelect(edit_);
  program_.screen.Panel().Raise();
}

void CategoryNameDialog::TextChanged() {
  const bool hasText = !edit_->text().isEmpty();
  ok_->setEnabled(hasText);
  SetDefaultButton(hasText ? ok_ : cancel_);
}

std::optional<std::u16string> CategoryNameDialog::TakeName() {
  ui::InputPanel& panel = program_.screen.Panel();
  panel.Lower();
  const std::u16string typed = ui::ToU16String(edit_->text());
  const std::u16string_view name = TrimSpaces(typed);
  if (name.empty()) {
    FocusAndSelect(edit_);
    return std::nullopt;
  }
  if (!IsValidName(name)) {
    program_.messages.Show(LoadString(StringId::InvalidName), MessageIcon::Exclamation);
    FocusAndSelect(edit_);
    panel.Raise();
    return std::nullopt;
  }
  return StoredCategoryName(name);
}

void CategoryNameDialog::Confirm() {
  const std::optional<std::u16string> name = TakeName();
  if (!name) return;
  Apply(*name);
  program_.openDialog = nullptr;
  End(ids_.ok);
}

NewCategoryDialog::NewCategoryDialog(Program& program)
    : CategoryNameDialog(program, QStringLiteral("New category"),
                         {1064, end_code::kNewCategoryOk, end_code::kNewCategoryCancel}) {}

void NewCategoryDialog::Apply(const std::u16string& storedName) {
  CategoryRecord category;
  category.SetName(storedName);
  // A name already in the list is not added again; that is no error.
  program_.categories.Append(std::move(category));
  RewriteCategories(program_.store, program_.categories, program_.messages);
}

EditCategoryDialog::EditCategoryDialog(Program& program, DialogHost& host)
    : CategoryNameDialog(program, QStringLiteral("Edit category"),
                         {1065, end_code::kEditCategoryOk, end_code::kEditCategoryCancel}),
      host_(host) {}

void EditCategoryDialog::OnOpened() {
  const CategoryRecord* current = program_.categories.Current();
  oldName_ = current != nullptr ? std::u16string(current->Name()) : std::u16string();
  edit_->setText(ui::ToQString(oldName_));
  CategoryNameDialog::OnOpened();
}

void EditCategoryDialog::Apply(const std::u16string& storedName) {
  program_.categories.RemoveByName(oldName_);
  CategoryRecord renamed;
  renamed.SetName(storedName);
  // Renaming onto a name already in the list merges the two categories into that one.
  program_.categories.Append(std::move(renamed));
  if (RewriteCategories(program_.store, program_.categories, program_.messages) &&
      program_.settings.catRecsApply == 1) {
    RenameCategoryRecords(program_, oldName_, storedName);
    host_.MoneyListReloaded();
  }
}

}  // namespace quidora::dialogs
