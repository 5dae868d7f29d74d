// Start-up of the device program: one running copy per device, the settings, the databases and
// the main window, in that order. A Session owns everything one run of the program needs; the
// exit sequence runs on its screen's close request.
#pragma once

#include <QSize>
#include <QString>
#include <iosfwd>
#include <memory>

#include "platform/locations.h"

namespace quidora {

class Databases;
class MainWindow;
class MessageService;
class Program;

namespace platform {
class Clock;
class Registry;
}  // namespace platform

namespace ui {
class DeviceScreen;
class QtMessageService;
class SingleInstance;
class TerminationSignal;
}  // namespace ui

class VolumeWatch;

struct StartOptions {
  platform::DeviceLocations locations;
  // Empty: QUIDORA_SCREEN, else 240 by 320.
  QSize screenSize;
  // nullptr: message boxes on the device screen.
  MessageService* messages = nullptr;
  // nullptr: the computer's clock.
  const platform::Clock* clock = nullptr;
  // Where the socket that brings the running copy forward lives; empty: $XDG_RUNTIME_DIR.
  QString runtimeDir;
  // Where problems are also written; nullptr: standard error.
  std::ostream* errors = nullptr;
  // SIGTERM, SIGINT and SIGHUP run the close request.
  bool handleTerminationSignals = true;
};

enum class StartOutcome {
  Running,     // the main window is up
  SecondCopy,  // another copy runs on this data folder (brought to the front, or the user told)
  Failed,      // the data folder, the databases or the window could not be had; nothing written
};

class Session {
 public:
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  Program& GetProgram() const { return *program_; }
  MainWindow& Window() const { return *window_; }
  ui::DeviceScreen& Screen() const { return *screen_; }
  // The message service in use (the one given in the options, or the screen's boxes).
  MessageService& Messages() const { return *messages_; }
  platform::Registry& Registry() const { return *registry_; }
  Databases& Store() const { return *store_; }
  // The store's whole-file check in the background.
  VolumeWatch& Watch() const { return *watch_; }

 private:
  friend std::unique_ptr<Session> InitProgram(const StartOptions& options, StartOutcome* outcome);
  Session();

  std::unique_ptr<platform::Clock> ownClock_;
  std::unique_ptr<ui::SingleInstance> instance_;
  std::unique_ptr<platform::Registry> registry_;
  std::unique_ptr<ui::QtMessageService> ownMessages_;
  MessageService* messages_ = nullptr;
  std::unique_ptr<Databases> store_;
  std::unique_ptr<ui::DeviceScreen> screen_;
  std::unique_ptr<Program> program_;
  std::unique_ptr<MainWindow> window_;
  std::unique_ptr<ui::TerminationSignal> termination_;
  std::unique_ptr<VolumeWatch> watch_;
};

// Starts one run. nullptr unless the main window is up; `outcome` (optional) says why. A second
// copy touches neither the registry nor the databases; a failed start writes nothing.
std::unique_ptr<Session> InitProgram(const StartOptions& options, StartOutcome* outcome = nullptr);

}  // namespace quidora
