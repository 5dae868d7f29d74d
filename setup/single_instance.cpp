#include "setup/single_instance.h"

#include <QDir>
#include <QElapsedTimer>
#include <QLocalSocket>
#include <QThread>

#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/locations.h"

namespace quidora::setup {
namespace {

constexpr QByteArrayView kRaiseRequest = "raise\n";

// A real folder owned by this user that nobody else may change: nobody else can plant a lock or
// a socket in it. `closed` also asks that nobody else may enter it.
bool IsOwnFolder(const QString& folder, bool closed, QString* why = nullptr) {
  struct stat info {};
  const auto fail = [&](const QString& reason) {
    if (why != nullptr) *why = folder + QStringLiteral(": ") + reason;
    return false;
  };
  if (lstat(QFile::encodeName(folder).constData(), &info) != 0) {
    return fail(QString::fromLocal8Bit(std::strerror(errno)));
  }
  if (!S_ISDIR(info.st_mode)) return fail(QStringLiteral("not a folder"));
  if (info.st_uid != getuid()) return fail(QStringLiteral("belongs to another user"));
  if ((info.st_mode & (closed ? 077 : 022)) != 0) {
    return fail(QStringLiteral("other users may change it"));
  }
  return true;
}

// $XDG_RUNTIME_DIR when it is a private folder of this user (it is never made here); otherwise
// the launcher's own data folder in the user's home, which no other user can make first.
QString PrivateRuntimeFolder(const QString& fallback, QString& why) {
  const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
  if (QDir::isAbsolutePath(runtime) && IsOwnFolder(runtime, true)) return runtime;
  if (!QDir::isAbsolutePath(fallback)) {
    why = QStringLiteral("$XDG_RUNTIME_DIR is not a private folder of yours, and the launcher's "
                         "data folder is not an absolute path (is HOME set?)");
    return {};
  }
  if (!platform::MakePrivateFolders(QFile::encodeName(fallback).toStdString())) {
    why = fallback + QStringLiteral(": cannot make the folder");
    return {};
  }
  return IsOwnFolder(fallback, false, &why) ? fallback : QString();
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

SingleInstance::SingleInstance(std::string_view title, QString runtimeFolder,
                               QString fallbackFolder, QObject* parent)
    : QObject(parent),
      key_(KeyFromTitle(title)),
      folder_(std::move(runtimeFolder)),
      fallback_(std::move(fallbackFolder)) {
  connect(&server_, &QLocalServer::newConnection, this, &SingleInstance::Accept);
}

SingleInstance::~SingleInstance() {
  server_.close();
}

SingleInstance::Claim SingleInstance::ClaimOrRaise() {
  if (folder_.isEmpty()) {
    folder_ = PrivateRuntimeFolder(fallback_, problem_);
    if (folder_.isEmpty()) return Claim::Failed;
  } else if (!IsOwnFolder(folder_, true, &problem_)) {
    return Claim::Failed;
  }
  const QString socketPath = folder_ + QLatin1Char('/') + key_ + QStringLiteral(".socket");

  lock_ = std::make_unique<QLockFile>(folder_ + QLatin1Char('/') + key_ + QStringLiteral(".lock"));
  lock_->setStaleLockTime(0);  // stale only when its process is gone
  if (lock_->tryLock(0)) {
    QLocalServer::removeServer(socketPath);
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    if (server_.listen(socketPath)) return Claim::First;
    problem_ = socketPath + QStringLiteral(": ") + server_.errorString();
    return Claim::Failed;
  }
  if (lock_->error() != QLockFile::LockFailedError) {
    problem_ = lock_->error() == QLockFile::PermissionError
                   ? folder_ + QStringLiteral(": the lock file cannot be made here")
                   : folder_ + QStringLiteral(": the lock file cannot be used");
    return Claim::Failed;
  }

  // The running launcher may still be setting up its socket: give it a moment.
  QElapsedTimer waited;
  waited.start();
  while (waited.elapsed() < 2000) {
    QLocalSocket socket;
    socket.connectToServer(socketPath);
    if (socket.waitForConnected(200)) {
      if (!PeerIsThisUser(socket)) {
        problem_ = socketPath + QStringLiteral(": answered by another user");
        return Claim::Failed;
      }
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
