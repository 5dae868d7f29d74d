// Opens every editing dialog with data in both layouts, and on a 240 by 400 screen. Each must open without a message and
// fit its controls inside the work area. With QUIDORA_DIALOG_SHOTS=DIR the screen is also saved
// as DIR/dlg-<name>-<width>x<height>.png for a person to look at.
#include <QDir>
#include <QImage>
#include <QPixmap>

#include "dialog_fixture.h"
#include "dialogs/dialogs.h"
#include "export/csv_files.h"
#include "export/export_dialogs.h"

namespace quidora::testing {
namespace {

class DialogScreenshotsTest : public DialogTest {
 protected:
  DialogScreenshotsTest() {
    const std::uint32_t cash = AddAccount(u"Cash", Date(2005, 1, 10));
    AddAccount(u"Bank Savings", Date(2005, 2, 11));
    AddAccount(u"Travel", Date(2006, 3, 1));
    for (const char16_t* name : {u"Food", u"Salary", u"Car", u"House", u"Fun"}) AddCategory(name);
    AddMoney(cash, u"Food", 1250);
    ShowAccount(cash);
  }

  // Runs `run` with a handler that checks and saves the screen, then ends the dialog.
  void Shoot(const QString& name, const QString& topic, const std::function<int()>& run) {
    driver_->Then([this, name, topic](ui::FullScreenDialog& d) {
      for (QWidget* child : d.findChildren<QWidget*>()) {
        if (child->isVisible() && child->parentWidget() == &d) {
          EXPECT_TRUE(d.rect().contains(child->geometry()))
              << name.toStdString() << ": control " << ui::ControlId(child) << " outside";
        }
      }
      // Help and screen readers: every dialog names its topic and every control what it is.
      EXPECT_EQ(d.HelpTopic(), "file:equidorappc.htm#" + topic) << name.toStdString();
      for (QWidget* control : d.findChildren<QWidget*>()) {
        if (ui::ControlId(control) >= 0 && control->isVisible()) {
          EXPECT_FALSE(control->accessibleName().isEmpty())
              << name.toStdString() << ": control " << ui::ControlId(control) << " has no name";
        }
      }
      const QPixmap shot = screen_.grab();
      EXPECT_EQ(shot.size(), screen_.size());
      const QString folder = qEnvironmentVariable("QUIDORA_DIALOG_SHOTS");
      if (!folder.isEmpty()) {
        const QString file = QDir(folder).filePath(QStringLiteral("dlg-%1-%2x%3.png")
                                                       .arg(name)
                                                       .arg(screen_.width())
                                                       .arg(screen_.height()));
        EXPECT_TRUE(shot.save(file));
      }
      d.End(0);
    });
    run();
  }

  void ShootAll() {
    program_->workMoney.Reset();
    program_->workMoney.CopyFrom(program_->money[0]);
    program_->workMoney.SetMemo(u"Lunch with Ann");
    program_->transactionEditFlag = 1;
    program_->savedRow = 0;
    Shoot("transaction", "Moneyrecords", [&] { return RunTransactionDialog(*program_, *host_); });
    Shoot("accounts", "Accounts", [&] { return RunAccountsDialog(*program_, *host_); });
    program_->workAccount.CopyFrom(program_->accounts[0]);
    program_->workAccount.SetDescription(u"Wallet and coins");
    program_->accountEditFlag = 1;
    Shoot("account", "Accounts", [&] { return RunAccountDialog(*program_, *host_); });
    Shoot("categories", "Categories", [&] { return RunCategoriesDialog(*program_, *host_); });
    Shoot("newcategory", "Categories", [&] { return RunNewCategoryDialog(*program_, *host_); });
    program_->categories.FindByName(u"Car");
    Shoot("editcategory", "Categories", [&] { return RunEditCategoryDialog(*program_, *host_); });
    program_->exportTransactionsName = u"Spring 05";
    Shoot("export", "Export", [&] { return RunTransactionsExportDialog(*program_); });
    Shoot("exportcategories", "Exportrapport",
          [&] { return RunCategoryReportExportDialog(*program_, CategoryReportFile{}); });
    Shoot("exportbalances", "Exportbalance",
          [&] { return RunBalanceReportExportDialog(*program_, BalanceReportFile{}); });
  }
};

TEST_F(DialogScreenshotsTest, EveryDialogOpensWithDataInBothLayouts) {
  ShootAll();
  UseScreen(320, 240);
  ShootAll();
  // Wide by the screen, but narrower than the wide arrangements: every dialog fits all the same.
  UseScreen(240, 400);
  ShootAll();
  EXPECT_TRUE(messages_.log.empty());
}

}  // namespace
}  // namespace quidora::testing
