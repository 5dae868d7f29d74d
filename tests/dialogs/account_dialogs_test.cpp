#include <QHeaderView>
#include <QLabel>
#include <QProxyStyle>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include "dialog_fixture.h"
#include "dialogs/accounts_dialog.h"
#include "dialogs/dialogs.h"
#include "platform/ui/images.h"
#include "platform/ui/input_panel.h"
#include "platform/ui/navigation_bar.h"
#include "platform/ui/text.h"
#include "store/loading.h"

namespace quidora::testing {
namespace {

using ui::FullScreenDialog;

constexpr int kName = 1134;
constexpr int kDescription = 1136;
constexpr int kBack = 1137;
constexpr int kOk = 1138;
constexpr int kDelete = 1139;
constexpr int kAccountsList = 502;
constexpr int kAccountsBack = 1141;

const std::u16string kInvalidName =
    u"Please, enter a unique name that is alphabetic character within the ranges A - Z or a - z "
    u"or decimal digit (0 - 9).";
const std::u16string kExists = u"This Account already exists, please choose another.";
const std::u16string kDeleteQuestion = u"Selected Account will be permanently deleted. Continue?";

class AccountDialogTest : public DialogTest {
 protected:
  void PrepareNew() {
    program_->accountEditFlag = 0;
    program_->workAccount.Reset();
    program_->workAccount.SetDate(program_->today);
  }

  QTreeWidget* List(FullScreenDialog& d) { return Control<QTreeWidget>(d, kAccountsList); }

  QStringList Rows(FullScreenDialog& d) {
    QStringList rows;
    QTreeWidget* list = List(d);
    for (int i = 0; i < list->topLevelItemCount(); ++i) rows << list->topLevelItem(i)->text(0);
    return rows;
  }

  void TapRow(FullScreenDialog& d, int row) {
    QTreeWidget* list = List(d);
    const QRect rect = list->visualItemRect(list->topLevelItem(row));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
  }

  void TapHeader(FullScreenDialog& d, int column) {
    QHeaderView* header = List(d)->header();
    const int x = header->sectionViewportPosition(column) + header->sectionSize(column) / 2;
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
  }

