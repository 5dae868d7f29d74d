// Renders the main window and every dialog of the device program, in the tall (240 by 320) and
// the wide (320 by 240) layout, into PNG files: quidora-screenshots OUTPUT_FOLDER.
// Each run works on a device home of its own filled with a few accounts and records.
#include <QAbstractButton>
#include <QApplication>
#include <QDateEdit>
#include <QDir>
#include <QPixmap>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <deque>
#include <functional>

#include "core/message_service.h"
#include "dialogs/dialogs.h"
#include "export/csv_files.h"
#include "export/export_dialogs.h"
#include "platform/clock.h"
#include "platform/ui/control_id.h"
#include "platform/ui/desktop_zoom.h"
#include "platform/ui/device_screen.h"
#include "platform/ui/full_screen_dialog.h"
#include "shell/command_ids.h"
#include "shell/main_window.h"
#include "shell/money_list_view.h"
#include "program/program.h"
#include "shell/start_up.h"
#include "shell/tools/demo_device.h"

namespace {

using quidora::ui::DeviceScreen;
using quidora::ui::FullScreenDialog;

class LoggingMessages : public quidora::MessageService {
 public:
  quidora::MessageAnswer Show(std::u16string_view text, quidora::MessageIcon,
                              quidora::MessageButtons) override {
    std::fprintf(stderr, "message: %s\n",
                 QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()))
                     .toLocal8Bit()
                     .constData());
    return quidora::MessageAnswer::No;
  }
  void Beep() override {}
  void SetWaitCursor(bool) override {}
};

// Answers each dialog that opens with the next handler; a dialog without one is ended.
class DialogScript {
 public:
  using Handler = std::function<void(FullScreenDialog&)>;

  explicit DialogScript(DeviceScreen& screen) {
    QObject::connect(&screen, &DeviceScreen::DialogOpened, [this](FullScreenDialog* dialog) {
      if (handlers_.empty()) {
        std::fprintf(stderr, "unexpected dialog %s\n", qPrintable(dialog->Title()));
        dialog->End(FullScreenDialog::kAbandoned);
        ++failures;
        return;
      }
      Handler next = std::move(handlers_.front());
      handlers_.pop_front();
      next(*dialog);
    });
  }
  void Then(Handler handler) { handlers_.push_back(std::move(handler)); }
  bool Done() const { return handlers_.empty(); }
  int failures = 0;

 private:
  std::deque<Handler> handlers_;
};

class Shooter {
 public:
  Shooter(DeviceScreen& screen, QString folder, QString suffix)
      : screen_(screen), folder_(std::move(folder)), suffix_(std::move(suffix)) {}

  bool Shoot(const QString& name) {
    QCoreApplication::processEvents();
    const QString file = QDir(folder_).filePath(name + "-" + suffix_ + ".png");
    if (!screen_.grab().save(file)) {
      std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
      return false;
    }
    std::printf("%s\n", qPrintable(file));
    return true;
  }

  // A handler that takes the picture and ends the dialog with `code`.
  DialogScript::Handler ShootAndEnd(const QString& name, int code) {
    return [this, name, code](FullScreenDialog& dialog) {
      ok_ = Shoot(name) && ok_;
      dialog.End(code);
    };
  }
  bool Ok() const { return ok_; }

 private:
  DeviceScreen& screen_;
  QString folder_;
  QString suffix_;
  bool ok_ = true;
};

