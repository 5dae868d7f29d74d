#include "shell/start_up.h"

#include "platform/clock.h"
#include "platform/registry.h"
#include "platform/ui/device_screen.h"
#include "platform/ui/qt_message_service.h"
#include "platform/ui/single_instance.h"
#include "platform/ui/termination_signal.h"
#include "platform/ui/text.h"
#include "platform/ui/wait_cursor.h"
#include "resources/strings/string_table.h"
#include "shell/main_window.h"
#include "shell/program.h"
#include "store/databases.h"
#include "store/loading.h"
#include "store/settings.h"

namespace quidora {

Session::Session() = default;

Session::~Session() {
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

  // The start strings are compiled in; the window's title and the registry's key words.
  const std::u16string_view title = LoadString(StringId::Title);
  const std::u16string_view maker = LoadString(StringId::Maker);

  std::unique_ptr<Session> session(new Session);

  // A running copy for this device comes to the front instead; this one ends before it reads
  // the settings or opens the databases.
  session->instance_ = std::make_unique<ui::SingleInstance>(
      QString::fromStdString(options.locations.dataFolder.string()), options.runtimeDir);
  if (session->instance_->ClaimInstance() == ui::SingleInstance::Claim::Second) {
    result = StartOutcome::SecondCopy;
    return nullptr;
  }

  const platform::Clock* clock = options.clock;
  if (clock == nullptr) {
    session->ownClock_ = std::make_unique<platform::SystemClock>();
    clock = session->ownClock_.get();
  }
  if (options.messages != nullptr) {
    session->messages_ = options.messages;
  } else {
    session->ownMessages_ = std::make_unique<ui::QtMessageService>();
    session->messages_ = session->ownMessages_.get();
  }
  MessageService& messages = *session->messages_;

  platform::PrepareDevice(options.locations);
  session->registry_ =
      std::make_unique<platform::Registry>(platform::Registry::Load(options.locations.registry));
  session->store_ = std::make_unique<Databases>(options.locations.objectStore, *clock);
  session->screen_ = std::make_unique<ui::DeviceScreen>(
      options.screenSize.isEmpty() ? ui::DeviceScreen::ScreenSizeFromEnvironment()
                                   : options.screenSize);
  session->program_ = std::make_unique<Program>(
      ProgramServices{*session->store_, *session->registry_, messages, *clock, *session->screen_});
  Program& program = *session->program_;
  program.locations = options.locations;

  ReadSettings(*session->registry_, program.settings, maker, title);
  program.sortColumn = program.settings.sort;
  program.sortOrder = program.settings.sortOrder;

  {
    ui::WaitCursor wait(messages);
    if (!OpenDatabases(program.store, program.categories, program.accounts, program.currentAccount,
                       program.settings, messages)) {
      messages.Show(LoadString(StringId::CannotContinue), MessageIcon::Stop);
      return nullptr;
    }
  }

  session->window_ = std::make_unique<MainWindow>(program);
  if (!session->window_->Create()) return nullptr;

  ui::DeviceScreen& screen = *session->screen_;
  if (session->ownMessages_ != nullptr) session->ownMessages_->SetScreen(&screen);
  QObject::connect(session->instance_.get(), &ui::SingleInstance::RaiseRequested, &screen,
                   &ui::DeviceScreen::BringToFront);
  if (options.handleTerminationSignals) {
    session->termination_ = std::make_unique<ui::TerminationSignal>();
    QObject::connect(session->termination_.get(), &ui::TerminationSignal::Received, &screen,
                     [&screen](int) { screen.RequestClose(); });
  }
  screen.setWindowTitle(ui::ToQString(title));
  screen.show();
  screen.BringToFront();
  result = StartOutcome::Running;
  return session;
}

}  // namespace quidora
