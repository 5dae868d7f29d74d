#include "reports/transactions_report.h"

#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <span>

#include "core/sorts.h"
#include "core/sums.h"
#include "dialogs/dialog_controls.h"
#include "platform/clock.h"
#include "dialogs/layout_table.h"
#include "dialogs/report_list.h"
#include "platform/ui/control_id.h"
#include "platform/ui/device_screen.h"
#include "platform/ui/input_panel.h"
#include "platform/ui/input_panel_rules.h"
#include "platform/ui/text.h"
#include "platform/ui/wait_cursor.h"
#include "reports/range_total.h"
#include "reports/report_texts.h"
#include "program/program.h"

namespace quidora::reports {
namespace {

constexpr int kRangeGroup = 1067;
constexpr int kStartsLabel = 1068;
constexpr int kStartPicker = 1069;
constexpr int kEndsLabel = 1070;
constexpr int kEndPicker = 1071;
constexpr int kViewGroup = 1072;
constexpr int kSpecified = 1073;
constexpr int kTotal = 1074;
constexpr int kViewReport = 1075;
constexpr int kExport = 1076;
constexpr int kReset = 1077;
constexpr int kBalanceGroup = 1078;
constexpr int kTotalLabel = 1079;
constexpr int kTotalText = 1080;
constexpr int kList = 501;
constexpr int kCategoryColumn = 0;
constexpr int kAmountColumn = 1;

const dialogs::LayoutTable kLayout{
    {kRangeGroup, {6, 5, 157, 70}, {6, 5, 226, 70}},
    {kStartsLabel, {12, 25, 40, 16}, {12, 25, 40, 16}},
    {kEndsLabel, {12, 50, 35, 16}, {12, 50, 35, 16}},
    {kStartPicker, {59, 25, 95, 18}, {59, 25, 95, 18}},
    {kEndPicker, {59, 50, 95, 18}, {59, 50, 95, 18}},
    {kViewGroup, {6, 79, 157, 45}, {6, 79, 226, 45}},
    {kSpecified, {20, 97, 75, 18}, {40, 97, 80, 18}},
    {kTotal, {105, 97, 55, 18}, {145, 97, 65, 18}},
    {kViewReport, {7, 132, 85, 21}, {7, 132, 90, 21}},
    {kExport, {7, 132, 85, 21}, {7, 132, 90, 21}},
    {kReset, {100, 133, 85, 21}, {140, 133, 90, 21}},
    {kBalanceGroup, {194, 5, 120, 80}, {6, 165, 226, 45}},
    {kTotalLabel, {208, 28, 100, 16}, {40, 185, 50, 16}},
    {kTotalText, {211, 50, 80, 18}, {105, 183, 110, 18}},
};

dialogs::ReportListSpec ListSpec() {
  return {kList,
          {164, 13, 150, 110},
          {7, 160, 223, 92},
          {{ui::LoadQString(StringId::ReportColumnCategory), 78, 110},
           {ui::LoadQString(StringId::ReportColumnAmount), 85, 95}}};
}

QPushButton* MakeButton(QWidget* parent, int id, const QString& text) {
  auto* button = ui::SetControlId(new QPushButton(text, parent), id);
  button->setAccessibleName(text);
  button->setAutoDefault(false);
  return button;
}

QLabel* MakeLabel(QWidget* parent, int id, const QString& text) {
  return ui::SetControlId(new QLabel(text, parent), id);
}

}  // namespace

TransactionsReport::TransactionsReport(Program& program, CategoryReportExport exportReport)
    : FullScreenDialog(program.screen, QStringLiteral("Money Report"),
                       QStringLiteral("file:equidorappc.htm#Workwithrapport")),
      program_(program),
      exportReport_(std::move(exportReport)),
      sortColumn_(program.settings.sortRapport),
      sortOrder_(program.settings.sortOrderRapport) {
  dialogs::UseDialogFont(this);
  SetTitleButtonText(QStringLiteral("Done"));
  // Group boxes first: later siblings are drawn above them.
  ui::SetControlId(new QGroupBox(QStringLiteral("Define Date range"), this), kRangeGroup);
  ui::SetControlId(new QGroupBox(QStringLiteral("Report View"), this), kViewGroup);
  balanceGroup_ = ui::SetControlId(new QGroupBox(QStringLiteral("Balance"), this), kBalanceGroup);
  MakeLabel(this, kStartsLabel, QStringLiteral("Starts:"));
  MakeLabel(this, kEndsLabel, QStringLiteral("Ends:"));
  pickers_ = MakeRangePickers(this, program, kStartPicker, kEndPicker);
  view_ = MakeButton(this, kViewReport, QStringLiteral("View report"));
  reset_ = MakeButton(this, kReset, QStringLiteral("Reset"));
  export_ = MakeButton(this, kExport, QStringLiteral("Export..."));
  totalLabel_ = MakeLabel(this, kTotalLabel, QStringLiteral("Total:"));
  totalText_ = MakeLabel(this, kTotalText, QString());
  totalText_->setAlignment(Qt::AlignCenter);
  totalText_->setAccessibleName(QStringLiteral("Total"));
  specified_ = ui::SetControlId(new QRadioButton(QStringLiteral("Specified"), this), kSpecified);
  total_ = ui::SetControlId(new QRadioButton(QStringLiteral("Total"), this), kTotal);
  specified_->setAccessibleName(specified_->text());
  total_->setAccessibleName(total_->text());

  auto* rules = new ui::InputPanelRules(program.screen.Panel(), this,
                                        ui::InputPanelRules::AfterPopup::LeavePanelDown);
  rules->WatchDatePicker(pickers_.start);
  rules->WatchDatePicker(pickers_.end);

  connect(specified_, &QRadioButton::clicked, this, &TransactionsReport::ViewChosen);
  connect(total_, &QRadioButton::clicked, this, &TransactionsReport::ViewChosen);
  connect(view_, &QPushButton::clicked, this, &TransactionsReport::ViewReport);
  connect(reset_, &QPushButton::clicked, this, &TransactionsReport::Reset);
  connect(export_, &QPushButton::clicked, this, &TransactionsReport::Export);
  ShowState(State::Entry);
  kLayout.Apply(this, Wide());
}

bool TransactionsReport::Wide() const {
  return IsWideLayout(program_.screen);
}

void TransactionsReport::OnOpened() {
  specified_->setChecked(true);
  program_.screen.Panel().Lower();
  pickers_.start->setFocus(Qt::OtherFocusReason);
}

void TransactionsReport::OnActivated() {
  program_.screen.Panel().Lower();
}

void TransactionsReport::resizeEvent(QResizeEvent* event) {
  FullScreenDialog::resizeEvent(event);
  kLayout.Apply(this, Wide());
  if (list_ == nullptr || !specified_->isChecked()) return;
  // The list is made anew in the other layout, from totals summed again and sorted as before.
  DropList();
  KeepSortInSettings();
  if (!CategoryTotals(program_.money, program_.categories, program_.rangeStart.DateNumber(),
                      program_.rangeEnd.DateNumber(), program_.messages) ||
      !ShowCategories()) {
    ShowState(State::Entry);
  }
}

void TransactionsReport::ShowState(State state) {
  state_ = state;
  const bool entry = state == State::Entry;
  const bool categories = state == State::CategoriesShown;
  const bool total = state == State::TotalShown;
  for (QWidget* control : std::initializer_list<QWidget*>{pickers_.start, pickers_.end,
                                                          specified_, total_}) {
    control->setEnabled(entry);
  }
  view_->setVisible(!categories);
  view_->setEnabled(entry);
  reset_->setVisible(!entry);
  reset_->setEnabled(!entry);
  export_->setVisible(categories);
  for (QWidget* control : std::initializer_list<QWidget*>{balanceGroup_, totalLabel_, totalText_}) {
    control->setVisible(total);
  }
  SetDefaultButton(entry ? view_ : reset_);
}

void TransactionsReport::ViewChosen(bool checked) {
  program_.screen.Panel().Lower();
  if (!checked) return;
  view_->setEnabled(true);
  SetDefaultButton(view_);
}

void TransactionsReport::ViewReport() {
  const PickedRange range = AcceptRange(program_, pickers_);
  program_.rangeStart.SetDate(range.start);
  program_.rangeEnd.SetDate(range.end);
  if (!range.accepted) return;
  if (!specified_->isChecked()) {
    ShowTotal();
    return;
  }
  // An overflowing sum has shown its own message; "nothing found" follows it.
  if (!CategoryTotals(program_.money, program_.categories, program_.rangeStart.DateNumber(),
                      program_.rangeEnd.DateNumber(), program_.messages)) {
    program_.messages.Show(LoadString(StringId::NoTransactionsInRange), MessageIcon::Exclamation);
    pickers_.start->setFocus(Qt::OtherFocusReason);
    return;
  }
  sortColumn_ = program_.settings.sortRapport;
  sortOrder_ = program_.settings.sortOrderRapport;
  ShowCategories();
}

bool TransactionsReport::ShowCategories() {
  list_ = new dialogs::ReportList(this, ListSpec(), Wide());
  list_->setAccessibleName(QStringLiteral("Categories"));
  connect(list_, &dialogs::ReportList::HeaderTapped, this, &TransactionsReport::HeaderTapped);
  const int sorted = list_->ShowStoredSort(sortColumn_, sortOrder_);
  if (!SortCategories(sorted)) {
    DropList();
    End(0);
    return false;
  }
  FillList();
  list_->show();
  ShowState(State::CategoriesShown);
  return true;
}

bool TransactionsReport::SortCategories(int column) {
  if (column == kAmountColumn) {
    return SortCategoriesByTotal(program_.categories, sortOrder_, program_.messages);
  }
  ui::WaitCursor wait(program_.messages);
  return SortCategoriesByName(program_.categories, sortOrder_, program_.messages);
}

void TransactionsReport::FillList() {
  list_->Clear();
  const std::uint32_t grouping = program_.settings.moneyTypeView;
  for (const CategoryRecord& category : program_.categories) {
    if (category.total == 0) continue;
    list_->AddRow({ui::ToQString(category.Name()), MagnitudeText(category.total, grouping)},
                  AmountImage(category.total));
  }
}

void TransactionsReport::ShowTotal() {
  std::optional<std::int64_t> sum;
  {
    ui::WaitCursor wait(program_.messages);
    sum = RangeTotal(program_.money, program_.rangeStart.DateNumber(),
                     program_.rangeEnd.DateNumber());
  }
  if (!sum) {
    program_.messages.Show(LoadString(StringId::BalanceOverflow), MessageIcon::Exclamation);
    Reset();
    return;
  }
  totalText_->setText(TotalText(*sum, program_.settings.moneyTypeView));
  ShowState(State::TotalShown);
}

void TransactionsReport::Reset() {
  if (specified_->isChecked()) {
    DropList();
    KeepSortInSettings();
  }
  ShowState(State::Entry);
}

void TransactionsReport::Export() {
  const std::span<const CategoryRecord> categories(
      program_.categories.empty() ? nullptr : &program_.categories[0], program_.categories.size());
  if (exportReport_) exportReport_(CategoryReportFile{program_.clock.NowUtc(), categories});
  SetDefaultButton(reset_);
}

void TransactionsReport::HeaderTapped(int column) {
  program_.screen.Panel().Lower();
  if (column != kCategoryColumn && column != kAmountColumn) return;
  const ColumnTap tap = list_->TapHeader(column, sortOrder_);
  sortOrder_ = tap.direction;
  sortColumn_ = tap.sortColumn;
  if (!program_.categories.empty() && SortCategories(column)) FillList();
}

void TransactionsReport::DropList() {
  delete list_;
  list_ = nullptr;
}

void TransactionsReport::KeepSortInSettings() {
  program_.settings.sortRapport = sortColumn_;
  program_.settings.sortOrderRapport = sortOrder_;
}

void TransactionsReport::OnTitleOk() {
  KeepSortInSettings();
  DropList();
  End(kDone);
}

int RunTransactionsReport(Program& program, const CategoryReportExport& exportReport) {
  TransactionsReport report(program, exportReport);
  return report.Exec();
}

}  // namespace quidora::reports
