#include "shell/file_drop.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QUrl>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "import/import_write.h"
#include "import/plan_file.h"
#include "import/record_rules.h"
#include "platform/backup_snapshot.h"
#include "platform/ui/device_screen.h"
#include "platform/ui/wait_cursor.h"
#include "platform/utf8.h"
#include "shell/main_window.h"
#include "program/program.h"

namespace quidora {

namespace {

// An OFX download names no categories and a drop takes no options: its records go here.
constexpr std::u16string_view kOfxCategory = u"Imported";

std::u16string Utf16(const std::string& text) {
  return platform::Utf8ToUtf16(text).value_or(std::u16string());
}

void Tell(Program& program, const std::u16string& text) {
  program.messages.Show(text, MessageIcon::Exclamation);
}

class DropFilter final : public QObject {
 public:
  DropFilter(Program& program, MainWindow& window, QObject* parent)
      : QObject(parent), program_(program), window_(window) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::DragEnter && event->type() != QEvent::DragMove &&
        event->type() != QEvent::Drop) {
      return QObject::eventFilter(watched, event);
    }
    auto* drop = static_cast<QDropEvent*>(event);
    const QString file = LocalFile(drop->mimeData());
    if (file.isEmpty() || program_.screen.CurrentDialog() != nullptr) {
      drop->ignore();
      return true;
    }
    drop->acceptProposedAction();
    if (event->type() == QEvent::Drop) {
      const std::string path = QFile::encodeName(file).toStdString();
      ImportDroppedFile(program_, window_, path);
    }
    return true;
  }

 private:
  static QString LocalFile(const QMimeData* data) {
    if (data == nullptr || !data->hasUrls()) return {};
    const QList<QUrl> urls = data->urls();
    if (urls.size() != 1 || !urls.front().isLocalFile()) return {};
    return urls.front().toLocalFile();
  }

  Program& program_;
  MainWindow& window_;
};

}  // namespace

void InstallFileDrop(Program& program, MainWindow& window) {
  program.screen.setAcceptDrops(true);
  program.screen.installEventFilter(new DropFilter(program, window, &program.screen));
}

DropOutcome ImportDroppedFile(Program& program, MainWindow& window, const std::string& path) {
  const std::u16string fileName = Utf16(std::filesystem::path(path).filename().string());
  if (program.accounts.empty()) {
    Tell(program, u"There is no account to import " + fileName + u" into.");
    return DropOutcome::Refused;
  }
  std::ifstream in(path, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (!in.good() && !in.eof()) {
    Tell(program, u"Cannot read " + fileName + u".");
    return DropOutcome::Refused;
  }

  import::PlanRequest request;
  request.parse.today = program.today;
  request.defaultCategory = std::u16string(kOfxCategory);
  import::PlannedFile planned;
  {
    ui::WaitCursor wait(program.messages);
    // The money list holds the shown account's records: the duplicates are looked up there.
    planned = import::PlanFile(path, bytes, request, program.categories,
                               std::span<const MoneyRecord>(program.money.begin(), program.money.end()));
  }
  const import::ImportPlan& plan = planned.plan;
  const std::u16string account(program.currentAccount.Name());
  if (!plan.Usable()) {
    Tell(program, u"Cannot import " + fileName + u":\n" +
                      Utf16(import::DescribeProblem(std::filesystem::path(path).filename().string(),
                                                    plan.problems.front())));
    return DropOutcome::Refused;
  }
  if (plan.records.empty()) {
    Tell(program, u"Every record of " + fileName + u" is in " + account + u" already.");
    return DropOutcome::Declined;
  }
  const std::u16string question = u"Import " + Utf16(std::to_string(plan.records.size())) +
                                  u" records from " + fileName + u" into " + account + u"?";
  if (program.messages.Show(question, MessageIcon::Exclamation, MessageButtons::YesNo) !=
      MessageAnswer::Yes) {
    return DropOutcome::Declined;
  }
  // The store as it was goes into the backups first; a store that cannot be backed up is not
  // written to.
  platform::BackupResult backup;
  {
    ui::WaitCursor wait(program.messages);
    backup = platform::MakeBackup(program.locations.dataFolder,
                                  platform::BackupKind::BeforeImport, program.clock);
  }
  if (backup.outcome == platform::BackupResult::Outcome::StoreDamaged ||
      backup.outcome == platform::BackupResult::Outcome::Failed) {
    Tell(program, u"Nothing was imported: the backup before the import could not be made (" +
                      Utf16(backup.reason) + u").");
    return DropOutcome::Refused;
  }
  {
    ui::WaitCursor wait(program.messages);
    const import::ImportTarget target{program.currentAccount.key, u"", program.today};
    // The store operations tell their own failures.
    if (!import::WriteImport(program.store, plan, target, program.categories, program.accounts,
                             program.messages)) {
      return DropOutcome::Refused;
    }
  }
  window.RefreshAccountView();
  return DropOutcome::Imported;
}

}  // namespace quidora
