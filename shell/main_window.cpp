#include "shell/main_window.h"

#include "core/sorts.h"
#include "core/sums.h"
#include "core/text_ops.h"
#include "dialogs/dialogs.h"
#include "export/export_dialogs.h"
#include "platform/ui/cash_sound.h"
#include "platform/ui/device_screen.h"
#include "platform/ui/input_panel.h"
#include "platform/ui/menu_bar.h"
#include "platform/ui/text.h"
#include "platform/ui/wait_cursor.h"
#include "reports/reports.h"
#include "shell/about_page.h"
#include "shell/account_view.h"
#include "shell/command_ids.h"
#include "shell/command_states.h"
#include "shell/desktop_keys.h"
#include "shell/file_drop.h"
#include "shell/exit_sequence.h"
#include "shell/main_menu.h"
#include "shell/money_list_model.h"
#include "shell/money_list_view.h"
#include "program/program.h"
#include "shell/undo_list.h"
#include "store/loading.h"
#include "store/record_writes.h"

namespace quidora {

MainWindow::MainWindow(Program& program, QObject* parent)
    : QObject(parent), program_(program), sound_(new ui::CashSound(this)) {}

MainWindow::~MainWindow() = default;

MoneyListView& MainWindow::List() const {
  return view_->List();
}

bool MainWindow::Create() {
  ui::DeviceScreen& screen = program_.screen;
  screen.SetTitle(ui::LoadQString(StringId::Title));
  screen.SetMainHelpTopic(QString::fromLatin1(kHelpTopic));
  screen.SetMainHelpHandler([this] { OnHelp(); });

  program_.today = program_.clock.NowUtc();
  program_.rangeStartDate = program_.today;
  program_.rangeEndDate = program_.today;

  screen.Menu().Build(MainMenuDescription());
  connect(&screen.Menu(), &ui::MenuBar::CommandIssued, this, &MainWindow::RunCommand);

  program_.openDialog = nullptr;
  program_.sortedThisRun = false;

  const bool anyRecords = LoadAccountMoneyRecords(program_.store, program_.money,
                                                  program_.currentAccount, program_.messages);

  view_ = new AccountView(program_);
  screen.SetMainView(view_);
  InstallDesktopKeys(program_, *this);
  InstallFileDrop(program_, *this);
  connect(view_, &AccountView::AccountChosen, this, &MainWindow::OnAccountChosen);
  connect(&view_->Chooser(), &AccountChooser::PopupOpening, this,
          [this] { program_.screen.Panel().Lower(); });
  connect(&List(), &MoneyListView::RowTapped, this, &MainWindow::OnRowTapped);
  connect(&List(), &MoneyListView::HeaderTapped, this, &MainWindow::OnHeaderTapped);

  view_->FillChooser();
  if (program_.accounts.empty()) {
    screen.Menu().SetCommandEnabled(command::kAccountsBalance, false);
  }
  List().SetLayout(program_.IsWideLayout());
  List().Model().SetSortColumn(static_cast<int>(program_.sortColumn));
  List().SetHeaderImage(program_.sortOrder);

  if (anyRecords) {
    if (!ApplyStoredSort()) return false;
    FillMoneyListView();
  } else {
    SetMoneyCommandsEnabled(program_, false);
  }
  UpdateUndoCommands(program_);
  if (program_.sortOrder != kNoOrder) program_.sortedThisRun = true;
  program_.transactionEditFlag = 0;
  program_.accountEditFlag = 0;
  RecomputeBalance();

  connect(&screen, &ui::DeviceScreen::ScreenSizeChanged, this, &MainWindow::OnWorkAreaChanged);
  connect(&screen, &ui::DeviceScreen::MainViewActivated, this, &MainWindow::OnActivated);
  screen.SetCloseHandler([this] {
    RunExitSequence(program_);
    return true;
  });
  return true;
}

// --- Commands ---------------------------------------------------------------------------------

void MainWindow::RunCommand(int commandNumber) {
  switch (commandNumber) {
    case command::kNewTransaction:
      NewTransaction();
      break;
    case command::kNewAccount:
      NewAccount();
      break;
    case command::kAccounts:
      AccountsLoop();
      break;
    case command::kUndoDeleting:
    case command::kUndoDeletingButton:
      RestoreNewest(program_, *this);
      break;
    case command::kExit:
      program_.screen.PostCloseRequest();
      break;
    case command::kEditCategories:
    case command::kEditCategoriesButton:
      CategoriesLoop();
      break;
    case command::kEmptyUndo:
      EmptyUndoList(program_);
      break;
    case command::kAbout:
      ShowAbout();
      break;
    case command::kExportTransactions:
      ShowTransactionsExport();
      break;
    case command::kTransactionsReport:
    case command::kTransactionsReportButton:
      ShowTransactionsReport();
      break;
    case command::kAccountsBalance:
      ShowBalanceReport();
      break;
    case command::kViewOptions:
      ViewOptions();
      break;
    case command::kDeleteByRange:
      DeleteByRange();
      break;
    default:
      break;
  }
}

void MainWindow::TakeSavedRow() {
  program_.savedRow = List().SelectedRow();
}

void MainWindow::RestoreSavedRow() {
  List().setFocus();
  if (program_.savedRow != -1) List().SelectRow(program_.savedRow);
}

void MainWindow::NewTransaction() {
  TakeSavedRow();
  if (program_.accounts.empty()) {
    AddAccountFlow(true);
    return;
  }
  program_.workMoney.Reset();
  program_.workMoney.SetDate(program_.today);
  program_.transactionEditFlag = 0;
  if (RunTransactionDialog(program_, *this) != end_code::kTransactionOk) {
    RestoreSavedRow();
    return;
  }
  std::uint32_t newKey = 0;
  if (!AddMoneyRecord(program_.store, program_.workMoney, newKey, program_.messages)) return;
  {
    ui::WaitCursor wait(program_.messages);
    program_.workMoney.key = newKey;
    if (program_.workMoney.accountKey == program_.currentAccount.key) {
      AppendShownRecord(program_.workMoney);
    }
  }
  RecomputeBalance();
  PlayCashAddedSound();
}

void MainWindow::NewAccount() {
  TakeSavedRow();
  if (program_.accounts.Count() >= kMaxAccounts) {
    program_.messages.Show(LoadString(StringId::AccountLimit), MessageIcon::Exclamation);
    return;
  }
  AddAccountFlow(true);
}

void MainWindow::AddAccountFlow(bool takeSavedRow) {
  if (takeSavedRow) TakeSavedRow();
  program_.accountEditFlag = 0;
  program_.workAccount.Reset();
  program_.workAccount.SetDate(program_.today);
  if (RunAccountDialog(program_, *this) != end_code::kAccountOk) {
    if (takeSavedRow) RestoreSavedRow();
    return;
  }
  if (program_.accounts.FindByName(program_.workAccount.Name()) != nullptr) return;
  std::uint32_t newKey = 0;
  if (!AddAccountRecord(program_.store, program_.workAccount, newKey, program_.messages)) return;

  ui::WaitCursor wait(program_.messages);
  program_.workAccount.key = newKey;
  program_.accounts.Append(program_.workAccount);
  program_.currentAccount.CopyFrom(program_.workAccount);
  SetLastAccount(program_.settings, program_.currentAccount.Name());
  const std::u16string_view name = program_.currentAccount.Name();
  AddAccountChoice(name);
  SelectAccountChoice(name);
  RefreshAccountView();
}

void MainWindow::AccountsLoop() {
  TakeSavedRow();
  program_.accountsSelectedIndex = -1;
  for (;;) {
    const int result = RunAccountsDialog(program_, *this);
    if (result != end_code::kAccountsNew) break;
    if (program_.accounts.Count() >= kMaxAccounts) {
      program_.messages.Show(LoadString(StringId::AccountLimit), MessageIcon::Exclamation);
    } else {
      AddAccountFlow(false);
    }
    if (program_.screen.IsClosing()) break;
  }
  RefreshAccountView();
  RestoreSavedRow();
}

void MainWindow::CategoriesLoop() {
  TakeSavedRow();
  moneyListReloaded_ = false;
  for (bool again = true; again && !program_.screen.IsClosing();) {
    switch (RunCategoriesDialog(program_, *this)) {
      case end_code::kCategoriesNew:
        RunNewCategoryDialog(program_, *this);
        break;
      case end_code::kCategoriesRename:
        RunEditCategoryDialog(program_, *this);
        break;
      case end_code::kCategoriesDelete:
        break;
      default:
        again = false;
        break;
    }
  }
  // A rename or delete applied to records reloads the money list in stored order, whether or
  // not a record changed: put the rows back in view order.
  if (program_.categoriesChanged || moneyListReloaded_) {
    ResortAndRefill();
    program_.categoriesChanged = false;
  }
  RestoreSavedRow();
}

// The texts of every record are prebuilt in both forms: a refill shows the new ones.
void MainWindow::ViewOptions() {
  TakeSavedRow();
  const int code = RunViewOptionsDialog(program_);
  if (code == end_code::kViewOptionsOk || code == end_code::kTitleOk) {
    ui::WaitCursor wait(program_.messages);
    if (SortMoneyByDate(program_.money, program_.sortOrder, program_.messages)) {
      FillMoneyListView();
    }
  }
  RecomputeBalance();
  RestoreSavedRow();
}

// The dialog reloaded the money list in stored order: back into view order.
void MainWindow::DeleteByRange() {
  TakeSavedRow();
  if (RunDeleteRangeDialog(program_, *this) == end_code::kDeleteRangeDone) {
    ResortAndRefill();
    UpdateCommandStates();
  }
  RestoreSavedRow();
}

void MainWindow::ShowAbout() {
  ShowCommandDialog([this] { return AboutPage(program_.screen, program_.settings).Exec(); });
}

void MainWindow::ShowTransactionsReport() {
  ShowCommandDialog([this] {
    return reports::RunTransactionsReport(
        program_, [this](const CategoryReportFile& file) { ExportCategoryReport(file); });
  });
}

void MainWindow::ShowBalanceReport() {
  ShowCommandDialog([this] {
    return reports::RunBalanceReport(
        program_, [this](const BalanceReportFile& file) { ExportBalanceReport(file); });
  });
}

// The export dialog runs above the report, which stays as it was when the dialog ends.
void MainWindow::ExportCategoryReport(const CategoryReportFile& file) {
  RunCategoryReportExportDialog(program_, file);
}

void MainWindow::ExportBalanceReport(const BalanceReportFile& file) {
  RunBalanceReportExportDialog(program_, file);
}

// --- Shared steps -----------------------------------------------------------------------------

int MainWindow::ShowCommandDialog(const std::function<int()>& run) {
  TakeSavedRow();
  moneyListReloaded_ = false;
  const int code = run();
  if (moneyListReloaded_) ResortAndRefill();
  RestoreSavedRow();
  return code;
}

void MainWindow::ResortAndRefill() {
  moneyListReloaded_ = false;
  if (SortMoneyByDate(program_.money, program_.sortOrder, program_.messages)) {
    FillMoneyListView();
  }
  RecomputeBalance();
}

void MainWindow::RefreshAccountView() {
  LoadAccountMoneyRecords(program_.store, program_.money, program_.currentAccount,
                          program_.messages);
  if (SortMoneyByDate(program_.money, program_.sortOrder, program_.messages)) {
    FillMoneyListView();
  }
  // The account list may have grown or shrunk on the way here.
  UpdateCommandStates();
  RecomputeBalance();
}

bool MainWindow::ApplyStoredSort() {
  List().Model().SetSortColumn(static_cast<int>(program_.sortColumn));
  List().SetHeaderImage(program_.sortOrder);
  if (!SortMoneyByDate(program_.money, program_.sortOrder, program_.messages)) return false;
  if (program_.sortOrder == kAscending || program_.sortOrder == kDescending) {
    program_.sortedThisRun = true;
  }
  return true;
}

void MainWindow::FillMoneyListView() {
  List().Fill(program_.sortOrder, program_.currentAccount.key);
  SetMoneyCommandsEnabled(program_, List().RowCount() > 0);
}

void MainWindow::AppendShownRecord(const MoneyRecord& record) {
  if (program_.money.Append(record) == nullptr) return;
  List().AddRow();
  UpdateCommandStates();
  List().setFocus();
  List().SelectRow(List().RowCount() - 1);
}

void MainWindow::RecomputeBalance() {
  CurrentAccountBalance(program_.money, program_.currentAccount, program_.balance,
                        program_.messages);
  view_->BalanceChanged();
}

void MainWindow::PlayCashAddedSound() {
  sound_->Play();
}

// --- Account view -----------------------------------------------------------------------------

void MainWindow::OnAccountChosen() {
  {
    ui::WaitCursor wait(program_.messages);
    program_.currentAccount.Reset();
    const std::u16string chosen = ui::ToU16String(view_->Chooser().currentText());
    const std::u16string_view name = TrimSpaces(chosen);
    if (!name.empty()) {
      if (const AccountRecord* account = program_.accounts.FindByName(name)) {
        program_.currentAccount.CopyFrom(*account);
        SetLastAccount(program_.settings, program_.currentAccount.Name());
      }
    }
    LoadAccountMoneyRecords(program_.store, program_.money, program_.currentAccount,
                            program_.messages);
    SortMoneyByDate(program_.money, program_.sortOrder, program_.messages);
    FillMoneyListView();
    UpdateCommandStates();
  }
  RecomputeBalance();
}

void MainWindow::OnHeaderTapped(int column) {
  program_.screen.Panel().Lower();
  if (column != MoneyListModel::kDateColumn) return;

  std::uint32_t image = List().HeaderImage();
  switch (image) {
    case kAscending:
      program_.sortOrder = kDescending;
      image = kDescending;
      break;
    case kDescending:
      program_.sortOrder = kAscending;
      image = kAscending;
      break;
    default:
      program_.sortColumn = 0;
      if (program_.sortedThisRun) {
        image = program_.sortOrder;
      } else {
        program_.sortOrder = kAscending;
        image = kAscending;
      }
      break;
  }
  List().Model().SetSortColumn(static_cast<int>(program_.sortColumn));
  List().SetHeaderImage(image);
  if (!program_.money.empty()) {
    ui::WaitCursor wait(program_.messages);
    if (SortMoneyByDate(program_.money, program_.sortOrder, program_.messages)) {
      FillMoneyListView();
      program_.sortedThisRun = true;
    }
  }
}

void MainWindow::OnRowTapped(int row) {
  const int selected = List().SelectedRow();
  program_.savedRow = selected != -1 ? selected : row;

  program_.workMoney.Reset();
  if (program_.savedRow < 0) return;
  const auto position = static_cast<std::size_t>(program_.savedRow);
  const MoneyRecord* record = program_.money.FindByPosition(position);
  if (record == nullptr) return;
  program_.workMoney.CopyFrom(*record);
  program_.transactionEditFlag = 1;

  if (RunTransactionDialog(program_, *this) == end_code::kTransactionOk) {
    ui::WaitCursor wait(program_.messages);
    if (UpdateMoneyRecord(program_.store, program_.workMoney, program_.messages)) {
      if (program_.workMoney.accountKey != program_.currentAccount.key) {
        RemoveMoneyRecordAndRow(program_.savedRow);
        program_.savedRow = -1;
        List().ClearSelection();
      } else if (program_.money.FindByPosition(position) != nullptr &&
                 program_.money.ReplaceAt(position, program_.workMoney) != nullptr) {
        List().UpdateRow(program_.savedRow);
      }
    }
  }
  RecomputeBalance();
  List().setFocus();
  if (program_.savedRow != -1) List().SelectRow(program_.savedRow);
  program_.transactionEditFlag = 0;
}

// --- Screen events ----------------------------------------------------------------------------

void MainWindow::OnWorkAreaChanged() {
  List().SetLayout(program_.IsWideLayout());
  if (!program_.money.empty()) {
    if (!ApplyStoredSort()) {
      program_.screen.PostCloseRequest();
      return;
    }
    FillMoneyListView();
  } else {
    List().RemoveAllRows();
    SetMoneyCommandsEnabled(program_, false);
  }
  RecomputeBalance();
}

void MainWindow::OnActivated() {
  if (!program_.openDialog.isNull()) {
    program_.screen.Panel().Raise();
  } else {
    program_.screen.Panel().Lower();
    List().setFocus();
  }
}

void MainWindow::OnHelp() {
  TakeSavedRow();
  program_.screen.ShowHelp(QString::fromLatin1(kHelpTopic));
  RestoreSavedRow();
}

// --- DialogHost -------------------------------------------------------------------------------

void MainWindow::UpdateCommandStates() {
  quidora::UpdateCommandStates(program_);
}

bool MainWindow::PushDeleted(const MoneyRecord& record) {
  return quidora::PushDeleted(program_, record);
}

void MainWindow::DropDeletedOfAccount(std::uint32_t accountKey) {
  quidora::DropDeletedOfAccount(program_, accountKey);
}

void MainWindow::MoneyListReloaded() {
  moneyListReloaded_ = true;
}

void MainWindow::RemoveMoneyRecordAndRow(int position) {
  if (position < 0 || static_cast<std::size_t>(position) >= program_.money.size()) return;
  program_.money.RemoveAt(static_cast<std::size_t>(position));
  List().RemoveRow(position);
  if (List().RowCount() == 0) SetMoneyCommandsEnabled(program_, false);
}

void MainWindow::AddAccountChoice(std::u16string_view name) {
  view_->Chooser().AddName(ui::ToQString(name));
}

bool MainWindow::RemoveAccountChoice(std::u16string_view name) {
  return view_->Chooser().RemoveName(ui::ToQString(name));
}

void MainWindow::SelectAccountChoice(std::u16string_view name) {
  view_->Chooser().SelectName(ui::ToQString(name));
}

void MainWindow::RepaintAccountView() {
  view_->BalanceChanged();
}

void MainWindow::ShowTransactionsExport() {
  ShowCommandDialog([this] { return RunTransactionsExportDialog(program_); });
}

}  // namespace quidora
