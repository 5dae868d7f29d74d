// "View Options" and "Delete by Range" driven through their controls.
#include <QComboBox>
#include <QDateEdit>
#include <QImage>
#include <QLabel>

#include "dialog_fixture.h"
#include "dialogs/dialogs.h"
#include "platform/ui/input_panel.h"
#include "platform/ui/input_panel_rules.h"
#include "platform/ui/text.h"
#include "store/loading.h"
#include "store/record_properties.h"

namespace quidora::testing {
namespace {

using ui::FullScreenDialog;

constexpr int kDateList = 1120;
constexpr int kDateSample = 1122;
constexpr int kGroupingList = 1125;
constexpr int kAmountSample = 1127;
constexpr int kViewCancel = 1128;
constexpr int kViewOk = 1129;

constexpr int kStartPicker = 1040;
constexpr int kEndPicker = 1041;
constexpr int kFindRecords = 1042;
constexpr int kRangeCancel = 1043;

const Place kViewOptionsPlaces[] = {
    {1119, {6, 20, 228, 69}, {6, 10, 180, 69}},     {1120, {18, 39, 156, 22}, {18, 29, 156, 22}},
    {1121, {18, 65, 65, 18}, {18, 55, 65, 18}},     {1122, {94, 63, 80, 18}, {94, 53, 80, 18}},
    {1123, {6, 93, 228, 90}, {6, 83, 180, 87}},     {1124, {18, 113, 140, 18}, {18, 101, 140, 18}},
    {1125, {18, 132, 156, 22}, {18, 120, 156, 22}}, {1126, {18, 157, 65, 18}, {18, 146, 65, 18}},
    {1127, {94, 157, 80, 18}, {94, 144, 80, 18}},   {1128, {7, 195, 80, 21}, {192, 18, 80, 21}},
    {1129, {153, 195, 80, 21}, {192, 57, 80, 21}}};
const Place kDeleteRangePlaces[] = {
    {1900, {6, 32, 228, 88}, {6, 30, 200, 88}},     {1901, {16, 56, 50, 20}, {16, 54, 50, 20}},
    {1040, {70, 54, 150, 22}, {70, 52, 126, 22}},   {1902, {16, 88, 50, 20}, {16, 86, 50, 20}},
    {1041, {70, 86, 150, 22}, {70, 84, 126, 22}},   {1042, {7, 134, 110, 24}, {214, 40, 100, 24}},
    {1043, {123, 134, 110, 24}, {214, 76, 100, 24}}};

QString Text(FullScreenDialog& dialog, int id) {
  auto* label = ui::FindControl<QLabel>(&dialog, id);
  return label != nullptr ? label->text() : QString();
}

QComboBox* List(FullScreenDialog& dialog, int id) {
  auto* list = ui::FindControl<QComboBox>(&dialog, id);
  EXPECT_NE(list, nullptr);
  return list;
}

// Where the heading's rule is: the pure blue pixels below the heading's text, where no control
// of either layout is blue.
QRect BlueRule(FullScreenDialog& dialog) {
  const QImage image = dialog.grab().toImage();
  QRect rule;
  for (int y = 21; y < 30; ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (image.pixelColor(x, y) == QColor(0, 0, 255)) rule |= QRect(x, y, 1, 1);
    }
  }
  return rule;
}

void Choose(FullScreenDialog& dialog, int id, const QString& entry) {
  QComboBox* list = List(dialog, id);
  const int index = list->findText(entry);
  ASSERT_GE(index, 0) << entry.toStdString();
  list->setCurrentIndex(index);
  emit list->activated(index);
}

using ViewOptionsTest = DialogTest;

TEST_F(ViewOptionsTest, DamagedStoredIndexesOpenWithNothingSelectedAndOkStoresTheDefaults) {
  program_->settings.dateTypeView = 7;
  program_->settings.moneyTypeView = 5;
  screen_.Panel().Raise();
  driver_->Then([&](FullScreenDialog& dialog) {
    EXPECT_FALSE(screen_.Panel().IsRaised());
    EXPECT_EQ(List(dialog, kDateList)->currentIndex(), -1);
    EXPECT_EQ(List(dialog, kDateList)->count(), 4);
    EXPECT_EQ(Text(dialog, kDateSample), "29-10-05");
    EXPECT_EQ(List(dialog, kGroupingList)->currentIndex(), -1);
    EXPECT_EQ(Text(dialog, kAmountSample), "1,000.87");
    Click(&dialog, kViewOk);
  });
  EXPECT_EQ(RunViewOptionsDialog(*program_), end_code::kViewOptionsOk);
  EXPECT_EQ(program_->settings.dateTypeView, 0u);
  EXPECT_EQ(program_->settings.moneyTypeView, 1u);
}

TEST_F(ViewOptionsTest, SamplesFollowTheChoiceAndCancelKeepsTheSettings) {
  program_->settings.dateTypeView = 2;
  program_->settings.moneyTypeView = 0;
  driver_->Then([&](FullScreenDialog& dialog) {
    EXPECT_EQ(List(dialog, kDateList)->currentText(), "mm - dd - yyyy");
    EXPECT_EQ(Text(dialog, kDateSample), "10-29-05");
    Choose(dialog, kDateList, "dd / mm / yyyy");
    EXPECT_EQ(Text(dialog, kDateSample), "29/10/05");
    Choose(dialog, kGroupingList, " . (dot)");
    EXPECT_EQ(Text(dialog, kAmountSample), "1.000,87");
    // Assistive technology reads each sample's value, captioned "Sample", and follows it.
    for (auto [id, value] : {std::pair{kDateSample, "29/10/05"}, {kAmountSample, "1.000,87"}}) {
      auto* sample = ui::FindControl<QLabel>(&dialog, id);
      EXPECT_EQ(sample->accessibleName(), value);
      EXPECT_EQ(sample->accessibleDescription(), "Sample");
    }
    EXPECT_EQ(List(dialog, kDateList)->accessibleName(), "Date view type");
    EXPECT_EQ(List(dialog, kGroupingList)->accessibleName(), "Digit grouping symbol");
    // Opening a list lowers the keyboard and closing it leaves it down.
    screen_.Panel().Raise();
    auto* grouping = static_cast<ui::DropDownList*>(List(dialog, kGroupingList));
    grouping->showPopup();
    EXPECT_FALSE(screen_.Panel().IsRaised());
    grouping->hidePopup();
    EXPECT_FALSE(screen_.Panel().IsRaised());
    // Coming back on top (after a message box, say) lowers it as well.
    screen_.Panel().Raise();
    screen_.ActivateTopPage();
    EXPECT_FALSE(screen_.Panel().IsRaised());
    // The heading and its rule in the tall layout only.
    QLabel* heading = nullptr;
    for (QLabel* label : dialog.findChildren<QLabel*>()) {
      if (label->text() == ui::LoadQString(StringId::ViewOptionsHeading)) heading = label;
    }
    ASSERT_NE(heading, nullptr);
    EXPECT_TRUE(heading->isVisible());
    EXPECT_EQ(BlueRule(dialog), QRect(6, 23, 212, 1));
    ExpectPlaces(dialog, kViewOptionsPlaces, false);
    UseScreen(320, 240);
    EXPECT_FALSE(heading->isVisible());
    EXPECT_EQ(BlueRule(dialog), QRect());
    ExpectPlaces(dialog, kViewOptionsPlaces, true);
    Click(&dialog, kViewCancel);
  });
  EXPECT_EQ(RunViewOptionsDialog(*program_), end_code::kViewOptionsCancel);
  EXPECT_EQ(program_->settings.dateTypeView, 2u);
  EXPECT_EQ(program_->settings.moneyTypeView, 0u);

  // The title-bar OK stores the choice as OK does; the first entry is a choice too.
  driver_->Then([&](FullScreenDialog& dialog) {
    Choose(dialog, kDateList, "mm / dd / yyyy");
    Choose(dialog, kGroupingList, " , (comma)");
    dialog.OnTitleOk();
  });
  EXPECT_EQ(RunViewOptionsDialog(*program_), end_code::kViewOptionsOk);
  EXPECT_EQ(program_->settings.dateTypeView, 3u);
  EXPECT_EQ(program_->settings.moneyTypeView, 0u);
}

class DeleteRangeTest : public DialogTest {
 protected:
  void SetUp() override {
    bank_ = AddAccount(u"Bank");
    cash_ = AddAccount(u"Cash");
    AddMoney(bank_, u"Food", 100, kExpense, Date(2006, 3, 1));
    for (int i = 0; i < 3; ++i) AddMoney(bank_, u"Food", 200 + i, kExpense, Date(2006, 3, 2));
    AddMoney(bank_, u"Food", 500, kIncome, Date(2006, 3, 5));
    AddMoney(cash_, u"Food", 900, kExpense, Date(2006, 3, 2));
    ShowAccount(bank_);
    ASSERT_EQ(program_->money.size(), 5u);
  }

