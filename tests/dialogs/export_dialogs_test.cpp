#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "dialog_fixture.h"
#include "export/export_dialogs.h"
#include "export/export_writers.h"
#include "platform/ui/input_panel.h"
#include "store/settings.h"

namespace quidora::testing {
namespace {

namespace fs = std::filesystem;
using ui::FullScreenDialog;

// Controls of the transactions export; the report exports have their own ids.
struct Ids {
  int fileGroup, nameLabel, name, typeGroup, ascii, unicode, folderGroup, business, personal,
      cancel, ok;
};
constexpr Ids kTransactions{1082, 1083, 1084, 1085, 1086, 1087, 1088, 1089, 1090, 1091, 1092};
constexpr Ids kReport{1096, 1097, 1098, 1099, 1100, 1101, 1102, 1103, 1104, 1106, 1105};

// Every export's controls stand in the same places.
std::vector<Place> Places(const Ids& ids) {
  return {{ids.fileGroup, {6, 10, 228, 45}, {6, 3, 195, 45}},
          {ids.nameLabel, {14, 30, 40, 18}, {13, 23, 35, 18}},
          {ids.name, {65, 27, 140, 20}, {60, 20, 130, 20}},
          {ids.typeGroup, {6, 70, 110, 60}, {204, 3, 110, 50}},
          {ids.ascii, {15, 85, 80, 18}, {214, 17, 80, 16}},
          {ids.unicode, {15, 105, 80, 18}, {214, 34, 80, 16}},
          {ids.folderGroup, {125, 70, 110, 60}, {204, 55, 110, 50}},
          {ids.business, {135, 85, 77, 18}, {214, 70, 77, 16}},
          {ids.personal, {135, 105, 77, 18}, {214, 87, 77, 16}},
          {ids.cancel, {8, 145, 80, 21}, {8, 63, 80, 21}},
          {ids.ok, {153, 145, 80, 21}, {120, 63, 80, 21}}};
}

const std::u16string kInvalidName =
    u"Please, enter a unique name that is alphabetic character within the ranges A - Z or a - z "
    u"or decimal digit (0 - 9).";
const std::u16string kDone = u"OK !";
const std::u16string kReplace = u"File already exists - do you want replace existing file?";

std::string ReadBytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class ExportDialogTest : public DialogTest {
 protected:
  ExportDialogTest() {
    const std::string device = home_.filePath("device").toStdString();
    program_->locations = *platform::ResolveDeviceLocations([&device](const char* name) {
      return std::string_view(name) == "QUIDORA_HOME" ? device.c_str() : nullptr;
    });
    EXPECT_TRUE(platform::PrepareDevice(program_->locations));
    const std::uint32_t cash = AddAccount(u"Cash");
    AddMoney(cash, u"Food", 1250);
    AddMoney(cash, u"Salary", 300000, kIncome, Date(2005, 11, 1));
    ShowAccount(cash);
    categories_[0].SetName(u"Food");
    categories_[0].total = -1250;
    categories_[1].SetName(u"Car");
    categories_[1].total = 0;
    accounts_[0].CopyFrom(program_->accounts[0]);
    accounts_[0].balance = 298750;
  }

  // Types `name`, picks the choices and presses OK; the dialog is left to its own course.
  static void Fill(FullScreenDialog& d, const Ids& ids, const QString& name, bool unicode,
                   bool personal) {
    TypeText(&d, ids.name, name);
    Click(&d, unicode ? ids.unicode : ids.ascii);
    Click(&d, personal ? ids.personal : ids.business);
    Click(&d, ids.ok);
  }
  static QString NameShown(FullScreenDialog& d, const Ids& ids) {
    return Control<QLineEdit>(d, ids.name)->text();
  }

  CsvOptions Options() const {
    return {program_->settings.exportFileType, program_->settings.dateTypeView,
            program_->settings.moneyTypeView};
  }
  std::string TransactionsBytes() const {
    TransactionsFile file{clock_.NowUtc(),
                          program_->currentAccount.Name(),
                          {program_->money.begin(), program_->money.end()}};
    return TransactionsCsv(file, Options());
  }
  CategoryReportFile Categories() const { return {clock_.NowUtc(), categories_}; }
  BalanceReportFile Balances() const { return {1, 2, accounts_, 298750}; }
  fs::path Business(const char* name) const { return program_->locations.business / name; }
  fs::path Personal(const char* name) const { return program_->locations.personal / name; }

  CategoryRecord categories_[2];
  AccountRecord accounts_[1];
};

TEST_F(ExportDialogTest, NamesAreRememberedPerKindForTheRunOnly) {
  // Date and amount views that tell each other apart in every file.
  program_->settings.dateTypeView = 3;
  program_->settings.moneyTypeView = 1;
  // Transactions: two spaces either side are trimmed off the file's name, which is dated as the
  // clock says when it is written.
  program_->today = Date(2001, 1, 1);
  driver_->Then([&](FullScreenDialog& d) {
    EXPECT_EQ(NameShown(d, kTransactions), "");
    EXPECT_TRUE(program_->screen.Panel().IsRaised());
    EXPECT_EQ(Focused(), Control(d, kTransactions.name));
    EXPECT_EQ(Control<QLabel>(d, kTransactions.nameLabel)->buddy(), Focused());
    EXPECT_EQ(Control<QLineEdit>(d, kTransactions.name)->maxLength(), 128);
    EXPECT_EQ(program_->openDialog, &d);
    ExpectPlaces(d, Places(kTransactions), false);
    UseScreen(320, 240);
    ExpectPlaces(d, Places(kTransactions), true);
    messages_.Expect(kDone);
    Fill(d, kTransactions, "  Spring 05  ", true, false);
  });
  EXPECT_EQ(RunTransactionsExportDialog(*program_), end_code::kExportWritten);
  EXPECT_FALSE(program_->screen.Panel().IsRaised());
  EXPECT_EQ(program_->settings.exportFileType, kExportUnicode);
  EXPECT_EQ(program_->settings.exportFileFolder, kExportBusiness);
  EXPECT_EQ(ReadBytes(Business("Spring 05.csv")), TransactionsBytes());
  EXPECT_TRUE(program_->openDialog.isNull());

  // The category report does not offer the transactions' name; its own becomes the reports'.
  driver_->Then([&](FullScreenDialog& d) {
    EXPECT_EQ(NameShown(d, kReport), "");
    ExpectPlaces(d, Places(kReport), true);
    EXPECT_TRUE(Control<QRadioButton>(d, kReport.unicode)->isChecked());
    EXPECT_TRUE(Control<QRadioButton>(d, kReport.business)->isChecked());
    messages_.Expect(kDone);
    Fill(d, kReport, "Oct", false, true);
  });
  const CategoryReportFile categories = Categories();
  EXPECT_EQ(RunCategoryReportExportDialog(*program_, categories), end_code::kExportWritten);
  EXPECT_EQ(ReadBytes(Personal("Oct.csv")), CategoryReportCsv(categories, Options()));
  EXPECT_EQ(program_->settings.exportFileType, kExportAscii);

  // The balance report offers the shared name, the transactions export its own; F1 asks for the
  // balance export's help.
  QStringList help;
  screen_.Help().SetProcessStarter(
      [&help](const QString&, const QStringList& arguments) { help += arguments; });
  driver_->Then([&](FullScreenDialog& d) {
    EXPECT_EQ(NameShown(d, kReport), "Oct");
    EXPECT_EQ(Control<QLineEdit>(d, kReport.name)->selectedText(), "Oct");
    EXPECT_TRUE(Control<QRadioButton>(d, kReport.ascii)->isChecked());
    EXPECT_TRUE(Control<QRadioButton>(d, kReport.personal)->isChecked());
    QTest::keyClick(Control(d, kReport.name), Qt::Key_F1);
    messages_.Expect(kReplace, MessageAnswer::Yes);
    messages_.Expect(kDone);
    Click(&d, kReport.ok);
  });
  const BalanceReportFile balances = Balances();
  EXPECT_EQ(RunBalanceReportExportDialog(*program_, balances), end_code::kExportWritten);
  EXPECT_EQ(ReadBytes(Personal("Oct.csv")), BalanceReportCsv(balances, Options()));
  EXPECT_EQ(help, QStringList{"file:equidorappc.htm#Exportbalance"});

  driver_->Then([&](FullScreenDialog& d) {
    EXPECT_EQ(NameShown(d, kTransactions), "Spring 05");
    Click(&d, kTransactions.cancel);
  });
  EXPECT_EQ(RunTransactionsExportDialog(*program_), end_code::kTransactionsExportCancel);

  // The choices reach the registry at exit; the names never do. (This registry has no file to
  // flush to, so only what was written into it counts.)
  program_->settings.maker = u"Maker";
  program_->settings.product = u"Quidora";
  static_cast<void>(WriteSettings(registry_, program_->settings));
  const std::string stored = registry_.Serialize();
  EXPECT_NE(stored.find("ExportFileFolder"), std::string::npos);
  EXPECT_EQ(stored.find("Spring"), std::string::npos);
  EXPECT_EQ(stored.find("Oct"), std::string::npos);
  EXPECT_TRUE(messages_.AllShown());
}

TEST_F(ExportDialogTest, ReplaceQuestionNoKeepsTheFileAndTheDialogYesReplacesIt) {
  const fs::path old = Business("Old.csv");
  std::ofstream(old, std::ios::binary) << "earlier export";
  program_->settings.exportFileFolder = kExportBusiness;
  driver_->Then([&](FullScreenDialog& d) {
    messages_.Expect(kReplace, MessageAnswer::No);
    Fill(d, kTransactions, "Old", false, false);
    EXPECT_FALSE(d.IsEnded());
    EXPECT_EQ(ReadBytes(old), "earlier export");
    EXPECT_EQ(Focused(), Control(d, kTransactions.name));
    EXPECT_EQ(Control<QLineEdit>(d, kTransactions.name)->selectedText(), "Old");
    EXPECT_TRUE(program_->screen.Panel().IsRaised());

    messages_.Expect(kReplace, MessageAnswer::Yes);
    messages_.Expect(kDone);
    QTest::keyClick(Control(d, kTransactions.name), Qt::Key_Return);  // OK is the default
  });
  EXPECT_EQ(RunTransactionsExportDialog(*program_), end_code::kExportWritten);
  EXPECT_EQ(ReadBytes(old), TransactionsBytes());
  EXPECT_EQ(
      std::distance(fs::directory_iterator(program_->locations.business), fs::directory_iterator()),
      1);  // no temporary file left beside it
  EXPECT_TRUE(messages_.AllShown());
}

TEST_F(ExportDialogTest, RefusedNamesAndAMissingFolderKeepTheDialogOpenWithTheChoicesStored) {
  fs::remove_all(program_->locations.personal);
  program_->settings.exportFileType = kExportAscii;
  program_->settings.exportFileFolder = kExportBusiness;
  program_->exportReportName = u"Kept";
  driver_->Then([&](FullScreenDialog& d) {
    // An empty field: no message, nothing changes but the choices.
    Fill(d, kReport, "", true, true);
    EXPECT_EQ(program_->settings.exportFileType, kExportUnicode);
    EXPECT_EQ(program_->settings.exportFileFolder, kExportPersonal);
    for (const char* name : {"a.b", "Spring-05", "x/y", "   "}) {
      messages_.Expect(kInvalidName);
      TypeText(&d, kReport.name, QString::fromLatin1(name));
      Click(&d, kReport.ok);
    }
    EXPECT_EQ(program_->exportReportName, u"Kept");
    EXPECT_EQ(messages_.log.size(), 4u);

    messages_.Expect(std::u16string(LoadString(StringId::ExportNoPersonalFolder)));
    TypeText(&d, kReport.name, "Fine");
    Click(&d, kReport.ok);
    EXPECT_FALSE(d.IsEnded());
    EXPECT_EQ(Focused(), Control(d, kReport.name));
    Click(&d, kReport.cancel);
  });
  EXPECT_EQ(RunCategoryReportExportDialog(*program_, Categories()), end_code::kReportExportCancel);
  EXPECT_EQ(program_->settings.exportFileType, kExportUnicode);
  EXPECT_EQ(program_->settings.exportFileFolder, kExportPersonal);
  EXPECT_EQ(program_->exportReportName, u"Fine");
  EXPECT_TRUE(fs::is_empty(program_->locations.business));
  EXPECT_TRUE(program_->openDialog.isNull());
  EXPECT_TRUE(messages_.AllShown());
}

}  // namespace
}  // namespace quidora::testing
