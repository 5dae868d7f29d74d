#include "dialogs/categories_dialog.h"

#include <QCheckBox>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <string>

#include "dialogs/category_changes.h"
#include "dialogs/dialog_controls.h"
#include "dialogs/dialog_host.h"
#include "dialogs/dialogs.h"
#include "dialogs/layout_table.h"
#include "platform/ui/control_id.h"
#include "platform/ui/device_screen.h"
#include "platform/ui/input_panel.h"
#include "platform/ui/text.h"
#include "program/program.h"
#include "store/record_writes.h"

namespace quidora::dialogs {
namespace {

constexpr int kList = 1060;
constexpr int kNew = 1032;
constexpr int kRename = 1033;
constexpr int kDelete = 1034;
constexpr int kApply = 1035;
const QColor kBlue(0, 0, 255);

const LayoutTable kLayout{
    {kList, {6, 28, 200, 124}, {6, 28, 228, 130}},
    {kNew, {214, 28, 100, 24}, {6, 164, 72, 24}},
    {kRename, {214, 58, 100, 24}, {84, 164, 72, 24}},
    {kDelete, {214, 88, 100, 24}, {162, 164, 72, 24}},
    {kApply, {6, 156, 300, 20}, {6, 194, 228, 20}},
};

}  // namespace

CategoriesDialog::CategoriesDialog(Program& program, DialogHost& host)
    : FullScreenDialog(program.screen, QStringLiteral("Edit Categories..."),
                       QStringLiteral("file:equidorappc.htm#Categories")),
      program_(program),
      host_(host) {
  UseDialogFont(this);
  MakeHeading(this, ui::LoadQString(StringId::CategoryHeading), kBlue, QPoint(6, 4));
  list_ = ui::SetControlId(new QListWidget(this), kList);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->setAccessibleName(ui::LoadQString(StringId::CategoryHeading));
  new_ = ui::SetControlId(new QPushButton(QStringLiteral("New"), this), kNew);
  rename_ = ui::SetControlId(new QPushButton(QStringLiteral("Rename"), this), kRename);
  delete_ = ui::SetControlId(new QPushButton(QStringLiteral("Delete"), this), kDelete);
  apply_ = ui::SetControlId(
      new QCheckBox(QStringLiteral("Apply Rename and Delete to records"), this), kApply);
  apply_->setAccessibleName(apply_->text());
  for (QPushButton* button : {new_, rename_, delete_}) {
    button->setAccessibleName(button->text());
    button->setAutoDefault(false);
  }

  connect(list_, &QListWidget::itemSelectionChanged, this, &CategoriesDialog::SelectionChanged);
  connect(new_, &QPushButton::clicked, this, [this] {
    StoreApplyChoice();
    End(end_code::kCategoriesNew);
  });
  connect(rename_, &QPushButton::clicked, this, &CategoriesDialog::Rename);
  connect(delete_, &QPushButton::clicked, this, &CategoriesDialog::Delete);
}

void CategoriesDialog::resizeEvent(QResizeEvent* event) {
  FullScreenDialog::resizeEvent(event);
  kLayout.Apply(this, IsWideLayout(program_.screen) && width() >= 320);
}

void CategoriesDialog::paintEvent(QPaintEvent* event) {
  FullScreenDialog::paintEvent(event);
  QPainter painter(this);
  painter.setPen(QPen(kBlue, 1));
  painter.drawLine(1, 23, 235, 23);
}

void CategoriesDialog::OnOpened() {
  list_->clear();
  for (const CategoryRecord& category : program_.categories) {
    list_->addItem(ui::ToQString(category.Name()));
  }
  EnableNameButtons(false);
  apply_->setChecked(program_.settings.catRecsApply == 1);
  program_.screen.Panel().Lower();
  list_->setFocus(Qt::OtherFocusReason);
}

void CategoriesDialog::OnActivated() {
  program_.screen.Panel().Lower();
}

void CategoriesDialog::OnTitleOk() {
  StoreApplyChoice();
  End(end_code::kCategoriesClose);
}

void CategoriesDialog::EnableNameButtons(bool enabled) {
  rename_->setEnabled(enabled);
  delete_->setEnabled(enabled);
  if (enabled) SetDefaultButton(rename_);
}

void CategoriesDialog::SelectionChanged() {
  program_.screen.Panel().Lower();
  EnableNameButtons(!list_->selectedItems().isEmpty());
}

void CategoriesDialog::StoreApplyChoice() {
  program_.settings.catRecsApply = apply_->isChecked() ? 1 : 0;
}

QString CategoriesDialog::SelectedName() {
  const QList<QListWidgetItem*> selected = list_->selectedItems();
  if (selected.isEmpty() || selected.first()->text().isEmpty()) {
    EnableNameButtons(false);
    return {};
  }
  return selected.first()->text();
}

void CategoriesDialog::Rename() {
  StoreApplyChoice();
  const QString name = SelectedName();
  if (name.isEmpty()) return;
  // The rename dialog renames the category under the list's cursor.
  program_.categories.FindByName(ui::ToU16String(name));
  End(end_code::kCategoriesRename);
}

void CategoriesDialog::Delete() {
  StoreApplyChoice();
  if (program_.messages.Show(LoadString(StringId::DeleteCategoryQuestion), MessageIcon::Exclamation,
                             MessageButtons::YesNo) != MessageAnswer::Yes) {
    return;
  }
  const QString selected = SelectedName();
  if (selected.isEmpty()) return;
  const std::u16string name = ui::ToU16String(selected);
  program_.categories.RemoveByName(name);
  RewriteCategories(program_.store, program_.categories, program_.messages);
  if (program_.settings.catRecsApply == 1) {
    DeleteCategoryRecords(program_, name);
    host_.MoneyListReloaded();
  }
  End(end_code::kCategoriesDelete);
}

}  // namespace quidora::dialogs
