// The store's whole-file check in the background. After a clean end the start skips that check
// to stay quick, so a page damaged while the program was stopped would go unnoticed until a read
// touched it, and the exit would write over the store again. Once a day, or after 100 starts,
// the check runs on a thread of its own after the window is up; damage it finds is told at once,
// naming the file, and from then on nothing is written to the store.
#pragma once

#include <QObject>
#include <atomic>
#include <cstdint>
#include <thread>

#include "core/date.h"

namespace quidora {

class Program;
struct Settings;

// Days since 1970-01-01 of `time`'s date.
std::uint32_t DayNumber(const SystemTime& time);

// Counts this start and says whether the check is due: never run, a day old or more (or dated
// after `today`, a clock set back), or 100 starts ago.
bool CountStartAndSayIfCheckDue(Settings& settings, std::uint32_t today);

class VolumeWatch : public QObject {
  Q_OBJECT

 public:
  explicit VolumeWatch(Program& program);
  // Stops a check still running and waits for its thread.
  ~VolumeWatch() override;
  VolumeWatch(const VolumeWatch&) = delete;
  VolumeWatch& operator=(const VolumeWatch&) = delete;

  // Starts the check when it is due; returns at once.
  void StartIfDue();
  bool Started() const { return started_; }
  // The verdict has reached the program (on this object's thread).
  bool Finished() const { return finished_; }

 private:
  void Take(int outcome, const std::string& detail);

  Program& program_;
  std::uint32_t today_ = 0;
  std::atomic<bool> stop_{false};
  std::thread worker_;
  bool started_ = false;
  bool finished_ = false;
};

}  // namespace quidora
