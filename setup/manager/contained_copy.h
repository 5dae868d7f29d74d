// Writing the package's files below the device's root without ever leaving it. The root itself
// may be reached through a link (the user may keep the device anywhere), but below it each
// folder is opened without following links, and a link at a target file is refused rather
// than written through: whatever someone planted in the device cannot send a copy elsewhere.
#pragma once

#include <QString>
#include <QStringList>

namespace quidora::appmgr {

// An open folder below the root; -1 when it could not be had (see `why`).
class ContainedFolder {
 public:
  // Opens (making what is missing, 0700) `root` and then `parts` below it, one level at a time.
  ContainedFolder(const QString& root, const QStringList& parts);
  ~ContainedFolder();
  ContainedFolder(const ContainedFolder&) = delete;
  ContainedFolder& operator=(const ContainedFolder&) = delete;

  bool IsOpen() const { return fd_ >= 0; }
  const QString& Why() const { return why_; }

  // Writes a copy of `source` as `name` in this folder through a temporary file and a rename,
  // keeping the source's permissions, so that a program file is never left half written.
  bool CopyIn(const QString& source, const QString& name, QString& why) const;

 private:
  int fd_ = -1;
  QString why_;
};

}  // namespace quidora::appmgr
