#include "setup/manager/description_file.h"

#include <QDir>
#include <QHash>

namespace quidora::appmgr {
namespace {

// Splits a device path ("Program Files\Quidora") into folder names, refusing any that would
// leave the device's root.
std::optional<QStringList> DeviceFolders(const QString& path) {
  QString normal = path;
  normal.replace(QLatin1Char('\\'), QLatin1Char('/'));
  QStringList parts = normal.split(QLatin1Char('/'), Qt::SkipEmptyParts);
  if (parts.isEmpty()) return std::nullopt;
  for (const QString& part : parts) {
    if (part == QStringLiteral(".") || part == QStringLiteral("..")) return std::nullopt;
  }
  return parts;
}

}  // namespace

std::variant<PackageDescription, DescriptionError> ParseDescription(const QString& text,
                                                                    const QString& folder) {
  QHash<QString, QString> values;
  bool inPackage = false;
  bool sawPackage = false;
  for (QString line : text.split(QLatin1Char('\n'))) {
    line = line.trimmed();
    if (line.isEmpty() || line.startsWith(QLatin1Char(';')) || line.startsWith(QLatin1Char('#'))) {
      continue;
    }
    if (line.startsWith(QLatin1Char('['))) {
      inPackage = line.compare(QStringLiteral("[Package]"), Qt::CaseInsensitive) == 0;
      sawPackage = sawPackage || inPackage;
      continue;
    }
    const qsizetype equals = line.indexOf(QLatin1Char('='));
    if (!inPackage || equals <= 0) continue;
    values.insert(line.left(equals).trimmed().toLower(), line.mid(equals + 1).trimmed());
  }
  if (!sawPackage) return DescriptionError{QStringLiteral("no [Package] section")};

  PackageDescription package;
  package.name = values.value(QStringLiteral("name"));
  package.device = values.value(QStringLiteral("device"));
  package.processor = values.value(QStringLiteral("processor"));
  if (package.name.isEmpty()) return DescriptionError{QStringLiteral("no Name")};
  std::optional<QStringList> destination =
      DeviceFolders(values.value(QStringLiteral("destination")));
  if (!destination) {
    return DescriptionError{QStringLiteral("Destination is missing or leaves the device's root")};
  }
  package.destination = *destination;

  const QDir base(folder);
  for (int n = 1;; ++n) {
    const QString file = values.value(QStringLiteral("file%1").arg(n));
    if (file.isEmpty()) break;
    package.files << QDir::cleanPath(base.absoluteFilePath(file));
  }
  if (package.files.isEmpty()) return DescriptionError{QStringLiteral("no File1")};
  return package;
}

}  // namespace quidora::appmgr
