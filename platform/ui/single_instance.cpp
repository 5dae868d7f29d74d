#include "platform/ui/single_instance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

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

// A folder others could write into would let them plant the socket or the lock.
bool IsPrivateFolder(const QString& path) {
  struct stat info {};
  if (lstat(QFile::encodeName(path).constData(), &info) != 0) return false;
  return S_ISDIR(info.st_mode) && info.st_uid == getuid() && (info.st_mode & 022) == 0;
}

}  // namespace

SingleInstance::SingleInstance(const QString& dataLocation, const QString& runtimeDir,
                               QObject* parent)
    : QObject(parent),
      runtimeDir_(runtimeDir.isEmpty()
                      ? QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation)
                      : runtimeDir) {
  const QString location = QDir::cleanPath(QFileInfo(dataLocation).absoluteFilePath());
  key_ = QString::fromLatin1(
      QCryptographicHash::hash(location.toUtf8(), QCryptographicHash::Sha256).toHex().left(24));
}

SingleInstance::~SingleInstance() {
  if (server_ != nullptr) server_->close();
  // The lock file stays: removing it would let a third copy lock a new file while a second
  // still waits on the old one.
  if (lockFd_ >= 0) close(lockFd_);
}

QString SingleInstance::LockPath() const {
  return QDir(runtimeDir_).filePath(QStringLiteral("quidora-%1.lock").arg(key_));
}

QString SingleInstance::SocketPath() const {
  return QDir(runtimeDir_).filePath(QStringLiteral("quidora-%1.sock").arg(key_));
}

SingleInstance::Claim SingleInstance::ClaimInstance() {
  if (lockFd_ >= 0) return Claim::First;
  if (runtimeDir_.isEmpty() || !IsPrivateFolder(runtimeDir_)) return Claim::Unguarded;

  const int fd = open(QFile::encodeName(LockPath()).constData(),
                      O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) return Claim::Unguarded;
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const bool held = errno == EWOULDBLOCK;
    close(fd);
    if (!held) return Claim::Unguarded;
    AskFirstToRaise();
    // Even when the first copy cannot be reached, it holds the data: this copy stays out.
    return Claim::Second;
  }
  lockFd_ = fd;

  // Whatever socket is there was left by a copy that died: we hold the lock now.
  QFile::remove(SocketPath());
  server_ = new QLocalServer(this);
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  connect(server_, &QLocalServer::newConnection, this, &SingleInstance::OnNewConnection);
  server_->listen(SocketPath());
  return Claim::First;
}

bool SingleInstance::AskFirstToRaise() const {
  // The first copy takes its lock a moment before it listens: keep trying for a while.
  QElapsedTimer patience;
  patience.start();
  while (patience.elapsed() < kConnectPatienceMs) {
    QLocalSocket socket;
    socket.connectToServer(SocketPath());
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
