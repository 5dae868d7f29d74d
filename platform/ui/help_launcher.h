// Starts the help viewer (`peghelp`) with a help command line such as
// "file:equidorappc.htm#Accounts". The viewer is looked for next to the running program first,
// then in the installed helpers' folder, then on PATH; it is started detached, without a shell,
// with the command line as its one argument, and nothing waits for it or checks it.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

namespace quidora::ui {

class HelpLauncher {
 public:
  // Starts `program` with `arguments`; the default is QProcess::startDetached.
  using ProcessStarter = std::function<void(const QString& program, const QStringList& arguments)>;

  HelpLauncher();
  explicit HelpLauncher(ProcessStarter starter);

  void ShowHelp(const QString& commandLine) const;

  // Tests observe the started command lines by replacing the starter.
  void SetProcessStarter(ProcessStarter starter) { starter_ = std::move(starter); }

  // Where the viewer is: next to the running executable, else in the helpers' folder an
  // installation puts beside bin/ (../libexec/quidora), else on PATH, else where this build
  // made it, else the bare name.
  static QString HelpProgram();

 private:
  ProcessStarter starter_;
};

}  // namespace quidora::ui
