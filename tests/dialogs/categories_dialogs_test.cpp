#include <QCheckBox>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "dialog_fixture.h"
#include "dialogs/dialogs.h"
#include "platform/ui/input_panel.h"
#include "store/loading.h"

namespace quidora::testing {
namespace {

using ui::FullScreenDialog;

constexpr int kList = 1060;
constexpr int kNew = 1032;
constexpr int kRename = 1033;
constexpr int kDelete = 1034;
constexpr int kApply = 1035;
constexpr int kNewName = 1064;
constexpr int kNewOk = 3;
constexpr int kNewCancel = 1063;
constexpr int kEditName = 1065;
constexpr int kEditOk = 1061;

const std::u16string kInvalidName =
    u"Please, enter a unique name that is alphabetic character within the ranges A - Z or a - z "
    u"or decimal digit (0 - 9).";
const std::u16string kDeleteQuestion = u"Selected item will be permanently deleted. Continue?";

class CategoriesDialogTest : public DialogTest {
 protected:
  CategoriesDialogTest() {
    cash_ = AddAccount(u"Cash");
    bank_ = AddAccount(u"Bank");
    AddCategory(u"Food");
    AddCategory(u"Salary");
    AddCategory(u"Car");
    AddMoney(cash_, u"Food", 1000);
    AddMoney(cash_, u"Salary", 50000, kIncome);
    AddMoney(bank_, u"Food", 2000);
    AddMoney(bank_, u"Car", 3000);
    ShowAccount(cash_);
  }

  // Runs "New category" with `typed` and confirms it.
  int AddThroughDialog(const QString& typed) {
    driver_->Then([&](FullScreenDialog& d) {
      if (typed.toLatin1() == typed.toUtf8()) {
        TypeText(&d, kNewName, typed);
      } else {
        // What an input method delivers; key clicks carry ASCII only.
        Control<QLineEdit>(d, kNewName)->setText(typed);
      }
      Click(&d, kNewOk);
      if (d.IsRunning()) Click(&d, kNewCancel);
    });
    return RunNewCategoryDialog(*program_, *host_);
  }

  void Select(FullScreenDialog& d, const QString& name) {
    auto* list = Control<QListWidget>(d, kList);
    const QList<QListWidgetItem*> found = list->findItems(name, Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(found.first()).center());
  }

  // Renames `from` to `to` through the list dialog and the rename dialog.
  void RenameThroughDialogs(const QString& from, const QString& to, bool apply) {
    driver_->Then([&, from, apply](FullScreenDialog& d) {
      Control<QCheckBox>(d, kApply)->setChecked(apply);
      Select(d, from);
      Click(&d, kRename);
    });
    EXPECT_EQ(RunCategoriesDialog(*program_, *host_), end_code::kCategoriesRename);
    driver_->Then([&, from, to](FullScreenDialog& d) {
      EXPECT_EQ(Control<QLineEdit>(d, kEditName)->text(), from);
      TypeText(&d, kEditName, to);
      Click(&d, kEditOk);
    });
    EXPECT_EQ(RunEditCategoryDialog(*program_, *host_), end_code::kEditCategoryOk);
  }

  // Deletes `name` through the list dialog.
  void DeleteThroughDialog(const QString& name, bool apply) {
    messages_.Expect(kDeleteQuestion, MessageAnswer::Yes);
    driver_->Then([&, name, apply](FullScreenDialog& d) {
      Control<QCheckBox>(d, kApply)->setChecked(apply);
      Select(d, name);
      Click(&d, kDelete);
    });
    EXPECT_EQ(RunCategoriesDialog(*program_, *host_), end_code::kCategoriesDelete);
  }

  std::vector<std::u16string> StoredCategories() {
    CategoryList stored;
    AccountList accounts;
    AccountRecord current;
    Settings settings;
    EXPECT_TRUE(OpenDatabases(*store_, stored, accounts, current, settings, messages_));
    std::vector<std::u16string> names;
    for (const CategoryRecord& category : stored) names.emplace_back(category.Name());
    return names;
  }

