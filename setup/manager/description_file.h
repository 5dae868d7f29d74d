// An installation description file: which program files go to which folder of the device.
//
//   [Package]
//   Name=Quidora
//   Device=Pocket PC 2003
//   Processor=StrongARM
//   Destination=Program Files\Quidora
//   File1=quidora
//   File2=peghelp
//
// Destination is a device path below the device's root. FileN are the files to copy, in order
// from File1 up to the first number missing; relative paths are taken from the description
// file's folder. Lines starting with ";" or "#" are comments.
#pragma once

#include <QString>
#include <QStringList>
#include <variant>

namespace quidora::appmgr {

struct PackageDescription {
  QString name;
  QString device;
  QString processor;
  QStringList destination;  // folder names below the device's root
  QStringList files;        // absolute paths of the files to copy
};

struct DescriptionError {
  QString reason;
};

// Reads `text` found in `folder`; an error names what is missing or wrong.
std::variant<PackageDescription, DescriptionError> ParseDescription(const QString& text,
                                                                    const QString& folder);

}  // namespace quidora::appmgr
