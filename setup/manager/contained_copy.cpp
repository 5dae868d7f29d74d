#include "setup/manager/contained_copy.h"

#include <QFile>
#include <QRandomGenerator>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/locations.h"

namespace quidora::appmgr {
namespace {

QString ErrorText(int error) {
  return QString::fromLocal8Bit(std::strerror(error));
}

bool WriteAll(int fd, const QByteArray& bytes) {
  qsizetype written = 0;
  while (written < bytes.size()) {
    const ssize_t n =
        ::write(fd, bytes.constData() + written, static_cast<std::size_t>(bytes.size() - written));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    written += n;
  }
  return true;
}

}  // namespace

ContainedFolder::ContainedFolder(const QString& root, const QStringList& parts) {
  const QByteArray rootPath = QFile::encodeName(root);
  if (!platform::MakePrivateFolders(rootPath.toStdString())) {
    why_ = root + QStringLiteral(": cannot make the folder");
    return;
  }
  fd_ = ::open(rootPath.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd_ < 0) {
    why_ = root + QStringLiteral(": ") + ErrorText(errno);
    return;
  }
  QString reached = root;
  for (const QString& part : parts) {
    reached += QLatin1Char('/') + part;
    const QByteArray name = QFile::encodeName(part);
    if (::mkdirat(fd_, name.constData(), 0700) != 0 && errno != EEXIST) {
      why_ = reached + QStringLiteral(": cannot make the folder: ") + ErrorText(errno);
    } else {
      const int next =
          ::openat(fd_, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
      if (next < 0) {
        const int error = errno;
        struct stat info {};
        const bool link = ::fstatat(fd_, name.constData(), &info, AT_SYMLINK_NOFOLLOW) == 0 &&
                          S_ISLNK(info.st_mode);
        why_ = reached + (link ? QStringLiteral(": is a link; nothing is written through links "
                                                "inside the device")
                               : QStringLiteral(": not a folder: ") + ErrorText(error));
      } else {
        ::close(fd_);
        fd_ = next;
        continue;
      }
    }
    ::close(fd_);
    fd_ = -1;
    return;
  }
}

ContainedFolder::~ContainedFolder() {
  if (fd_ >= 0) ::close(fd_);
}

bool ContainedFolder::CopyIn(const QString& source, const QString& name, QString& why) const {
  const QByteArray target = QFile::encodeName(name);
  struct stat existing {};
  if (::fstatat(fd_, target.constData(), &existing, AT_SYMLINK_NOFOLLOW) == 0 &&
      !S_ISREG(existing.st_mode)) {
    why = S_ISLNK(existing.st_mode)
              ? QStringLiteral("is a link; nothing is written through links inside the device")
              : QStringLiteral("is not a regular file");
    return false;
  }
  QFile in(source);
  if (!in.open(QIODevice::ReadOnly)) {
    why = in.errorString();
    return false;
  }

  QByteArray temp;
  int out = -1;
  for (int attempt = 0; attempt < 100 && out < 0; ++attempt) {
    temp = '.' + target + ".new-" + QByteArray::number(QRandomGenerator::global()->generate());
    out =
        ::openat(fd_, temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (out < 0 && errno != EEXIST) break;
  }
  if (out < 0) {
    why = ErrorText(errno);
    return false;
  }
  bool ok = true;
  while (ok && !in.atEnd()) {
    const QByteArray block = in.read(1 << 16);
    if (block.isEmpty() && in.error() != QFileDevice::NoError) {
      why = in.errorString();
      ok = false;
    } else if (!WriteAll(out, block)) {
      why = ErrorText(errno);
      ok = false;
    }
  }
  // The program's own permission bits for its owner; the device's files are nobody else's.
  struct stat sourceInfo {};
  ok = ok && ::fstat(in.handle(), &sourceInfo) == 0;
  if (ok && (::fchmod(out, sourceInfo.st_mode & 0700) != 0 || ::fsync(out) != 0)) {
    why = ErrorText(errno);
    ok = false;
  }
  ok = ::close(out) == 0 && ok;
  // rename replaces the name itself: a link that appeared there meanwhile is replaced, not
  // followed.
  if (ok && ::renameat(fd_, temp.constData(), fd_, target.constData()) != 0) {
    why = ErrorText(errno);
    ok = false;
  }
  if (!ok) {
    if (why.isEmpty()) why = QStringLiteral("cannot write the file");
    ::unlinkat(fd_, temp.constData(), 0);
    return false;
  }
  ::fsync(fd_);
  return true;
}

}  // namespace quidora::appmgr
