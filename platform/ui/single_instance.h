// One running copy per data folder, whatever path leads to it.
//
// The first copy holds an exclusive lock on a file in the data folder itself for as long as it
// runs: a symbolic link, another spelling of the path or another runtime folder all end at the
// same file, so two copies can never share the store. To be brought to the front it also
// listens on a local socket in the user's private runtime folder ($XDG_RUNTIME_DIR), named
// after the folder's identity on disk (device and inode), not its path. A second copy finds the
// lock taken, asks the first through the socket to come to the front, and ends; when it cannot
// reach the first (no private runtime folder, or the first does not answer) it still ends. Both
// ends check that the peer runs as the same user, so another user can neither answer for the
// first copy nor send it requests. A runtime folder that does not exist is never created.
#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

namespace quidora::ui {

class SingleInstance : public QObject {
  Q_OBJECT

 public:
  enum class Claim {
    First,      // this copy holds the lock; RaiseRequested arrives when another copy starts
    Second,     // another copy holds it and was asked to come to the front: end with 0
    Unreached,  // another copy holds it but could not be asked: say so and end
    Unguarded,  // no lock file can be made in the data folder (it is not writable): run anyway
    Failed,     // the lock file cannot be used for another reason: do not open the store
  };

  // `dataFolder` must exist before ClaimInstance(). `runtimeDir` empty means $XDG_RUNTIME_DIR.
  explicit SingleInstance(const QString& dataFolder, const QString& runtimeDir = {},
                          QObject* parent = nullptr);
  ~SingleInstance() override;

  Claim ClaimInstance();

  // Why the claim was Unguarded or Failed, in plain words.
  QString Problem() const { return problem_; }
  QString LockPath() const;
  // Empty until ClaimInstance() has found the folder, and when there is no private runtime
  // folder.
  QString SocketPath() const { return socketPath_; }

  // The name of the lock file in the data folder.
  static constexpr char kLockName[] = "quidora.lock";

 signals:
  void RaiseRequested();

 private:
  bool AskFirstToRaise() const;
  void Listen();
  void OnNewConnection();

  QString dataFolder_;
  QString runtimeDir_;
  QString socketPath_;
  QString problem_;
  int lockFd_ = -1;
  QLocalServer* server_ = nullptr;
};

}  // namespace quidora::ui
