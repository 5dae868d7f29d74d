#include "platform/ui/help_launcher.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace quidora::ui {
namespace {

constexpr char kHelpProgramName[] = "peghelp";

void StartDetached(const QString& program, const QStringList& arguments) {
  // Arguments go straight to exec: the command line is never seen by a shell.
  QProcess::startDetached(program, arguments);
}

}  // namespace

HelpLauncher::HelpLauncher() : starter_(StartDetached) {}

HelpLauncher::HelpLauncher(ProcessStarter starter) : starter_(std::move(starter)) {}

void HelpLauncher::ShowHelp(const QString& commandLine) const {
  if (starter_) starter_(HelpProgram(), QStringList{commandLine});
}

QString HelpLauncher::HelpProgram() {
  const QString beside =
      QDir(QCoreApplication::applicationDirPath()).filePath(QString::fromLatin1(kHelpProgramName));
  const QFileInfo besideInfo(beside);
  if (besideInfo.isFile() && besideInfo.isExecutable()) return beside;
#ifdef QUIDORA_HELPERS_FROM_BIN
  // An installed program keeps its helpers out of PATH, in a folder of their own.
  const QFileInfo installed(QDir(QCoreApplication::applicationDirPath())
                                .filePath(QString::fromUtf8(QUIDORA_HELPERS_FROM_BIN "/") +
                                          QString::fromLatin1(kHelpProgramName)));
  if (installed.isFile() && installed.isExecutable()) return QDir::cleanPath(installed.filePath());
#endif
  const QString onPath = QStandardPaths::findExecutable(QString::fromLatin1(kHelpProgramName));
  if (!onPath.isEmpty()) return onPath;
#ifdef QUIDORA_BUILD_HELP_PROGRAM
  const QFileInfo built(QString::fromUtf8(QUIDORA_BUILD_HELP_PROGRAM));
  if (built.isFile() && built.isExecutable()) return built.filePath();
#endif
  return QString::fromLatin1(kHelpProgramName);
}

}  // namespace quidora::ui
