#include "dialog_fixture.h"

#include <QTest>
#include <algorithm>

#include "shell/undo_list.h"
#include "store/loading.h"
#include "store/record_writes.h"

namespace quidora::testing {

bool RecordingHost::PushDeleted(const MoneyRecord& record) {
  calls.push_back(u"PushDeleted");
  return quidora::PushDeleted(program_, record);
}

void RecordingHost::DropDeletedOfAccount(std::uint32_t accountKey) {
  calls.push_back(u"DropDeletedOfAccount");
  quidora::DropDeletedOfAccount(program_, accountKey);
}

void RecordingHost::RemoveMoneyRecordAndRow(int position) {
  calls.push_back(u"RemoveMoneyRecordAndRow " + std::u16string(1, char16_t(u'0' + position)));
  program_.money.RemoveAt(static_cast<std::size_t>(position));
}

void RecordingHost::AddAccountChoice(std::u16string_view name) {
  calls.push_back(u"AddAccountChoice " + std::u16string(name));
  chooser.emplace_back(name);
}

bool RecordingHost::RemoveAccountChoice(std::u16string_view name) {
  calls.push_back(u"RemoveAccountChoice " + std::u16string(name));
  auto it = std::find(chooser.begin(), chooser.end(), name);
  if (it == chooser.end()) return false;
  chooser.erase(it);
  return true;
}

void RecordingHost::SelectAccountChoice(std::u16string_view name) {
  calls.push_back(u"SelectAccountChoice " + std::u16string(name));
  selected = name;
}

void ExpectPlaces(const QWidget& dialog, std::span<const Place> places, bool wide) {
  for (const auto& [id, tall, wideRect] : places) {
    const QWidget* control = ui::FindControl<QWidget>(&dialog, id);
    EXPECT_EQ(control != nullptr ? control->geometry() : QRect(), wide ? wideRect : tall) << id;
  }
}

DialogTest::DialogTest() : registry_(platform::Registry::Parse("")) {
  store_ = std::make_unique<Databases>(std::filesystem::path(home_.path().toStdString()) / "volume",
                                       clock_);
  program_ =
      std::make_unique<Program>(ProgramServices{*store_, registry_, messages_, clock_, screen_});
  program_->today = clock_.NowUtc();
  EXPECT_TRUE(OpenDatabases(*store_, program_->categories, program_->accounts,
                            program_->currentAccount, program_->settings, messages_));
  host_ = std::make_unique<RecordingHost>(*program_);
  driver_ = std::make_unique<DialogDriver>(screen_);
  screen_.show();
  EXPECT_TRUE(QTest::qWaitForWindowActive(&screen_));
}

DialogTest::~DialogTest() {
  driver_.reset();
  program_.reset();
}

SystemTime DialogTest::Date(int year, int month, int day) {
  SystemTime date;
  date.year = static_cast<std::uint16_t>(year);
  date.month = static_cast<std::uint16_t>(month);
  date.day = static_cast<std::uint16_t>(day);
  return date;
}

std::uint32_t DialogTest::AddAccount(std::u16string_view name, SystemTime created) {
  AccountRecord account;
  account.SetDate(created);
  account.SetName(name);
  account.SetDescription(u"");
  std::uint32_t key = 0;
  EXPECT_TRUE(AddAccountRecord(*store_, account, key, messages_));
  account.key = key;
  program_->accounts.Append(account);
  host_->chooser.emplace_back(name);
  if (program_->accounts.size() == 1) ShowAccount(key);
  // Clock-made keys must differ: move the clock on by a second.
  SystemTime now = clock_.NowUtc();
  now.second = static_cast<std::uint16_t>((now.second + 1) % 60);
  if (now.second == 0) now.minute = static_cast<std::uint16_t>((now.minute + 1) % 60);
  clock_.Set(now);
  return key;
}

void DialogTest::AddCategory(std::u16string_view name) {
  CategoryRecord category;
  category.SetName(name);
  program_->categories.Append(std::move(category));
  EXPECT_TRUE(RewriteCategories(*store_, program_->categories, messages_));
}

std::uint32_t DialogTest::AddMoney(std::uint32_t accountKey, std::u16string_view category,
                                   std::int32_t cents, std::uint32_t type, SystemTime date) {
  MoneyRecord record;
  record.accountKey = accountKey;
  record.SetDate(date);
  record.SetCategory(category);
  record.amount = cents;
  record.SetAmount(cents);
  record.type = type;
  record.SetMemo(u"");
  std::uint32_t key = 0;
  EXPECT_TRUE(AddMoneyRecord(*store_, record, key, messages_));
  return key;
}

void DialogTest::ShowAccount(std::uint32_t key) {
  for (const AccountRecord& account : program_->accounts) {
    if (account.key == key) program_->currentAccount.CopyFrom(account);
  }
  LoadAccountMoneyRecords(*store_, program_->money, program_->currentAccount, messages_);
}

std::vector<std::pair<std::uint32_t, std::u16string>> DialogTest::StoredMoney() {
  MoneyList all;
  LoadAllMoneyRecords(*store_, all, messages_);
  std::vector<std::pair<std::uint32_t, std::u16string>> result;
  for (const MoneyRecord& record : all) {
    result.emplace_back(record.accountKey, std::u16string(record.Category()));
  }
  return result;
}

std::vector<std::u16string> DialogTest::CategoryNames() const {
  std::vector<std::u16string> names;
  for (const CategoryRecord& category : program_->categories) names.emplace_back(category.Name());
  return names;
}

void DialogTest::UseScreen(int width, int height) {
  screen_.SetScreenSize(QSize(width, height));
  QApplication::processEvents();
}

}  // namespace quidora::testing
