#include "export/export_dialog.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <span>
#include <tuple>
#include <utility>

#include "core/text_ops.h"
#include "dialogs/dialog_controls.h"
#include "export/export_dialogs.h"
#include "platform/clock.h"
#include "platform/ui/control_id.h"
#include "platform/ui/device_screen.h"
#include "platform/ui/input_panel.h"
#include "platform/ui/input_panel_rules.h"
#include "platform/ui/text.h"
#include "platform/ui/wait_cursor.h"
#include "program/program.h"

namespace quidora {
namespace dialogs {
namespace {

constexpr int kNameLimit = 128;

LayoutTable MakeLayout(const ExportDialogIds& ids) {
  return LayoutTable{
      {ids.fileGroup, {6, 3, 195, 45}, {6, 10, 228, 45}},
      {ids.nameLabel, {13, 23, 35, 18}, {14, 30, 40, 18}},
      {ids.name, {60, 20, 130, 20}, {65, 27, 140, 20}},
      {ids.typeGroup, {204, 3, 110, 50}, {6, 70, 110, 60}},
      {ids.ascii, {214, 17, 80, 16}, {15, 85, 80, 18}},
      {ids.unicode, {214, 34, 80, 16}, {15, 105, 80, 18}},
      {ids.folderGroup, {204, 55, 110, 50}, {125, 70, 110, 60}},
      {ids.business, {214, 70, 77, 16}, {135, 85, 77, 18}},
      {ids.personal, {214, 87, 77, 16}, {135, 105, 77, 18}},
      {ids.cancel, {8, 63, 80, 21}, {8, 145, 80, 21}},
      {ids.ok, {120, 63, 80, 21}, {153, 145, 80, 21}},
  };
}

// Two radio buttons that exclude each other. They are children of the dialog, not of the group
// box drawn around them, so that the layout table places every control in dialog coordinates.
std::pair<QRadioButton*, QRadioButton*> MakeChoice(QWidget* dialog, int firstId,
                                                   const QString& first, int secondId,
                                                   const QString& second) {
  auto* a = ui::SetControlId(new QRadioButton(first, dialog), firstId);
  auto* b = ui::SetControlId(new QRadioButton(second, dialog), secondId);
  a->setAccessibleName(first);
  b->setAccessibleName(second);
  auto* group = new QButtonGroup(dialog);
  group->addButton(a);
  group->addButton(b);
  return {a, b};
}

}  // namespace

ExportDialog::ExportDialog(Program& program, const ExportDialogIds& ids, const QString& helpTopic,
                           std::u16string& rememberedName, Writer write)
    : FullScreenDialog(program.screen, QStringLiteral("Export File Options"), helpTopic),
      program_(program),
      ids_(ids),
      layout_(MakeLayout(ids)),
      rememberedName_(rememberedName),
      write_(std::move(write)) {
  UseDialogFont(this);
  // The group boxes first: they lie beneath the controls they frame.
  const std::pair<int, QString> groups[] = {
      {ids.fileGroup, QStringLiteral("Comma Separated Values file")},
      {ids.typeGroup, QStringLiteral("Save file as")},
      {ids.folderGroup, QStringLiteral("Save in folder")}};
  for (const auto& [id, title] : groups) {
    ui::SetControlId(new QGroupBox(title, this), id)->setAccessibleName(title);
  }

  auto* nameLabel = ui::SetControlId(new QLabel(QStringLiteral("Name:"), this), ids.nameLabel);
  name_ = ui::SetControlId(new QLineEdit(this), ids.name);
  name_->setMaxLength(kNameLimit);
  nameLabel->setBuddy(name_);
  nameLabel->setAccessibleName(QStringLiteral("Name"));
  name_->setAccessibleName(QStringLiteral("Name"));

  std::tie(ascii_, unicode_) =
      MakeChoice(this, ids.ascii, QStringLiteral("ASCII"), ids.unicode, QStringLiteral("UNICODE"));
  std::tie(business_, personal_) = MakeChoice(this, ids.business, QStringLiteral("Business"),
                                              ids.personal, QStringLiteral("Personal"));

  auto* cancel = ui::SetControlId(new QPushButton(QStringLiteral("Cancel"), this), ids.cancel);
  auto* ok = ui::SetControlId(new QPushButton(QStringLiteral("OK"), this), ids.ok);
  for (QPushButton* button : {cancel, ok}) {
    button->setAccessibleName(button->text());
    button->setAutoDefault(false);
  }
  SetDefaultButton(ok);

  auto* rules = new ui::InputPanelRules(program.screen.Panel(), this);
  rules->WatchTextField(name_);

  connect(ok, &QPushButton::clicked, this, &ExportDialog::Confirm);
  connect(cancel, &QPushButton::clicked, this, &ExportDialog::Cancel);
  layout_.Apply(this, IsWideLayout(program_.screen));
}

void ExportDialog::resizeEvent(QResizeEvent* event) {
  FullScreenDialog::resizeEvent(event);
  layout_.Apply(this, IsWideLayout(program_.screen));
}

// The input panel is left as it is on opening: the name field raises it below.
void ExportDialog::OnOpened() {
  program_.openDialog = this;
  if (!rememberedName_.empty()) name_->setText(ui::ToQString(rememberedName_));
  (program_.settings.exportFileType == kExportUnicode ? unicode_ : ascii_)->setChecked(true);
  (program_.settings.exportFileFolder != kExportBusiness ? personal_ : business_)->setChecked(true);
  BackToName();
}

void ExportDialog::BackToName() {
  FocusAndSelect(name_);
  program_.screen.Panel().Raise();
}

void ExportDialog::Cancel() {
  program_.openDialog = nullptr;
  End(ids_.cancel);
}

void ExportDialog::Confirm() {
  program_.screen.Panel().Lower();
  // The choices are kept even when no file is written below.
  Settings& settings = program_.settings;
  settings.exportFileType = ascii_->isChecked()     ? kExportAscii
                            : unicode_->isChecked() ? kExportUnicode
                                                    : kExportAscii;
  settings.exportFileFolder = business_->isChecked() ? kExportBusiness : kExportPersonal;

  const std::u16string typed = ui::ToU16String(name_->text());
  if (typed.empty()) {
    BackToName();
    return;
  }
  const std::u16string_view name = TrimSpaces(typed);
  if (!IsValidName(name)) {
    program_.messages.Show(LoadString(StringId::ExportInvalidName), MessageIcon::Exclamation);
    BackToName();
    return;
  }
  rememberedName_ = name;

  ExportRequest request;
  request.name = rememberedName_;
  request.folder = settings.exportFileFolder;
  request.csv = {settings.exportFileType, settings.dateTypeView, settings.moneyTypeView};
  ExportResult result;
  {
    ui::WaitCursor wait(program_.messages);
    result = write_(request, ExportServices{program_.locations, program_.messages, nullptr});
  }
  if (result != ExportResult::Written) {
    BackToName();  // the writer has told the user why, if there was anything to tell
    return;
  }
  program_.messages.Show(LoadString(StringId::ExportDone), MessageIcon::Exclamation);
  program_.openDialog = nullptr;
  End(end_code::kExportWritten);
}

}  // namespace dialogs

namespace {

// Both the transactions file and the category report file are dated today, as the clock says
// when the file is written.
SystemTime RefreshToday(Program& program) {
  program.today = program.clock.NowUtc();
  return program.today;
}

}  // namespace

int RunTransactionsExportDialog(Program& program) {
  return dialogs::ExportDialog(
             program, dialogs::kTransactionsExportIds,
             QStringLiteral("file:equidorappc.htm#Export"), program.exportTransactionsName,
             [&program](const ExportRequest& request, const ExportServices& services) {
               TransactionsFile file;
               file.reportDate = RefreshToday(program);
               file.accountName = program.currentAccount.Name();
               file.records =
                   std::span<const MoneyRecord>(program.money.begin(), program.money.end());
               return ExportTransactions(request, file, services);
             })
      .Exec();
}

int RunCategoryReportExportDialog(Program& program, const CategoryReportFile& file) {
  return dialogs::ExportDialog(
             program, dialogs::kReportExportIds,
             QStringLiteral("file:equidorappc.htm#Exportrapport"), program.exportReportName,
             [&program, &file](const ExportRequest& request, const ExportServices& services) {
               CategoryReportFile dated = file;
               dated.reportDate = RefreshToday(program);
               return ExportCategoryReport(request, dated, services);
             })
      .Exec();
}

int RunBalanceReportExportDialog(Program& program, const BalanceReportFile& file) {
  return dialogs::ExportDialog(
             program, dialogs::kReportExportIds,
             QStringLiteral("file:equidorappc.htm#Exportbalance"), program.exportReportName,
             [&file](const ExportRequest& request, const ExportServices& services) {
               return ExportBalanceReport(request, file, services);
             })
      .Exec();
}

}  // namespace quidora
