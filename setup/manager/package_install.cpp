#include "setup/manager/package_install.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include "setup/manager/description_file.h"

namespace quidora::appmgr {
namespace {

InstallReport Fail(InstallStatus status, QString detail) {
  return {status, std::move(detail)};
}

// Writes a copy of `source` as `target` through a temporary file and a rename, keeping the
// source's permissions, so that a program file is never left half written.
bool CopyWhole(const QString& source, const QString& target, QString& why) {
  QFile in(source);
  if (!in.open(QIODevice::ReadOnly)) {
    why = in.errorString();
    return false;
  }
  QSaveFile out(target);
  if (!out.open(QIODevice::WriteOnly)) {
    why = out.errorString();
    return false;
  }
  while (!in.atEnd()) {
    const QByteArray block = in.read(1 << 16);
    if (block.isEmpty() && in.error() != QFileDevice::NoError) {
      why = in.errorString();
      return false;
    }
    if (out.write(block) != block.size()) {
      why = out.errorString();
      return false;
    }
  }
  if (!out.setPermissions(in.permissions()) || !out.commit()) {
    why = out.errorString();
    return false;
  }
  return true;
}

}  // namespace

QString DeviceRoot() {
  const QString home = qEnvironmentVariable("QUIDORA_HOME");
  if (!home.isEmpty()) return home;
  return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
         QStringLiteral("/quidora");
}

QString DescriptionPathFromArgument(const QString& argument) {
  QString path = argument;
  if (path.startsWith(QLatin1Char('"'))) {
    if (path.size() < 2 || !path.endsWith(QLatin1Char('"'))) return {};
    path = path.mid(1, path.size() - 2);
  }
  if (path.contains(QLatin1Char('"'))) return {};
  return path;
}

InstallReport InstallPackage(const QString& descriptionPath, const QString& deviceRoot) {
  QFile file(descriptionPath);
  if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
    return Fail(InstallStatus::DescriptionUnreadable,
                descriptionPath + QStringLiteral(": ") + file.errorString());
  }
  const QString text = QString::fromUtf8(file.readAll());
  auto parsed = ParseDescription(text, QFileInfo(descriptionPath).absolutePath());
  if (auto* error = std::get_if<DescriptionError>(&parsed)) {
    return Fail(InstallStatus::DescriptionInvalid,
                descriptionPath + QStringLiteral(": ") + error->reason);
  }
  const PackageDescription& package = std::get<PackageDescription>(parsed);

  for (const QString& source : package.files) {
    if (!QFileInfo(source).isFile()) {
      return Fail(InstallStatus::FileMissing, source + QStringLiteral(": no such file"));
    }
  }

  const QString target = QDir(deviceRoot).filePath(package.destination.join(QLatin1Char('/')));
  if (!QDir().mkpath(target)) {
    return Fail(InstallStatus::WriteFailed, target + QStringLiteral(": cannot make the folder"));
  }
  for (const QString& source : package.files) {
    const QString copy = QDir(target).filePath(QFileInfo(source).fileName());
    QString why;
    if (!CopyWhole(source, copy, why)) {
      return Fail(InstallStatus::WriteFailed, copy + QStringLiteral(": ") + why);
    }
  }
  return {InstallStatus::Installed, package.name + QStringLiteral(" installed in ") + target};
}

}  // namespace quidora::appmgr
