// One launcher at a time, keyed by its title. The first one holds a lock and listens on a local
// socket in the user's private runtime folder ($XDG_RUNTIME_DIR, never made here) or, without
// one, in the launcher's data folder in the user's home, which no other user can make first; a
// second one asks it through the socket to come forward and ends. Both ends check that the
// other side belongs to the same user.
#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>
#include <memory>
#include <string_view>

namespace quidora::setup {

class SingleInstance : public QObject {
  Q_OBJECT

 public:
  enum class Claim { First, AnotherRunning, Failed };

  // `runtimeFolder` empty: $XDG_RUNTIME_DIR when it is a private folder of this user, otherwise
  // `fallbackFolder` (made 0700 when missing; it must be this user's and closed to others'
  // writes).
  explicit SingleInstance(std::string_view title, QString runtimeFolder = {},
                          QString fallbackFolder = {}, QObject* parent = nullptr);
  ~SingleInstance() override;

  // First: this is the running launcher and will hear RaiseRequested. AnotherRunning: the
  // running one was asked to come forward. Failed: no private place for the lock and socket;
  // Problem() says what is wrong.
  Claim ClaimOrRaise();
  const QString& Problem() const { return problem_; }

 signals:
  void RaiseRequested();

 private:
  void Accept();

  QString key_;
  QString folder_;
  QString fallback_;
  QString problem_;
  std::unique_ptr<QLockFile> lock_;
  QLocalServer server_;
};

}  // namespace quidora::setup