bool ShootLayout(const QString& folder, QSize size) {
  QTemporaryDir home;
  if (!home.isValid()) return false;
  const auto locations =
      quidora::platform::ResolveDeviceLocations([&home](const char* name) -> const char* {
        static std::string path;
        if (std::string_view(name) == "QUIDORA_HOME") {
          path = home.path().toStdString();
          return path.c_str();
        }
        return nullptr;
      });
  if (!locations) return false;

  quidora::platform::FixedClock clock(quidora::SystemTime{2026, 12, 2, 8, 10, 30, 0, 0});
  std::string error;
  if (!quidora::tools::FillDemoDevice(*locations, clock, {4, 9}, error)) {
    std::fprintf(stderr, "demo device: %s\n", error.c_str());
    return false;
  }

  LoggingMessages messages;
  quidora::StartOptions options;
  options.locations = *locations;
  options.screenSize = size;
  options.messages = &messages;
  options.clock = &clock;
  options.runtimeDir = home.path();
  options.handleTerminationSignals = false;
  auto session = quidora::InitProgram(options);
  if (session == nullptr) return false;

  namespace cmd = quidora::command;
  namespace end = quidora::end_code;
  quidora::Program& program = session->GetProgram();
  quidora::MainWindow& window = session->Window();
  DeviceScreen& screen = session->Screen();
  const QString suffix = QStringLiteral("%1x%2").arg(size.width()).arg(size.height());
  Shooter shooter(screen, folder, suffix);
  DialogScript script(screen);

  window.List().SelectRow(1);
  shooter.Shoot("main");

  script.Then(shooter.ShootAndEnd("transaction-new", end::kTransactionCancel));
  window.RunCommand(cmd::kNewTransaction);

  window.List().SelectRow(0);
  script.Then(shooter.ShootAndEnd("transaction-edit", end::kTransactionCancel));
  emit window.List().RowTapped(0);

  script.Then(shooter.ShootAndEnd("account-new", end::kAccountBack));
  window.RunCommand(cmd::kNewAccount);

  script.Then(shooter.ShootAndEnd("accounts", end::kAccountsBack));
  window.RunCommand(cmd::kAccounts);

  program.accountEditFlag = 1;
  program.accountsSelectedIndex = 0;
  program.workAccount.Reset();
  program.workAccount.CopyFrom(program.accounts[0]);
  script.Then(shooter.ShootAndEnd("account-edit", end::kAccountBack));
  quidora::RunAccountDialog(program, window);
  program.accountEditFlag = 0;

  script.Then(shooter.ShootAndEnd("categories", end::kCategoriesNew));
  script.Then(shooter.ShootAndEnd("category-new", end::kNewCategoryCancel));
  script.Then([&](FullScreenDialog& dialog) {
    program.categories.FindByName(u"Food");
    dialog.End(end::kCategoriesRename);
  });
  script.Then(shooter.ShootAndEnd("category-edit", end::kEditCategoryCancel));
  script.Then([](FullScreenDialog& dialog) { dialog.End(end::kCategoriesClose); });
  window.RunCommand(cmd::kEditCategories);

  program.exportTransactionsName = u"Spring 05";
  script.Then(shooter.ShootAndEnd("export-transactions", end::kTransactionsExportCancel));
  window.RunCommand(cmd::kExportTransactions);
  script.Then(shooter.ShootAndEnd("export-categories", end::kReportExportCancel));
  quidora::RunCategoryReportExportDialog(program, quidora::CategoryReportFile{});
  program.exportReportName = u"Oct";
  script.Then(shooter.ShootAndEnd("export-balances", end::kReportExportCancel));
  quidora::RunBalanceReportExportDialog(program, quidora::BalanceReportFile{});

  // The reports over the whole demo year, with their results shown.
  const auto showReport = [&](const QString& name, int startId, int endId, int buttonId) {
    return [&, name, startId, endId, buttonId](FullScreenDialog& dialog) {
      auto* start = quidora::ui::FindControl<QDateEdit>(&dialog, startId);
      auto* end = quidora::ui::FindControl<QDateEdit>(&dialog, endId);
      auto* button = quidora::ui::FindControl<QAbstractButton>(&dialog, buttonId);
      if (start == nullptr || end == nullptr || button == nullptr) {
        ++script.failures;
      } else {
        start->setDate(QDate(2026, 1, 1));
        end->setDate(QDate(2026, 12, 31));
        button->click();
      }
      shooter.ShootAndEnd(name, FullScreenDialog::kDone)(dialog);
    };
  };
  script.Then(showReport("transactions-report", 1069, 1071, 1075));
  window.RunCommand(cmd::kTransactionsReport);
  script.Then(showReport("accounts-balance", 1152, 1154, 1155));
  window.RunCommand(cmd::kAccountsBalance);

  script.Then(shooter.ShootAndEnd("about", FullScreenDialog::kDone));
  window.RunCommand(cmd::kAbout);

  script.Then(shooter.ShootAndEnd("view-options", end::kViewOptionsCancel));
  window.RunCommand(cmd::kViewOptions);

  script.Then(shooter.ShootAndEnd("delete-range", end::kDeleteRangeCancel));
  window.RunCommand(cmd::kDeleteByRange);

  const bool ok = shooter.Ok() && script.Done() && script.failures == 0;
  screen.RequestClose();
  QCoreApplication::processEvents();
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // The emulated screen's own pixels, unless QUIDORA_ZOOM asks for a zoomed picture.
  const int zoom = quidora::ui::PinnedZoom().value_or(1);
  qputenv("QT_SCALE_FACTOR", quidora::ui::ScaleFactorText("", zoom));
  QApplication app(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("screenshots");
  if (!QDir().mkpath(folder)) {
    std::fprintf(stderr, "cannot create %s\n", qPrintable(folder));
    return 1;
  }
  bool ok = ShootLayout(folder, {240, 320});
  ok = ShootLayout(folder, {320, 240}) && ok;
  return ok ? 0 : 1;
}
