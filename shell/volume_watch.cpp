#include "shell/volume_watch.h"

#include <QMetaObject>
#include <filesystem>
#include <string>

#include "platform/volume_scan.h"
#include "program/program.h"
#include "shell/user_notice.h"
#include "store/databases.h"
#include "store/settings.h"

namespace quidora {

namespace {
constexpr std::uint32_t kStartsBetweenChecks = 100;
}  // namespace

std::uint32_t DayNumber(const SystemTime& time) {
  // The days-from-civil count of the proleptic Gregorian calendar, with March as the first
  // month so that the leap day ends the year.
  const int month = time.month;
  const int year = static_cast<int>(time.year) - (month <= 2 ? 1 : 0);
  const int era = year / 400;
  const int yearOfEra = year - era * 400;
  const int dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + time.day - 1;
  const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  const long days = static_cast<long>(era) * 146097 + dayOfEra - 719468;
  return days > 0 ? static_cast<std::uint32_t>(days) : 0;
}

bool CountStartAndSayIfCheckDue(Settings& settings, std::uint32_t today) {
  if (settings.startsSinceVolumeCheck < kStartsBetweenChecks) ++settings.startsSinceVolumeCheck;
  return settings.volumeCheckDay == 0 || today == 0 || today >= settings.volumeCheckDay + 1 ||
         today < settings.volumeCheckDay ||
         settings.startsSinceVolumeCheck >= kStartsBetweenChecks;
}

VolumeWatch::VolumeWatch(Program& program) : program_(program) {}

VolumeWatch::~VolumeWatch() {
  stop_ = true;
  if (worker_.joinable()) worker_.join();
}

void VolumeWatch::StartIfDue() {
  if (started_ || !program_.store.VolumeIsOpen() || program_.store.ReadOnly()) return;
  today_ = DayNumber(program_.clock.NowUtc());
  if (!CountStartAndSayIfCheckDue(program_.settings, today_)) return;
  started_ = true;
  const std::filesystem::path file = program_.store.VolumeFile();
  worker_ = std::thread([this, file] {
    const platform::VolumeScan scan = platform::ScanVolume(file, stop_);
    // The verdict goes to the program's thread: nothing here touches its state. The call is
    // dropped when this object is gone first (its destructor waits for this thread, so `this`
    // is still alive to be named as the receiver).
    QMetaObject::invokeMethod(
        this,
        [this, outcome = static_cast<int>(scan.outcome), detail = scan.detail] {
          Take(outcome, detail);
        },
        Qt::QueuedConnection);
  });
}

void VolumeWatch::Take(int outcome, const std::string& detail) {
  finished_ = true;
  switch (static_cast<platform::VolumeScan::Outcome>(outcome)) {
    case platform::VolumeScan::Outcome::Sound:
      program_.settings.volumeCheckDay = today_;
      program_.settings.startsSinceVolumeCheck = 0;
      break;
    case platform::VolumeScan::Outcome::Damaged:
      if (program_.store.VolumeIsOpen()) program_.store.Volume().RefuseWrites();
      NoteOnErrors(*program_.errors,
                   program_.store.VolumeFile().string() + ": the whole-file check found: " + detail);
      TellUser(program_.messages, *program_.errors, StringId::StoreFoundDamaged,
               program_.store.VolumeFile());
      break;
    case platform::VolumeScan::Outcome::NotChecked:
      // No verdict: the next start tries again.
      if (!detail.empty()) {
        NoteOnErrors(*program_.errors, program_.store.VolumeFile().string() +
                                           ": the whole-file check did not run: " + detail);
      }
      break;
  }
}

}  // namespace quidora