  static void Pick(FullScreenDialog& dialog, SystemTime start, SystemTime end) {
    ui::FindControl<QDateEdit>(&dialog, kStartPicker)->setDate(QDate(start.year, start.month, start.day));
    ui::FindControl<QDateEdit>(&dialog, kEndPicker)->setDate(QDate(end.year, end.month, end.day));
  }

  std::size_t StoredOf(std::uint32_t account) {
    std::size_t count = 0;
    for (const auto& [key, category] : StoredMoney()) count += key == account ? 1 : 0;
    return count;
  }

  std::uint32_t bank_ = 0;
  std::uint32_t cash_ = 0;
};

TEST_F(DeleteRangeTest, OneDayTakesExactlyThatDaysRecordsOfTheShownAccount) {
  // An older version's clash: one more record of that day with the key of the day before's.
  const MoneyRecord& dayBefore = program_->money[0];
  ASSERT_EQ(dayBefore.DateNumber(), 20060301u);
  MoneyRecord clash;
  clash.CopyFrom(dayBefore);
  clash.SetDate(Date(2006, 3, 2));
  ASSERT_TRUE(store_->EnsureOpen(store_->Money()));
  ASSERT_NE(store_->Money().handle.WriteRecord(0, MoneyProperties(clash, dayBefore.key)), 0u);
  ShowAccount(bank_);
  program_->rangeStartDate = Date(2006, 3, 2);
  program_->rangeEndDate = Date(2006, 3, 2);
  messages_.Expect(u"4 records will be deleted. Continue?", MessageAnswer::Yes);
  driver_->Then([&](FullScreenDialog& dialog) {
    EXPECT_EQ(Focused(), ui::FindControl<QDateEdit>(&dialog, kStartPicker));
    EXPECT_EQ(dialog.DefaultButton(), ui::FindControl<QWidget>(&dialog, kFindRecords));
    // The heading's rule in both layouts; the buttons below the group, or right of it.
    EXPECT_EQ(BlueRule(dialog), QRect(1, 23, 234, 1));
    ExpectPlaces(dialog, kDeleteRangePlaces, false);
    UseScreen(320, 240);
    EXPECT_EQ(BlueRule(dialog), QRect(1, 23, 234, 1));
    ExpectPlaces(dialog, kDeleteRangePlaces, true);
    Click(&dialog, kFindRecords);
  });
  EXPECT_EQ(RunDeleteRangeDialog(*program_, *host_), end_code::kDeleteRangeDone);
  EXPECT_EQ(host_->calls, std::vector<std::u16string>{u"MoneyListReloaded"});
  EXPECT_EQ(StoredOf(bank_), 2u);
  EXPECT_EQ(StoredOf(cash_), 1u) << "another account's record of that day";
  // The money list is read back; the range list keeps the deleted copies; no undo copies.
  ASSERT_EQ(program_->money.size(), 2u);
  for (const MoneyRecord& left : program_->money) EXPECT_NE(left.DateNumber(), 20060302u);
  EXPECT_EQ(program_->money[0].DateNumber(), 20060301u) << "the clash took the day before's";
  EXPECT_EQ(program_->range.size(), 4u);
  EXPECT_TRUE(program_->undo.empty());
  EXPECT_EQ(program_->rangeStartDate.day, 2);
  EXPECT_FALSE(messages_.waitCursor);
}

TEST_F(DeleteRangeTest, WrongRangesNoAndCancelLeaveTheStoreUntouched) {
  // The reports' range: what is picked here never becomes it.
  program_->rangeStartDate = Date(2005, 1, 1);
  program_->rangeEndDate = Date(2005, 1, 31);
  messages_.Expect(u"Starts date must be earlier than Ends date!");
  messages_.Expect(u"No Records found !");
  messages_.Expect(u"1 records will be deleted. Continue?", MessageAnswer::No);
  driver_->Then([&](FullScreenDialog& dialog) {
    auto* start = ui::FindControl<QDateEdit>(&dialog, kStartPicker);
    Pick(dialog, Date(2006, 3, 5), Date(2006, 3, 4));
    Click(&dialog, kFindRecords);
    EXPECT_EQ(Focused(), start);
    Pick(dialog, Date(2006, 3, 3), Date(2006, 3, 4));
    Click(&dialog, kFindRecords);
    EXPECT_EQ(Focused(), start);
    Pick(dialog, Date(2006, 2, 1), Date(2006, 3, 1));
    Click(&dialog, kFindRecords);
    EXPECT_TRUE(dialog.IsRunning() && !dialog.IsEnded()) << "No keeps the dialog open";
    Click(&dialog, kRangeCancel);
  });
  EXPECT_EQ(RunDeleteRangeDialog(*program_, *host_), end_code::kDeleteRangeCancel);
  EXPECT_TRUE(messages_.AllShown());
  for (const ShownMessage& shown : messages_.log) EXPECT_EQ(shown.icon, MessageIcon::Exclamation);
  EXPECT_EQ(DateNumberOf(program_->rangeStartDate).value_or(0), 20050101u);
  EXPECT_EQ(DateNumberOf(program_->rangeEndDate).value_or(0), 20050131u);
  EXPECT_EQ(StoredOf(bank_), 5u);
  EXPECT_EQ(StoredOf(cash_), 1u);
  EXPECT_EQ(program_->money.size(), 5u);
  EXPECT_TRUE(host_->calls.empty()) << "nothing was reloaded";

  // The title-bar OK deletes nothing either.
  driver_->Then([](FullScreenDialog& dialog) { dialog.OnTitleOk(); });
  EXPECT_EQ(RunDeleteRangeDialog(*program_, *host_), end_code::kDeleteRangeCancel);
  EXPECT_EQ(StoredOf(bank_), 5u);
}

}  // namespace
}  // namespace quidora::testing