  int CountStored(std::u16string_view category) {
    int count = 0;
    for (const auto& [account, name] : StoredMoney()) count += name == category ? 1 : 0;
    return count;
  }

  std::uint32_t cash_ = 0;
  std::uint32_t bank_ = 0;
};

TEST_F(CategoriesDialogTest, NewNamesAreStoredInTheirStoredForm) {
  EXPECT_EQ(AddThroughDialog("  house  "), end_code::kNewCategoryOk);
  EXPECT_EQ(AddThroughDialog("my car 2"), end_code::kNewCategoryOk);
  EXPECT_EQ(AddThroughDialog(QString::fromUtf8("café")), end_code::kNewCategoryOk);
  // Already there in another case: ends normally and adds nothing.
  EXPECT_EQ(AddThroughDialog("fOOD"), end_code::kNewCategoryOk);
  const std::vector<std::u16string> expected{u"Food",  u"Salary",   u"Car",
                                             u"House", u"My car 2", u"Caf\u00e9"};
  EXPECT_EQ(CategoryNames(), expected);
  EXPECT_EQ(StoredCategories(), expected);
  EXPECT_TRUE(program_->openDialog.isNull());
}

TEST_F(CategoriesDialogTest, InvalidAndEmptyNamesKeepTheDialogOpen) {
  messages_.Expect(kInvalidName);
  driver_->Then([&](FullScreenDialog& d) {
    auto* ok = Control<QPushButton>(d, kNewOk);
    auto* cancel = Control<QPushButton>(d, 1063);
    auto* name = Control<QLineEdit>(d, kNewName);
    EXPECT_EQ(program_->openDialog, &d);
    EXPECT_FALSE(ok->isEnabled());
    EXPECT_TRUE(cancel->isDefault());
    EXPECT_EQ(Focused(), name);
    EXPECT_TRUE(screen_.Panel().IsRaised());

    TypeText(&d, kNewName, "Food!");
    EXPECT_TRUE(ok->isEnabled());
    EXPECT_TRUE(ok->isDefault());
    Click(&d, kNewOk);
    EXPECT_TRUE(d.IsRunning());
    EXPECT_EQ(name->selectedText(), "Food!");
    EXPECT_TRUE(screen_.Panel().IsRaised());

    TypeText(&d, kNewName, "   ");
    Click(&d, kNewOk);  // silently refused
    EXPECT_TRUE(d.IsRunning());

    TypeText(&d, kNewName, QString(25, QChar('a')));
    EXPECT_EQ(name->text().size(), 20);
    Click(&d, kNewCancel);
  });
  EXPECT_EQ(RunNewCategoryDialog(*program_, *host_), end_code::kNewCategoryCancel);
  EXPECT_EQ(CategoryNames(), (std::vector<std::u16string>{u"Food", u"Salary", u"Car"}));
}

TEST_F(CategoriesDialogTest, RenameAndDeleteWaitForASelection) {
  program_->settings.catRecsApply = 1;
  driver_->Then([&](FullScreenDialog& d) {
    EXPECT_TRUE(Control<QCheckBox>(d, kApply)->isChecked());
    EXPECT_FALSE(Control(d, kRename)->isEnabled());
    EXPECT_FALSE(Control(d, kDelete)->isEnabled());
    EXPECT_EQ(Control<QListWidget>(d, kList)->count(), 3);
    Select(d, "Salary");
    EXPECT_TRUE(Control(d, kRename)->isEnabled());
    EXPECT_TRUE(Control<QPushButton>(d, kRename)->isDefault());
    Control<QCheckBox>(d, kApply)->setChecked(false);
    Click(&d, kNew);
  });
  EXPECT_EQ(RunCategoriesDialog(*program_, *host_), end_code::kCategoriesNew);
  EXPECT_EQ(program_->settings.catRecsApply, 0u);
}

TEST_F(CategoriesDialogTest, EnterPressesWhicheverButtonIsTheDefaultNow) {
  driver_->Then([&](FullScreenDialog& d) {
    Select(d, "Salary");
    QTest::keyClick(Control(d, kList), Qt::Key_Return);
  });
  EXPECT_EQ(RunCategoriesDialog(*program_, *host_), end_code::kCategoriesRename);

  driver_->Then([&](FullScreenDialog& d) {
    QTest::keyClick(Control(d, kNewName), Qt::Key_Return);  // empty: Cancel is the default
  });
  EXPECT_EQ(RunNewCategoryDialog(*program_, *host_), end_code::kNewCategoryCancel);
  driver_->Then([&](FullScreenDialog& d) {
    QTest::keyClicks(Control(d, kNewName), "tea");
    QTest::keyClick(Control(d, kNewName), Qt::Key_Enter, Qt::KeypadModifier);
  });
  EXPECT_EQ(RunNewCategoryDialog(*program_, *host_), end_code::kNewCategoryOk);
  EXPECT_EQ(CategoryNames().back(), u"Tea");
}

TEST_F(CategoriesDialogTest, RenameAppliedToRecordsOfEveryAccount) {
  RenameThroughDialogs("Food", "groceries", true);
  EXPECT_EQ(CategoryNames(), (std::vector<std::u16string>{u"Salary", u"Car", u"Groceries"}));
  EXPECT_EQ(CountStored(u"Food"), 0);
  EXPECT_EQ(CountStored(u"Groceries"), 2);
  EXPECT_TRUE(program_->categoriesChanged);
  // The money list holds the current account's records again.
  ASSERT_EQ(program_->money.size(), 2u);
  for (const MoneyRecord& record : program_->money) EXPECT_EQ(record.accountKey, cash_);
}

TEST_F(CategoriesDialogTest, RenameNotAppliedLeavesRecordsAlone) {
  RenameThroughDialogs("Food", "Groceries", false);
  EXPECT_EQ(CountStored(u"Food"), 2);
  EXPECT_EQ(CountStored(u"Groceries"), 0);
  EXPECT_FALSE(program_->categoriesChanged);
}

TEST_F(CategoriesDialogTest, RenameOntoAnExistingCategoryMergesThem) {
  RenameThroughDialogs("Food", "Salary", true);
  EXPECT_EQ(CategoryNames(), (std::vector<std::u16string>{u"Salary", u"Car"}));
  EXPECT_EQ(StoredCategories(), (std::vector<std::u16string>{u"Salary", u"Car"}));
  EXPECT_EQ(CountStored(u"Salary"), 3);
}

TEST_F(CategoriesDialogTest, DeleteAppliedRemovesRecordsOfEveryAccount) {
  messages_.Expect(kDeleteQuestion, MessageAnswer::No);
  driver_->Then([&](FullScreenDialog& d) {
    Select(d, "Food");
    Click(&d, kDelete);  // No: nothing changes
    EXPECT_TRUE(d.IsRunning());
    EXPECT_EQ(CategoryNames().size(), 3u);
    Click(&d, kNew);
  });
  EXPECT_EQ(RunCategoriesDialog(*program_, *host_), end_code::kCategoriesNew);

  DeleteThroughDialog("Food", true);
  EXPECT_EQ(CategoryNames(), (std::vector<std::u16string>{u"Salary", u"Car"}));
  EXPECT_EQ(StoredCategories(), (std::vector<std::u16string>{u"Salary", u"Car"}));
  EXPECT_EQ(CountStored(u"Food"), 0);
  EXPECT_EQ(StoredMoney().size(), 2u);
  EXPECT_TRUE(program_->categoriesChanged);
  // The balance follows: only the salary is left in Cash.
  EXPECT_EQ(program_->balance.amount, 50000);
  EXPECT_EQ(program_->balance.type, kIncome);

  // A later deletion that touches no record does not hide the earlier change.
  DeleteThroughDialog("Car", false);
  EXPECT_TRUE(program_->categoriesChanged);
}

TEST_F(CategoriesDialogTest, DeleteNotAppliedKeepsRecords) {
  DeleteThroughDialog("Food", false);
  EXPECT_EQ(CategoryNames(), (std::vector<std::u16string>{u"Salary", u"Car"}));
  EXPECT_EQ(CountStored(u"Food"), 2);
  EXPECT_FALSE(program_->categoriesChanged);
}

}  // namespace
}  // namespace quidora::testing
