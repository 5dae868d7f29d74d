// A file dropped on the window: the question with the number of new records, No that changes
// nothing, Yes that imports and refills the list and the balance, a second drop of the same
// file that finds nothing new, and a broken file named with its first problem.
#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QTest>
#include <QUrl>
#include <fstream>

#include "platform/ui/device_screen.h"
#include "shell/account_view.h"
#include "shell/file_drop.h"
#include "shell/main_window.h"
#include "shell/money_list_view.h"
#include "program/program.h"
#include "shell_fixture.h"

namespace quidora::testing {
namespace {

class FileDropTest : public ShellTest {
 protected:
  std::string WriteFile(const std::string& name, const std::string& bytes) {
    const std::string path = HomePath().toStdString() + "/" + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }

  static void Drop(ui::DeviceScreen& screen, const std::string& path) {
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(path))});
    // The drag enters the window first: Qt hands a drop only to the widget that took the drag.
    QDragEnterEvent enter(QPoint(120, 160), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&screen, &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(120, 160), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&screen, &drop);
  }
};

TEST_F(FileDropTest, ADroppedFileIsImportedIntoTheShownAccountOnlyAfterYes) {
  Seed({u"Bank", u"Cash"}, {u"Food"}, {{0, Day(2026, 1, 10), 1000, kExpense, u"Food", u"lunch"}});
  const std::string qif = WriteFile(
      "bank.qif",
      "!Type:Bank\nD01/10/2026\nT-10.00\nLFood\nMlunch\n^\n"  // already in Bank
      "D01/31/2026\nT2,500.00\nLSalary\nPACME\n^\n"
      "D02/01/2026\nT-40.00\nLFuel\n^\n");
  auto session = Start();
  ASSERT_NE(session, nullptr);
  Program& program = session->GetProgram();
  MainWindow& window = session->Window();
  ASSERT_EQ(program.currentAccount.Name(), u"Bank");
  ASSERT_EQ(window.List().RowCount(), 1);

  messages.Expect(u"Import 2 records from bank.qif into Bank?", MessageAnswer::No);
  Drop(session->Screen(), qif);
  EXPECT_TRUE(messages.AllShown());
  EXPECT_EQ(window.List().RowCount(), 1);
  EXPECT_EQ(program.categories.size(), 1u);

  messages.Expect(u"Import 2 records from bank.qif into Bank?", MessageAnswer::Yes);
  EXPECT_EQ(ImportDroppedFile(program, window, qif), DropOutcome::Imported);
  EXPECT_EQ(window.List().RowCount(), 3);
  EXPECT_EQ(window.View().BalanceText(), "Balance: 2,450.00");
  EXPECT_EQ(program.categories.size(), 3u);

  messages.Expect(u"Every record of bank.qif is in Bank already.");
  EXPECT_EQ(ImportDroppedFile(program, window, qif), DropOutcome::Declined);

  const std::string broken = WriteFile("broken.qif", "!Type:Bank\nD01/31/2026\nT2,5x0.00\nLSalary\n^\n");
  messages.Expect(u"Cannot import broken.qif:\nbroken.qif:3: amount: not an amount");
  EXPECT_EQ(ImportDroppedFile(program, window, broken), DropOutcome::Refused);
  EXPECT_EQ(window.List().RowCount(), 3);

  Close(session);
  EXPECT_EQ(StoredCount(u"Vesko Quidbook"), 3u);
}

}  // namespace
}  // namespace quidora::testing
