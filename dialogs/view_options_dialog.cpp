#include "dialogs/view_options_dialog.h"

#include <QGroupBox>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <array>

#include "dialogs/dialog_controls.h"
#include "dialogs/dialogs.h"
#include "dialogs/layout_table.h"
#include "platform/ui/control_id.h"
#include "platform/ui/device_screen.h"
#include "platform/ui/input_panel.h"
#include "platform/ui/input_panel_rules.h"
#include "platform/ui/text.h"
#include "program/program.h"

namespace quidora::dialogs {
namespace {

enum ControlIds {
  kDateGroup = 1119,
  kDateList = 1120,
  kDateSampleLabel = 1121,
  kDateSample = 1122,
  kAmountGroup = 1123,
  kGroupingLabel = 1124,
  kGroupingList = 1125,
  kAmountSampleLabel = 1126,
  kAmountSample = 1127,
  kCancel = 1128,
  kOk = 1129,
};

const QColor kBlue(0, 0, 255);

// A closed list takes the height of a text field (its drop-down opens below it, 140 pixels in
// all).
// In the wide layout the buttons stand right of the groups, in the tall one below them.
const LayoutTable kLayout{
    {kDateGroup, {6, 10, 180, 69}, {6, 20, 228, 69}},
    {kDateList, {18, 29, 156, 22}, {18, 39, 156, 22}},
    {kDateSampleLabel, {18, 55, 65, 18}, {18, 65, 65, 18}},
    {kDateSample, {94, 53, 80, 18}, {94, 63, 80, 18}},
    {kAmountGroup, {6, 83, 180, 87}, {6, 93, 228, 90}},
    {kGroupingLabel, {18, 101, 140, 18}, {18, 113, 140, 18}},
    {kGroupingList, {18, 120, 156, 22}, {18, 132, 156, 22}},
    {kAmountSampleLabel, {18, 146, 65, 18}, {18, 157, 65, 18}},
    {kAmountSample, {94, 144, 80, 18}, {94, 157, 80, 18}},
    {kCancel, {192, 18, 80, 21}, {7, 195, 80, 21}},
    {kOk, {192, 57, 80, 21}, {153, 195, 80, 21}},
};

// The entries sit at the index that is the setting's value.
constexpr std::array<const char*, 4> kDateEntries{"dd - mm - yyyy", "dd / mm / yyyy",
                                                  "mm - dd - yyyy", "mm / dd / yyyy"};
constexpr std::array<const char*, 4> kDateSamples{"29-10-05", "29/10/05", "10-29-05",
                                                  "10/29/05"};
constexpr std::array<const char*, 2> kGroupingEntries{" , (comma)", " . (dot)"};
constexpr std::array<const char*, 2> kAmountSamples{"1,000.87", "1.000,87"};

// Without a choice OK stores these.
constexpr std::uint32_t kDateWithoutChoice = 0;
constexpr std::uint32_t kGroupingWithoutChoice = 1;

template <std::size_t N>
QString SampleAt(const std::array<const char*, N>& samples, int index) {
  const bool known = index >= 0 && static_cast<std::size_t>(index) < N;
  return QString::fromLatin1(samples[known ? static_cast<std::size_t>(index) : 0]);
}

template <std::size_t N>
void FillList(ui::DropDownList* list, const std::array<const char*, N>& entries,
              std::uint32_t setting) {
  list->clear();
  for (const char* entry : entries) list->addItem(QString::fromLatin1(entry));
  list->setCurrentIndex(setting < N ? static_cast<int>(setting) : -1);
}

QLabel* MakeLabel(QWidget* parent, int id, const char* text) {
  return ui::SetControlId(new QLabel(QString::fromLatin1(text), parent), id);
}

}  // namespace

ViewOptionsDialog::ViewOptionsDialog(Program& program)
    : FullScreenDialog(program.screen, QStringLiteral("View Options"),
                       QStringLiteral("file:equidorappc.htm#Settings")),
      program_(program) {
  UseDialogFont(this);
  heading_ = MakeHeading(this, ui::LoadQString(StringId::ViewOptionsHeading), kBlue, QPoint(6, 4));
  // Groups first, so that the controls drawn inside them stay above them.
  ui::SetControlId(new QGroupBox(QStringLiteral("Date view type"), this), kDateGroup);
  ui::SetControlId(new QGroupBox(QStringLiteral("Currency view type"), this), kAmountGroup);
  dateList_ = ui::SetControlId(new ui::DropDownList(this), kDateList);
  auto* dateSampleLabel = MakeLabel(this, kDateSampleLabel, "Sample:");
  dateSample_ = MakeLabel(this, kDateSample, "");
  auto* groupingLabel = MakeLabel(this, kGroupingLabel, "Digit grouping symbol:");
  groupingList_ = ui::SetControlId(new ui::DropDownList(this), kGroupingList);
  auto* amountSampleLabel = MakeLabel(this, kAmountSampleLabel, "Sample:");
  amountSample_ = MakeLabel(this, kAmountSample, "");
  auto* cancel = ui::SetControlId(new QPushButton(QStringLiteral("Cancel"), this), kCancel);
  auto* ok = ui::SetControlId(new QPushButton(QStringLiteral("OK"), this), kOk);

  dateSample_->setAlignment(Qt::AlignCenter);
  amountSample_->setAlignment(Qt::AlignCenter);
  dateSampleLabel->setBuddy(dateSample_);
  amountSampleLabel->setBuddy(amountSample_);
  groupingLabel->setBuddy(groupingList_);
  dateList_->setAccessibleName(QStringLiteral("Date view type"));
  groupingList_->setAccessibleName(QStringLiteral("Digit grouping symbol"));
  for (QPushButton* button : {cancel, ok}) {
    button->setAccessibleName(button->text());
    button->setAutoDefault(false);
  }
  SetDefaultButton(ok);

  auto* rules = new ui::InputPanelRules(program.screen.Panel(), this,
                                        ui::InputPanelRules::AfterPopup::LeavePanelDown);
  rules->WatchDropDown(dateList_);
  rules->WatchDropDown(groupingList_);

  connect(dateList_, &QComboBox::currentIndexChanged, this,
          [this](int index) { dateSample_->setText(DateSample(index)); });
  connect(groupingList_, &QComboBox::currentIndexChanged, this,
          [this](int index) { amountSample_->setText(AmountSample(index)); });
  connect(ok, &QPushButton::clicked, this, &ViewOptionsDialog::Confirm);
  connect(cancel, &QPushButton::clicked, this, [this] { End(end_code::kViewOptionsCancel); });
  Arrange();
}

QString ViewOptionsDialog::DateSample(int index) {
  return SampleAt(kDateSamples, index);
}

QString ViewOptionsDialog::AmountSample(int index) {
  return SampleAt(kAmountSamples, index);
}

void ViewOptionsDialog::resizeEvent(QResizeEvent* event) {
  FullScreenDialog::resizeEvent(event);
  Arrange();
}

void ViewOptionsDialog::Arrange() {
  const bool wide = IsWideLayout(program_.screen);
  kLayout.Apply(this, wide);
  heading_->setVisible(!wide);
  update();
}

void ViewOptionsDialog::paintEvent(QPaintEvent* event) {
  FullScreenDialog::paintEvent(event);
  if (IsWideLayout(program_.screen)) return;
  QPainter painter(this);
  painter.setPen(QPen(kBlue, 1));
  painter.drawLine(6, 23, 218, 23);
}

void ViewOptionsDialog::OnOpened() {
  FillList(dateList_, kDateEntries, program_.settings.dateTypeView);
  dateSample_->setText(DateSample(dateList_->currentIndex()));
  FillList(groupingList_, kGroupingEntries, program_.settings.moneyTypeView);
  amountSample_->setText(AmountSample(groupingList_->currentIndex()));
  Arrange();
  dateList_->setFocus(Qt::OtherFocusReason);
  program_.screen.Panel().Lower();
}

void ViewOptionsDialog::OnActivated() {
  program_.screen.Panel().Lower();
}

void ViewOptionsDialog::Confirm() {
  const int date = dateList_->currentIndex();
  const int grouping = groupingList_->currentIndex();
  program_.settings.dateTypeView = date < 0 ? kDateWithoutChoice : static_cast<std::uint32_t>(date);
  program_.settings.moneyTypeView =
      grouping < 0 ? kGroupingWithoutChoice : static_cast<std::uint32_t>(grouping);
  End(end_code::kViewOptionsOk);
}

}  // namespace quidora::dialogs
