#include "reports/balance_report.h"

#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <span>

#include "core/sorts.h"
#include "core/sums.h"
#include "dialogs/dialog_controls.h"
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
#include "store/range_balances.h"

namespace quidora::reports {
namespace {

constexpr int kRangeGroup = 1150;
constexpr int kStartsLabel = 1151;
constexpr int kStartPicker = 1152;
constexpr int kEndsLabel = 1153;
constexpr int kEndPicker = 1154;
constexpr int kBalanceButton = 1155;
constexpr int kReset = 1156;
constexpr int kExport = 1157;
constexpr int kTotalLabel = 1158;
constexpr int kTotalText = 1159;
constexpr int kList = 503;
constexpr int kAccountColumn = 0;
constexpr int kBalanceColumn = 1;

const dialogs::LayoutTable kLayout{
    {kRangeGroup, {6, 5, 130, 106}, {6, 5, 225, 70}},
    {kStartsLabel, {15, 22, 40, 18}, {15, 25, 40, 18}},
    {kStartPicker, {15, 40, 95, 18}, {62, 25, 95, 18}},
    {kEndsLabel, {15, 65, 35, 18}, {15, 50, 35, 18}},
    {kEndPicker, {15, 83, 95, 18}, {62, 50, 95, 18}},
    {kBalanceButton, {7, 140, 105, 25}, {7, 85, 105, 25}},
    {kExport, {7, 140, 105, 25}, {7, 85, 105, 25}},
    {kReset, {125, 140, 105, 25}, {125, 85, 105, 25}},
    {kTotalLabel, {110, 115, 85, 18}, {10, 240, 90, 18}},
    {kTotalText, {193, 115, 120, 18}, {105, 238, 120, 18}},
};

dialogs::ReportListSpec ListSpec() {
  return {kList,
          {140, 5, 173, 105},
          {7, 120, 223, 108},
          {{ui::LoadQString(StringId::BalanceColumnAccount), 90, 110},
           {ui::LoadQString(StringId::BalanceColumnBalance), 105, 95}}};
}

QPushButton* MakeButton(QWidget* parent, int id, const QString& text) {
  return ui::SetControlId(new QPushButton(text, parent), id);
}

}  // namespace

BalanceReport::BalanceReport(Program& program, BalanceReportExport exportReport)
    : TableDialog(program.screen, QStringLiteral("Accounts Balance"),
                  QStringLiteral("file:equidorappc.htm#Accountsstat"), kLayout),
      program_(program),
      exportReport_(std::move(exportReport)),
      sortColumn_(program.settings.sortABalance),
      sortOrder_(program.settings.sortOrderABalance) {
  SetPanelOnActivation(PanelOnActivation::LowerOnEveryChange);
  ui::SetControlId(new QGroupBox(QStringLiteral("Define Date range"), this), kRangeGroup);
  dialogs::MakeLabel(this, kStartsLabel, QStringLiteral("Starts:"));
  dialogs::MakeLabel(this, kEndsLabel, QStringLiteral("Ends:"));
  pickers_ = MakeRangePickers(this, program, kStartPicker, kEndPicker);
  balance_ = MakeButton(this, kBalanceButton, QStringLiteral("Balance report"));
  reset_ = MakeButton(this, kReset, QStringLiteral("Reset"));
  export_ = MakeButton(this, kExport, QStringLiteral("Export..."));
  totalLabel_ = dialogs::MakeLabel(this, kTotalLabel, QStringLiteral("Total Balance:"));
  totalText_ = dialogs::MakeValueLabel(this, kTotalText, totalLabel_->text());
  totalText_->setAlignment(Qt::AlignCenter);

  auto* rules = new ui::InputPanelRules(program.screen.Panel(), this,
                                        ui::InputPanelRules::AfterPopup::LeavePanelDown);
  rules->WatchDatePicker(pickers_.start);
  rules->WatchDatePicker(pickers_.end);

  connect(balance_, &QPushButton::clicked, this, &BalanceReport::BalanceClicked);
  connect(reset_, &QPushButton::clicked, this, &BalanceReport::Reset);
  connect(export_, &QPushButton::clicked, this, &BalanceReport::Export);
  ShowState(false);
}

void BalanceReport::OnOpened() {
  program_.screen.Panel().Lower();
  pickers_.start->setFocus(Qt::OtherFocusReason);
}

void BalanceReport::resizeEvent(QResizeEvent* event) {
  TableDialog::resizeEvent(event);
  if (list_ == nullptr) return;
  // Made anew in the other layout, from the records read again, in the order chosen so far.
  DropList();
  if (!ComputeBalances() || !ShowBalances()) ShowState(false);
}

void BalanceReport::ShowState(bool shown) {
  pickers_.start->setEnabled(!shown);
  pickers_.end->setEnabled(!shown);
  balance_->setVisible(!shown);
  reset_->setVisible(shown);
  reset_->setEnabled(shown);
  export_->setVisible(shown);
  totalLabel_->setVisible(shown);
  totalText_->setVisible(shown);
  SetDefaultButton(shown ? reset_ : balance_);
}

void BalanceReport::BalanceClicked() {
  const PickedRange range = AcceptRange(program_, pickers_);
  program_.balanceStart.SetDate(range.start);
  program_.balanceEnd.SetDate(range.end);
  if (!range.accepted) return;
  sortColumn_ = program_.settings.sortABalance;
  sortOrder_ = program_.settings.sortOrderABalance;
  if (ComputeBalances()) ShowBalances();
}

bool BalanceReport::ComputeBalances() {
  // Only the range's records are read, with what balances need, and summed as they come: the
  // shown account's list stays as it is.
  std::int64_t total = 0;
  const bool summed =
      SumBalancesInRange(program_.store, program_.accounts, program_.balanceStart.DateNumber(),
                         program_.balanceEnd.DateNumber(), total, program_.messages);
  // Each account's balance fits its field; their total need not, and is refused the same way.
  const bool overflow = summed && !FitsAmountField(total);
  if (overflow) {
    program_.messages.Show(LoadString(StringId::BalanceOverflow), MessageIcon::Exclamation);
  }
  if (!summed || overflow) {
    program_.messages.Show(LoadString(StringId::NoTransactionsInRange), MessageIcon::Exclamation);
    Reset();
    return false;
  }
  total_ = total;
  return true;
}

bool BalanceReport::ShowBalances() {
  list_ = new dialogs::ReportList(this, ListSpec(), Wide());
  list_->setAccessibleName(QStringLiteral("Accounts"));
  connect(list_, &dialogs::ReportList::HeaderTapped, this, &BalanceReport::HeaderTapped);
  const int sorted = list_->ShowStoredSort(sortColumn_, sortOrder_);
  if (!SortAccounts(sorted)) {
    DropList();
    End(0);
    return false;
  }
  FillList();
  list_->show();
  program_.totalBalance.type = total_ < 0 ? kExpense : kIncome;
  const std::int64_t magnitude = total_ < 0 ? -total_ : total_;
  // The magnitude of the lowest total (2147483648) has its texts but not its field.
  program_.totalBalance.amount =
      static_cast<std::int32_t>(FitsAmountField(magnitude) ? magnitude : magnitude - 1);
  program_.totalBalance.SetAmount(magnitude);
  dialogs::ShowValue(totalText_, TotalText(total_, program_.settings.moneyTypeView));
  ShowState(true);
  return true;
}

bool BalanceReport::SortAccounts(int column) {
  if (column == kBalanceColumn) {
    return SortBalanceByAmount(program_.accounts, sortOrder_, program_.messages);
  }
  ui::WaitCursor wait(program_.messages);
  return SortBalanceByName(program_.accounts, sortOrder_, program_.messages);
}

void BalanceReport::FillList() {
  list_->Clear();
  const std::uint32_t grouping = program_.settings.moneyTypeView;
  for (const AccountRecord& account : program_.accounts) {
    list_->AddRow({ui::ToQString(account.Name()), MagnitudeText(account.balance, grouping)},
                  AmountImage(account.balance));
  }
}

void BalanceReport::Reset() {
  DropList();
  KeepSortInSettings();
  ShowState(false);
}

void BalanceReport::Export() {
  const std::span<const AccountRecord> accounts(
      program_.accounts.empty() ? nullptr : &program_.accounts[0], program_.accounts.size());
  if (exportReport_) {
    exportReport_(BalanceReportFile{program_.balanceStart.DateNumber(),
                                    program_.balanceEnd.DateNumber(), accounts, total_});
  }
  SetDefaultButton(reset_);
}

void BalanceReport::HeaderTapped(int column) {
  program_.screen.Panel().Lower();
  if (column != kAccountColumn && column != kBalanceColumn) return;
  const ColumnTap tap = list_->TapHeader(column, sortOrder_);
  sortOrder_ = tap.direction;
  sortColumn_ = tap.sortColumn;
  if (!program_.accounts.empty() && SortAccounts(column)) FillList();
}

void BalanceReport::DropList() {
  delete list_;
  list_ = nullptr;
}

void BalanceReport::KeepSortInSettings() {
  program_.settings.sortABalance = sortColumn_;
  program_.settings.sortOrderABalance = sortOrder_;
}

void BalanceReport::OnTitleOk() {
  KeepSortInSettings();
  DropList();
  End(kDone);
}

int RunBalanceReport(Program& program, const BalanceReportExport& exportReport) {
  BalanceReport report(program, exportReport);
  return report.Exec();
}

}  // namespace quidora::reports
