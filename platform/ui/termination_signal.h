// Turns SIGTERM, SIGINT and SIGHUP into a Qt signal delivered from the event loop, so that they
// run the close request (and the data is tidied) instead of killing the program outright. The
// handler only writes a byte to a socket pair; the notifier does the rest. One instance at a
// time.
#pragma once

#include <QObject>

class QSocketNotifier;

namespace quidora::ui {

class TerminationSignal : public QObject {
  Q_OBJECT

 public:
  explicit TerminationSignal(QObject* parent = nullptr);
  ~TerminationSignal() override;

  bool IsInstalled() const { return notifier_ != nullptr; }

 signals:
  void Received(int signalNumber);

 private:
  void Drain();
  QSocketNotifier* notifier_ = nullptr;
};

}  // namespace quidora::ui
