#include "setup/single_instance.h"

#include <QDir>
#include <QElapsedTimer>
#include <QLocalSocket>
#include <QThread>

#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quidora::setup {
namespace {

constexpr QByteArrayView kRaiseRequest = "raise\n";

// A folder that only this user can enter: owned by us, a real folder, no access for others.
bool IsPrivateFolder(const QString& folder) {
  struct stat info {};
  if (lstat(QFile::encodeName(folder).constData(), &info) != 0) return false;
  return S_ISDIR(info.st_mode) && info.st_uid == getuid() && (info.st_mode & 077) == 0;
}

QString PrivateRuntimeFolder() {
  const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
  if (!runtime.isEmpty() && QDir::isAbsolutePath(runtime) && IsPrivateFolder(runtime)) {
    return runtime;
  }
  const QString fallback = QDir::tempPath() + QStringLiteral("/quidsetup-runtime-%1").arg(getuid());
  mkdir(QFile::encodeName(fallback).constData(), 0700);
  return IsPrivateFolder(fallback) ? fallback : QString();
}

bool PeerIsThisUser(const QLocalSocket& socket) {
  ucred peer{};
  socklen_t length = sizeof peer;
  if (getsockopt(static_cast<int>(socket.socketDescriptor()), SOL_SOCKET, SO_PEERCRED, &peer,
                 &length) != 0) {
    return false;
  }
  return peer.uid == getuid();
}

QString KeyFromTitle(std::string_view title) {
  QString key = QStringLiteral("quidsetup-");
  for (QChar c : QString::fromUtf8(title.data(), static_cast<qsizetype>(title.size()))) {
    key += c.isLetterOrNumber() && c.unicode() < 0x80 ? c : QChar('-');
  }
  return key;
}

}  // namespace

SingleInstance::SingleInstance(std::string_view title, QString runtimeFolder, QObject* parent)
    : QObject(parent), key_(KeyFromTitle(title)), folder_(std::move(runtimeFolder)) {
  connect(&server_, &QLocalServer::newConnection, this, &SingleInstance::Accept);
}

SingleInstance::~SingleInstance() {
  server_.close();
}

SingleInstance::Claim SingleInstance::ClaimOrRaise() {
  if (folder_.isEmpty()) folder_ = PrivateRuntimeFolder();
  if (folder_.isEmpty() || !IsPrivateFolder(folder_)) return Claim::Failed;
  const QString socketPath = folder_ + QLatin1Char('/') + key_ + QStringLiteral(".socket");

  lock_ = std::make_unique<QLockFile>(folder_ + QLatin1Char('/') + key_ + QStringLiteral(".lock"));
  lock_->setStaleLockTime(0);  // stale only when its process is gone
  if (lock_->tryLock(0)) {
    QLocalServer::removeServer(socketPath);
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    return server_.listen(socketPath) ? Claim::First : Claim::Failed;
  }
  if (lock_->error() != QLockFile::LockFailedError) return Claim::Failed;

  // The running launcher may still be setting up its socket: give it a moment.
  QElapsedTimer waited;
  waited.start();
  while (waited.elapsed() < 2000) {
    QLocalSocket socket;
    socket.connectToServer(socketPath);
    if (socket.waitForConnected(200)) {
      if (!PeerIsThisUser(socket)) return Claim::Failed;
      socket.write(kRaiseRequest.data(), kRaiseRequest.size());
      socket.waitForBytesWritten(1000);
      socket.disconnectFromServer();
      return Claim::AnotherRunning;
    }
    QThread::msleep(50);
  }
  // Someone holds the lock and does not answer: still not a reason to run twice.
  return Claim::AnotherRunning;
}

void SingleInstance::Accept() {
  while (QLocalSocket* socket = server_.nextPendingConnection()) {
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    if (!PeerIsThisUser(*socket)) {
      socket->abort();
      continue;
    }
    auto serve = [this, socket] {
      if (!socket->canReadLine()) return;
      if (socket->readLine() == kRaiseRequest.toByteArray()) emit RaiseRequested();
      socket->disconnectFromServer();
    };
    connect(socket, &QLocalSocket::readyRead, this, serve);
    serve();  // the request may have arrived with the connection
  }
}

}  // namespace quidora::setup
