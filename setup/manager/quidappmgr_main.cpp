// quidappmgr "DESCRIPTION": the desktop application manager's stand-in. Installs the package a
// description file names into the emulated device ($QUIDORA_HOME) and tells how it went by its
// exit code.
#include <QCoreApplication>
#include <cstdio>

#include "setup/manager/package_install.h"

int main(int argc, char** argv) {
  using namespace quidora::appmgr;
  QCoreApplication app(argc, argv);
  const QStringList arguments = QCoreApplication::arguments();
  if (arguments.size() != 2) {
    std::fprintf(stderr, "usage: quidappmgr \"DESCRIPTION-FILE\"\n");
    return static_cast<int>(InstallStatus::BadArguments);
  }
  const QString description = DescriptionPathFromArgument(arguments.at(1));
  if (description.isEmpty()) {
    std::fprintf(stderr, "quidappmgr: not a description file path: %s\n", argv[1]);
    return static_cast<int>(InstallStatus::BadArguments);
  }
  const InstallReport report = InstallPackage(description, DeviceRoot());
  std::fprintf(report.status == InstallStatus::Installed ? stdout : stderr, "quidappmgr: %s\n",
               qPrintable(report.detail));
  return static_cast<int>(report.status);
}
