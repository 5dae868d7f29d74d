#include "platform/ui/single_instance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace quidora::ui {
namespace {

constexpr char kRaiseMessage[] = "raise\n";
constexpr int kConnectPatienceMs = 3000;

bool PeerIsThisUser(qintptr descriptor) {
  if (descriptor < 0) return false;
  struct ucred peer {};
  socklen_t length = sizeof peer;
  if (getsockopt(static_cast<int>(descriptor), SOL_SOCKET, SO_PEERCRED, &peer, &length) != 0) {
    return false;
  }
  return peer.uid == getuid();
}

// Only a folder of this user that nobody else may enter is trusted with the socket: in any
// other, someone else could plant a socket under the name and answer for the first copy.
bool IsPrivateFolder(const QString& path) {
  if (path.isEmpty() || !QDir::isAbsolutePath(path)) return false;
  struct stat info {};
  if (lstat(QFile::encodeName(path).constData(), &info) != 0) return false;
  return S_ISDIR(info.st_mode) && info.st_uid == getuid() && (info.st_mode & 077) == 0;
}

}  // namespace

SingleInstance::SingleInstance(const QString& dataFolder, const QString& runtimeDir,
                               QObject* parent)
    : QObject(parent),
      dataFolder_(dataFolder),
      runtimeDir_(runtimeDir.isEmpty() ? qEnvironmentVariable("XDG_RUNTIME_DIR") : runtimeDir) {}

SingleInstance::~SingleInstance() {
  if (server_ != nullptr) server_->close();
  // The lock file stays: removing it would let a third copy lock a new file while a second
  // still waits on the old one.
  if (lockFd_ >= 0) close(lockFd_);
}

QString SingleInstance::LockPath() const {
  return QDir(dataFolder_).filePath(QString::fromLatin1(kLockName));
}

SingleInstance::Claim SingleInstance::ClaimInstance() {
  if (lockFd_ >= 0) return Claim::First;

  // The lock file is opened relative to the folder, and the socket is named after that same
  // folder's identity: whatever path was given, both belong to the folder actually reached.
  const int folder =
      open(QFile::encodeName(dataFolder_).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder < 0) {
    problem_ = QString::fromLocal8Bit(std::strerror(errno));
    return Claim::Unguarded;
  }
  struct stat identity {};
  fstat(folder, &identity);
  const int fd = openat(folder, kLockName, O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  const int openError = errno;
  const bool writable = faccessat(folder, ".", W_OK, AT_EACCESS) == 0;
  close(folder);

  if (IsPrivateFolder(runtimeDir_)) {
    const QByteArray key = QByteArray::number(static_cast<qulonglong>(identity.st_dev)) + ':' +
                           QByteArray::number(static_cast<qulonglong>(identity.st_ino));
    const QByteArray hash = QCryptographicHash::hash(key, QCryptographicHash::Sha256).toHex();
    socketPath_ =
        QDir(runtimeDir_)
            .filePath(QStringLiteral("quidora-%1.sock").arg(QString::fromLatin1(hash.left(24))));
  }

  if (fd < 0) {
    problem_ = QString::fromLocal8Bit(std::strerror(openError));
    // A folder this user cannot write into cannot have its store written either.
    return writable ? Claim::Failed : Claim::Unguarded;
  }
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int error = errno;
    close(fd);
    if (error != EWOULDBLOCK) {
      problem_ = QString::fromLocal8Bit(std::strerror(error));
      return Claim::Failed;
    }
    // Reached or not, the first copy holds the data: this one stays out.
    return AskFirstToRaise() ? Claim::Second : Claim::Unreached;
  }
  lockFd_ = fd;
  Listen();
  return Claim::First;
}

void SingleInstance::Listen() {
  if (socketPath_.isEmpty()) return;
  // Whatever socket is there was left by a copy that died: we hold the lock now.
  QFile::remove(socketPath_);
  server_ = new QLocalServer(this);
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  connect(server_, &QLocalServer::newConnection, this, &SingleInstance::OnNewConnection);
  server_->listen(socketPath_);
}

bool SingleInstance::AskFirstToRaise() const {
  if (socketPath_.isEmpty()) return false;
  // The first copy takes its lock a moment before it listens: keep trying for a while.
  QElapsedTimer patience;
  patience.start();
  while (patience.elapsed() < kConnectPatienceMs) {
    QLocalSocket socket;
    socket.connectToServer(socketPath_);
    if (socket.waitForConnected(500)) {
      if (!PeerIsThisUser(socket.socketDescriptor())) {
        socket.abort();
        return false;
      }
      socket.write(kRaiseMessage);
      const bool sent = socket.waitForBytesWritten(1000);
      socket.disconnectFromServer();
      if (socket.state() != QLocalSocket::UnconnectedState) socket.waitForDisconnected(500);
      return sent;
    }
    QThread::msleep(50);
  }
  return false;
}

void SingleInstance::OnNewConnection() {
  while (QLocalSocket* socket = server_->nextPendingConnection()) {
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    if (!PeerIsThisUser(socket->socketDescriptor())) {
      socket->abort();
      continue;
    }
    auto readRequest = [this, socket] {
      if (socket->property("answered").toBool()) return;
      if (socket->bytesAvailable() < static_cast<qint64>(sizeof kRaiseMessage - 1)) return;
      socket->setProperty("answered", true);
      if (socket->read(sizeof kRaiseMessage - 1) == QByteArray(kRaiseMessage)) {
        emit RaiseRequested();
      }
      socket->disconnectFromServer();
    };
    connect(socket, &QLocalSocket::readyRead, this, readRequest);
    readRequest();
  }
}

}  // namespace quidora::ui
