#include "shell/start_up.h"

#include <QTimer>
#include <iostream>

#include "platform/backup_listing.h"
#include "platform/backup_snapshot.h"
#include "platform/clock.h"
#include "platform/leftovers.h"
#include "platform/registry.h"
#include "platform/ui/device_screen.h"
#include "platform/ui/qt_message_service.h"
#include "platform/ui/single_instance.h"
#include "platform/ui/termination_signal.h"
#include "platform/ui/text.h"
#include "platform/ui/wait_cursor.h"
#include "quidora_version.h"
#include "resources/strings/string_table.h"
#include "shell/main_window.h"
#include "program/program.h"
#include "shell/user_notice.h"
#include "shell/volume_watch.h"
#include "store/databases.h"
#include "store/installed_version.h"
#include "store/loading.h"
#include "store/settings.h"

namespace quidora {

namespace {

std::string UnreadableStoreText(platform::StoreError error) {
  switch (error) {
    case platform::StoreError::Corrupt:
      return "the store is damaged (a page of it cannot be read)";
    case platform::StoreError::Io:
      return "the store cannot be read (input/output error)";
    case platform::StoreError::Full:
      return "the store cannot be read (the disk is full)";
    default:
      return "a database of the store cannot be read (the file may be damaged)";
  }
}

}  // namespace

Session::Session() = default;

Session::~Session() {
  // A check still running is stopped before anything it would report to goes.
  watch_.reset();
  // The screen owns the account view, whose list reads the program's money list and settings:
  // the screen goes first, then the window that ran it, then the program.
  termination_.reset();
  if (screen_ != nullptr) screen_->SetCloseHandler({});
  screen_.reset();
  window_.reset();
  program_.reset();
}

std::unique_ptr<Session> InitProgram(const StartOptions& options, StartOutcome* outcome) {
  StartOutcome ignored = StartOutcome::Failed;
  StartOutcome& result = outcome != nullptr ? *outcome : ignored;
  result = StartOutcome::Failed;
  std::ostream& errors = options.errors != nullptr ? *options.errors : std::cerr;
  const platform::DeviceLocations& locations = options.locations;

  // The start strings are compiled in; the window's title and the registry's key words.
  const std::u16string_view title = LoadString(StringId::Title);
  const std::u16string_view maker = LoadString(StringId::Maker);

  std::unique_ptr<Session> session(new Session);
  if (options.messages != nullptr) {
    session->messages_ = options.messages;
  } else {
    session->ownMessages_ = std::make_unique<ui::QtMessageService>();
    session->messages_ = session->ownMessages_.get();
  }
  MessageService& messages = *session->messages_;

  // SQLite cannot work in a folder whose path is too long; saying so before anything is made
  // leaves no half-made device behind.
  if (!platform::DataFolderFits(locations.dataFolder)) {
    TellUser(messages, errors, StringId::DataFolderTooLong, locations.dataFolder);
    return nullptr;
  }

  // One copy per data folder, whatever path names it: the lock lives in the folder itself. A
  // running copy comes to the front instead; this one ends before it reads the settings or
  // opens the databases.
  platform::MakePrivateFolders(locations.dataFolder);
  bool folderHeld = false;
  session->instance_ = std::make_unique<ui::SingleInstance>(
      QString::fromStdString(locations.dataFolder.string()), options.runtimeDir);
  switch (session->instance_->ClaimInstance()) {
    case ui::SingleInstance::Claim::First:
      // No other copy can be writing now: what a killed run was writing is of no use.
      platform::RemoveLeftoverFiles(locations);
      platform::RemoveBackupLeftovers(locations.dataFolder);
      folderHeld = true;
      break;
    case ui::SingleInstance::Claim::Second:
      result = StartOutcome::SecondCopy;
      return nullptr;
    case ui::SingleInstance::Claim::Unreached:
      TellUser(messages, errors, StringId::AnotherCopyUsesData, locations.dataFolder);
      result = StartOutcome::SecondCopy;
      return nullptr;
    case ui::SingleInstance::Claim::Failed:
      TellUser(messages, errors, StringId::DataFolderCannotBeLocked,
               session->instance_->LockPath().toStdString(),
               session->instance_->Problem().toStdString());
      return nullptr;
    case ui::SingleInstance::Claim::Unguarded:
      // Nothing can be written in that folder: opening the store tells what is wrong.
      break;
  }

  const platform::Clock* clock = options.clock;
  if (clock == nullptr) {
    session->ownClock_ = std::make_unique<platform::SystemClock>();
    clock = session->ownClock_.get();
  }

  platform::PrepareDevice(locations);
  session->registry_ =
      std::make_unique<platform::Registry>(platform::Registry::Load(locations.registry));
  if (!session->registry_->LoadedCleanly()) {
    NoteOnErrors(errors, locations.registry.string() + ": " + session->registry_->LoadProblem() +
                             "; the settings start from their defaults");
  }
  session->store_ = std::make_unique<Databases>(locations.objectStore, *clock);
  session->screen_ = std::make_unique<ui::DeviceScreen>(
      options.screenSize.isEmpty() ? ui::DeviceScreen::ScreenSizeFromEnvironment()
                                   : options.screenSize);
  ui::DeviceScreen& screen = *session->screen_;
  // From here on a box may open. The close request (and SIGTERM as one) must already be
  // handled: a request that comes while a start-up box is open answers the box, and the exit
  // sequence runs once the main window is up, so the run's settings are still written.
  if (session->ownMessages_ != nullptr) session->ownMessages_->SetScreen(&screen);
  if (options.handleTerminationSignals) {
    session->termination_ = std::make_unique<ui::TerminationSignal>();
    QObject::connect(session->termination_.get(), &ui::TerminationSignal::Received, &screen,
                     [&screen](int) { screen.RequestClose(); });
  }
  session->program_ = std::make_unique<Program>(
      ProgramServices{*session->store_, *session->registry_, messages, *clock, screen});
  Program& program = *session->program_;
  program.locations = options.locations;
  program.errors = &errors;

  ReadSettings(*session->registry_, program.settings, maker, title);
  TakeVersionWhereMissing(*session->registry_, program.settings, kVersionMajor, kVersionMinor);
  program.sortColumn = program.settings.sort;
  program.sortOrder = program.settings.sortOrder;

  {
    ui::WaitCursor wait(messages);
    // Opening an older volume upgrades it, rewriting much of it: a backup comes first. The
    // upgrade is stored whole or not at all, so it still runs when no backup could be made.
    if (folderHeld) {
      if (const auto before = platform::BackUpBeforeUpgrade(locations.dataFolder, *clock);
          before && before->outcome != platform::BackupResult::Outcome::Made) {
        NoteOnErrors(errors, "no backup was made before the upgrade: " + before->reason);
      }
    }
    if (!OpenDatabases(program.store, program.categories, program.accounts, program.currentAccount,
                       program.settings, messages)) {
      // The volume opened but a database of it could not be read: the box alone would leave
      // the user with no file and no reason.
      if (program.store.VolumeIsOpen()) {
        NoteOnErrors(errors, program.store.VolumeFile().string() + ": " +
                                 UnreadableStoreText(program.store.Volume().LastError()) +
                                 "; nothing was written to it");
      }
      messages.Show(LoadString(StringId::CannotContinue), MessageIcon::Stop);
      return nullptr;
    }
  }

  session->window_ = std::make_unique<MainWindow>(program);
  if (!session->window_->Create()) return nullptr;

  QObject::connect(session->instance_.get(), &ui::SingleInstance::RaiseRequested, &screen,
                   &ui::DeviceScreen::BringToFront);
  screen.setWindowTitle(ui::ToQString(title));
  screen.show();
  screen.BringToFront();
  // The whole-file check waits for the first paint and then runs beside the program: the
  // start and every command go on without it.
  session->watch_ = std::make_unique<VolumeWatch>(program);
  QTimer::singleShot(0, session->watch_.get(), [watch = session->watch_.get()] {
    watch->StartIfDue();
  });
  result = StartOutcome::Running;
  return session;
}

}  // namespace quidora
