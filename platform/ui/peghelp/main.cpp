// peghelp COMMANDLINE: shows the bundled help pages at the topic the command line names.
#include <QApplication>

#include "help_location.h"
#include "help_window.h"
#include "platform/ui/device_screen.h"
#include "platform/ui/images.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("peghelp"));
  QApplication::setWindowIcon(quidora::ui::ProgramIcon());
  const QStringList arguments = QApplication::arguments();
  quidora::help::HelpWindow window;
  window.resize(quidora::ui::DeviceScreen::ScreenSizeFromEnvironment());
  window.Show(quidora::help::HelpUrl(arguments.size() > 1 ? arguments.at(1) : QString()));
  window.show();
  return QApplication::exec();
}
