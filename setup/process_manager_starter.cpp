#include "setup/process_manager_starter.h"

#include <QEventLoop>
#include <QProcess>

namespace quidora::setup {

bool ProcessManagerStarter::StartAndWait(const std::string& program, const std::string& argument) {
  QProcess manager;
  manager.setProgram(QString::fromStdString(program));
  manager.setArguments({QString::fromStdString(argument)});
  manager.setProcessChannelMode(QProcess::ForwardedChannels);
  QEventLoop loop;
  bool ended = false;
  QObject::connect(&manager, &QProcess::finished, &loop, [&] {
    ended = true;
    loop.quit();
  });
  manager.start();
  if (!manager.waitForStarted(-1)) return false;
  if (!ended) loop.exec();
  lastExitCode_ = manager.exitStatus() == QProcess::NormalExit ? manager.exitCode() : -1;
  return true;
}

}  // namespace quidora::setup