  // The header image of each column (0 up, 1 down, 2 none).
  std::pair<int, int> HeaderImages(FullScreenDialog& d) {
    QTreeWidgetItem* header = List(d)->headerItem();
    return {header->data(0, Qt::UserRole).toInt(), header->data(1, Qt::UserRole).toInt()};
  }
};

TEST_F(AccountDialogTest, NamesAreTrimmedCheckedAndUnique) {
  AddAccount(u"Cash");
  PrepareNew();
  messages_.Expect(kInvalidName);
  messages_.Expect(kExists);
  driver_->Then([&](FullScreenDialog& d) {
    EXPECT_EQ(program_->openDialog, &d);
    EXPECT_FALSE(Control(d, kDelete)->isVisible());
    EXPECT_TRUE(screen_.Panel().IsRaised());

    TypeText(&d, kName, "   ");
    Click(&d, kOk);  // empty after trimming: focus only
    EXPECT_EQ(Focused(), Control(d, kName));

    TypeText(&d, kName, "Cash-box");
    Click(&d, kOk);
    auto* name = Control<QLineEdit>(d, kName);
    EXPECT_EQ(Focused(), name);
    EXPECT_EQ(name->selectedText(), "Cash-box");

    TypeText(&d, kName, " Cash ");
    Click(&d, kOk);
    EXPECT_TRUE(d.IsRunning());

    TypeText(&d, kName, "  My Bank 2  ");
    TypeText(&d, kDescription, "  savings  ");
    Click(&d, kOk);
  });
  EXPECT_EQ(RunAccountDialog(*program_, *host_), end_code::kAccountOk);
  EXPECT_EQ(program_->workAccount.Name(), u"My Bank 2");
  EXPECT_EQ(program_->workAccount.Description(), u"savings");
  EXPECT_EQ(messages_.log.size(), 2u);
  EXPECT_TRUE(program_->openDialog.isNull());
}

TEST_F(AccountDialogTest, RenamingInOtherCaseIsAllowedButNotToAnotherAccountsName) {
  const std::uint32_t cash = AddAccount(u"Cash");
  AddAccount(u"Bank");
  program_->accountEditFlag = 1;
  program_->workAccount.CopyFrom(program_->accounts[0]);
  ASSERT_EQ(program_->workAccount.key, cash);
  messages_.Expect(kExists);
  driver_->Then([&](FullScreenDialog& d) {
    EXPECT_TRUE(Control(d, kDelete)->isVisible());
    EXPECT_EQ(Control<QLineEdit>(d, kName)->text(), "Cash");
    TypeText(&d, kName, "Bank");
    Click(&d, kOk);
    EXPECT_TRUE(d.IsRunning());
    TypeText(&d, kName, "CASH");
    Click(&d, kOk);
  });
  EXPECT_EQ(RunAccountDialog(*program_, *host_), end_code::kAccountOk);
  EXPECT_EQ(program_->workAccount.Name(), u"CASH");
}

TEST_F(AccountDialogTest, LongestNameAndDescriptionAreKeptWholeAndNoLonger) {
  PrepareNew();
  const QString name40 = QString(39, QChar('n')) + "N";
  const QString description50 = QString(49, QChar('d')) + "D";
  driver_->Then([&](FullScreenDialog& d) {
    TypeText(&d, kName, name40 + "x");
    TypeText(&d, kDescription, description50 + "x");
    Click(&d, kOk);
  });
  EXPECT_EQ(RunAccountDialog(*program_, *host_), end_code::kAccountOk);
  EXPECT_EQ(program_->workAccount.Name(), ui::ToU16String(name40));
  EXPECT_EQ(program_->workAccount.Description(), ui::ToU16String(description50));
}

TEST_F(AccountDialogTest, WideLayoutHidesOkAndHeadingAndTheTitleOkConfirms) {
  PrepareNew();
  driver_->Then([&](FullScreenDialog& d) {
    EXPECT_EQ(Control(d, kOk)->geometry(), QRect(161, 140, 73, 24));
    EXPECT_EQ(Control(d, kDescription)->geometry(), QRect(10, 100, 219, 21));
    EXPECT_NE(d.findChild<QLabel*>(QString(), Qt::FindDirectChildrenOnly), nullptr);
    Click(&d, kBack);
  });
  EXPECT_EQ(RunAccountDialog(*program_, *host_), end_code::kAccountBack);

  UseScreen(320, 240);
  PrepareNew();
  messages_.Expect(kInvalidName);
  driver_->Then([&](FullScreenDialog& d) {
    // Enter does what the title bar's OK does: here it refuses the name and stays.
    TypeText(&d, kName, "Cash-box");
    QTest::keyClick(Control(d, kName), Qt::Key_Return);
    EXPECT_TRUE(messages_.AllShown());
    EXPECT_TRUE(d.IsRunning() && !d.IsEnded());
    EXPECT_FALSE(Control(d, kOk)->isVisible());
    for (QLabel* label : d.findChildren<QLabel*>()) {
      EXPECT_FALSE(label->isVisible() && label->text() == "Account") << "heading shown";
    }
    EXPECT_EQ(Control(d, kBack)->geometry(), QRect(240, 62, 73, 24));
    EXPECT_EQ(Control(d, kName)->geometry(), QRect(70, 31, 159, 18));
    TypeText(&d, kName, "Travel");
    QTest::mouseClick(screen_.Navigation().TitleButton(), Qt::LeftButton);
  });
  EXPECT_EQ(RunAccountDialog(*program_, *host_), end_code::kAccountOk);
  EXPECT_EQ(program_->workAccount.Name(), u"Travel");
}

TEST_F(AccountDialogTest, EditingFromTheListStoresTheAccountAndMakesItCurrent) {
  AddAccount(u"Cash");
  const std::uint32_t bank = AddAccount(u"Bank");
  driver_->Then([&](FullScreenDialog& d) {
    EXPECT_EQ(Rows(d), (QStringList{"Bank", "Cash"}));
    TapRow(d, 0);
    EXPECT_EQ(program_->accountsSelectedIndex, 0);
    EXPECT_EQ(Rows(d), (QStringList{"Bank Two", "Cash"}));
    EXPECT_TRUE(List(d)->topLevelItem(0)->isSelected());
    Click(&d, kAccountsBack);
  });
  driver_->Then([&](FullScreenDialog& d) {
    EXPECT_EQ(program_->accountEditFlag, 1);
    TypeText(&d, kName, "Bank Two");
    Click(&d, kOk);
  });
  EXPECT_EQ(RunAccountsDialog(*program_, *host_), end_code::kAccountsBack);
  EXPECT_EQ(program_->accounts[0].Name(), u"Bank Two");
  EXPECT_EQ(program_->currentAccount.key, bank);
  EXPECT_EQ(program_->currentAccount.Name(), u"Bank Two");
  EXPECT_EQ(program_->settings.lastAccount, std::u16string(u"Bank Two"));
  EXPECT_EQ(host_->chooser, (std::vector<std::u16string>{u"Cash", u"Bank Two"}));
  EXPECT_EQ(host_->selected, u"Bank Two");

  // The store holds the new name.
  AccountList stored;
  AccountRecord current;
  CategoryList categories;
  Settings settings;
  ASSERT_TRUE(OpenDatabases(*store_, categories, stored, current, settings, messages_));
  ASSERT_NE(stored.FindByName(u"Bank Two"), nullptr);
  EXPECT_EQ(stored.FindByName(u"Bank"), nullptr);
}

TEST_F(AccountDialogTest, DeletingTheCurrentAccountRemovesItsMoneyAndMovesTheCurrentAccount) {
  const std::uint32_t cash = AddAccount(u"Cash");
  const std::uint32_t bank = AddAccount(u"Bank");
  AddMoney(cash, u"Food", 100);
  AddMoney(cash, u"Food", 200);
  AddMoney(bank, u"Food", 300);
  ASSERT_EQ(program_->currentAccount.key, cash);

  messages_.Expect(kDeleteQuestion, MessageAnswer::No);
  messages_.Expect(kDeleteQuestion, MessageAnswer::Yes);
  driver_->Then([&](FullScreenDialog& d) {
    EXPECT_EQ(Rows(d), (QStringList{"Bank", "Cash"}));
    TapRow(d, 1);
    EXPECT_EQ(Rows(d), (QStringList{"Bank"}));
    Click(&d, kAccountsBack);
  });
  driver_->Then([&](FullScreenDialog& d) {
    Click(&d, kDelete);  // No
    EXPECT_TRUE(d.IsRunning());
    EXPECT_EQ(Focused(), Control(d, kName));
    EXPECT_TRUE(screen_.Panel().IsRaised());
    Click(&d, kDelete);
  });
  EXPECT_EQ(RunAccountsDialog(*program_, *host_), end_code::kAccountsBack);

  ASSERT_EQ(program_->accounts.size(), 1u);
  EXPECT_EQ(program_->currentAccount.key, bank);
  EXPECT_EQ(program_->settings.lastAccount, std::u16string(u"Bank"));
  EXPECT_EQ(host_->chooser, (std::vector<std::u16string>{u"Bank"}));
  EXPECT_EQ(host_->selected, u"Bank");
  const auto stored = StoredMoney();
  ASSERT_EQ(stored.size(), 1u);
  EXPECT_EQ(stored[0].first, bank);
}

TEST_F(AccountDialogTest, DeletingTheLastAccountLeavesNoCurrentAccount) {
  const std::uint32_t cash = AddAccount(u"Cash");
  AddMoney(cash, u"Food", 100);
  messages_.Expect(kDeleteQuestion, MessageAnswer::Yes);
  driver_->Then([&](FullScreenDialog& d) {
    TapRow(d, 0);
    EXPECT_EQ(List(d)->topLevelItemCount(), 0);
    Click(&d, kAccountsBack);
  });
  driver_->Then([&](FullScreenDialog& d) { Click(&d, kDelete); });
  EXPECT_EQ(RunAccountsDialog(*program_, *host_), end_code::kAccountsBack);
  EXPECT_TRUE(program_->accounts.empty());
  EXPECT_EQ(program_->currentAccount.key, kNoKey);
  EXPECT_FALSE(program_->currentAccount.HasName());
  EXPECT_TRUE(program_->money.empty());
  EXPECT_NE(std::find(host_->calls.begin(), host_->calls.end(), u"UpdateCommandStates"),
            host_->calls.end());
}

TEST_F(AccountDialogTest, HeaderTapsSortTheListAndTheChoiceIsKept) {
  AddAccount(u"cash", Date(2005, 3, 1));
  AddAccount(u"Bank", Date(2005, 1, 1));
  AddAccount(u"Amex", Date(2005, 2, 1));
  program_->settings.sortAccountsBook = 0;
  program_->settings.sortOrderAccountsBook = 2;
  driver_->Then([&](FullScreenDialog& d) {
    EXPECT_EQ(Rows(d), (QStringList{"Amex", "Bank", "cash"}));
    EXPECT_EQ(HeaderImages(d), std::make_pair(0, 2));
    TapHeader(d, 0);
    EXPECT_EQ(Rows(d), (QStringList{"cash", "Bank", "Amex"}));
    EXPECT_EQ(HeaderImages(d), std::make_pair(1, 2));
    TapHeader(d, 1);  // the other column keeps the order and takes the arrow
    EXPECT_EQ(Rows(d), (QStringList{"cash", "Amex", "Bank"}));
    EXPECT_EQ(HeaderImages(d), std::make_pair(2, 1));
    EXPECT_EQ(List(d)->topLevelItem(0)->text(1), "01-03-05");
    Click(&d, kAccountsBack);
  });
  EXPECT_EQ(RunAccountsDialog(*program_, *host_), end_code::kAccountsBack);
  EXPECT_EQ(program_->settings.sortAccountsBook, 1u);
  EXPECT_EQ(program_->settings.sortOrderAccountsBook, 1u);

  // Opened again, it starts in the kept order.
  driver_->Then([&](FullScreenDialog& d) {
    EXPECT_EQ(Rows(d), (QStringList{"cash", "Amex", "Bank"}));
    EXPECT_EQ(HeaderImages(d), std::make_pair(2, 1));
    Click(&d, 1140);
  });
  program_->accountsSelectedIndex = 2;
  EXPECT_EQ(RunAccountsDialog(*program_, *host_), end_code::kAccountsNew);
  EXPECT_EQ(program_->accountsSelectedIndex, -1);
}

// Desktop styles that open items on a single click also report the click as an activation.
class SingleClickActivates : public QProxyStyle {
 public:
  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* returnData) const override {
    if (hint == SH_ItemView_ActivateItemOnSingleClick) return 1;
    return QProxyStyle::styleHint(hint, option, widget, returnData);
  }
};

TEST_F(AccountDialogTest, OneTapOrEnterOpensOneAccountDialog) {
  AddAccount(u"Cash");
  AddAccount(u"Bank");
  SingleClickActivates style;
  driver_->Then([&](FullScreenDialog& d) {
    List(d)->setStyle(&style);
    TapRow(d, 1);
    QTest::keyClick(List(d), Qt::Key_Return);
    EXPECT_EQ(program_->accountsSelectedIndex, 1);
    Click(&d, kAccountsBack);
  });
  driver_->Then([&](FullScreenDialog& d) { Click(&d, kBack); });
  driver_->Then([&](FullScreenDialog& d) { Click(&d, kBack); });
  EXPECT_EQ(RunAccountsDialog(*program_, *host_), end_code::kAccountsBack);
  EXPECT_EQ(driver_->Opened(), (QStringList{"Accounts", "Account", "Account"}));
}

TEST_F(AccountDialogTest, TheStoredSortIsWrittenBackAsItWasRead) {
  AddAccount(u"cash", Date(2005, 1, 1));
  AddAccount(u"Bank", Date(2005, 3, 1));
  program_->settings.sortAccountsBook = 1;
  program_->settings.sortOrderAccountsBook = 2;  // no order chosen: by name, up arrow
  driver_->Then([&](FullScreenDialog& d) {
    EXPECT_EQ(Rows(d), (QStringList{"Bank", "cash"}));
    EXPECT_EQ(HeaderImages(d), std::make_pair(0, 2));
    Click(&d, kAccountsBack);
  });
  RunAccountsDialog(*program_, *host_);
  EXPECT_EQ(program_->settings.sortAccountsBook, 1u);
  EXPECT_EQ(program_->settings.sortOrderAccountsBook, 2u);
}

}  // namespace
}  // namespace quidora::testing
