// The "IDW_CASH_ADDED" sound played after a new money record is stored: a short wave bundled
// with the program, played asynchronously. Silent where there is no audio output (or the
// program was built without Qt Multimedia); every request is counted either way.
#pragma once

#include <QObject>
#include <memory>

namespace quidora::ui {

class CashSound : public QObject {
  Q_OBJECT

 public:
  explicit CashSound(QObject* parent = nullptr);
  ~CashSound() override;

  void Play();

  int PlayRequests() const { return requests_; }
  // Whether sound actually reaches a device on this machine.
  bool IsAudible() const;

  // The bundled wave data (a RIFF/WAVE file).
  static QByteArray WaveData();

 private:
  struct Player;
  std::unique_ptr<Player> player_;
  int requests_ = 0;
};

}  // namespace quidora::ui
