// One running copy per data location. The first copy holds a lock file and listens on a local
// socket in the user's runtime folder ($XDG_RUNTIME_DIR), both named by a hash of the data
// location; a second copy finds the lock taken, asks the first through the socket to come to the
// front, and ends. Both ends check that the peer runs as the same user, so another user cannot
// squat the name or send requests.
#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

namespace quidora::ui {

class SingleInstance : public QObject {
  Q_OBJECT

 public:
  enum class Claim {
    First,     // this copy runs; RaiseRequested arrives when another copy starts
    Second,    // another copy runs and was asked to come to the front: end with 0
    Unguarded  // no runtime folder or lock could be had: run without the guard
  };

  // `runtimeDir` empty means QStandardPaths' runtime location.
  explicit SingleInstance(const QString& dataLocation, const QString& runtimeDir = {},
                          QObject* parent = nullptr);
  ~SingleInstance() override;

  Claim ClaimInstance();

  QString LockPath() const;
  QString SocketPath() const;

 signals:
  void RaiseRequested();

 private:
  bool AskFirstToRaise() const;
  void OnNewConnection();

  QString runtimeDir_;
  QString key_;
  int lockFd_ = -1;
  QLocalServer* server_ = nullptr;
};

}  // namespace quidora::ui
