#include "setup/manager/package_install.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "platform/locations.h"
#include "platform/small_file.h"
#include "setup/manager/contained_copy.h"
#include "setup/manager/description_file.h"

namespace quidora::appmgr {
namespace {

constexpr std::size_t kMaxDescriptionSize = 64 * 1024;

InstallReport Fail(InstallStatus status, QString detail) {
  return {status, std::move(detail)};
}

}  // namespace

QString DeviceRoot() {
  // The same folder the device program resolves, so that both agree on every value.
  const auto locations = platform::ResolveDeviceLocations();
  return locations ? QFile::decodeName(locations->dataFolder.c_str()) : QString();
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
  // A description is a few lines: anything else under its name (a FIFO, a device, a huge file)
  // is refused without waiting on it or reading it all.
  const platform::SmallFile file = platform::ReadSmallFile(
      QFile::encodeName(descriptionPath).toStdString(), kMaxDescriptionSize);
  if (!file.text) {
    return Fail(InstallStatus::DescriptionUnreadable,
                descriptionPath + QStringLiteral(": ") + QString::fromStdString(file.problem));
  }
  const QString text =
      QString::fromUtf8(file.text->data(), static_cast<qsizetype>(file.text->size()));
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

  if (deviceRoot.isEmpty()) {
    return Fail(InstallStatus::WriteFailed, QStringLiteral("no device folder (HOME is not set)"));
  }
  const QString target = QDir(deviceRoot).filePath(package.destination.join(QLatin1Char('/')));
  const ContainedFolder folder(deviceRoot, package.destination);
  if (!folder.IsOpen()) return Fail(InstallStatus::WriteFailed, folder.Why());
  for (const QString& source : package.files) {
    const QString name = QFileInfo(source).fileName();
    QString why;
    if (!folder.CopyIn(source, name, why)) {
      return Fail(InstallStatus::WriteFailed,
                  QDir(target).filePath(name) + QStringLiteral(": ") + why);
    }
  }
  return {InstallStatus::Installed, package.name + QStringLiteral(" installed in ") + target};
}

}  // namespace quidora::appmgr
