// The top-level window: the emulated handheld screen. From top to bottom the navigation bar, the
// work area (the main view, covered by full-screen dialogs while they run) and the menu bar; the
// input panel floats above the menu bar while raised.
//
// The window's size is the screen size: 240 by 320 unless QUIDORA_SCREEN=WxH says otherwise.
// Resizing the window is the handheld's rotation: ScreenSizeChanged tells the shell to run its
// work-area change. The window's close button, SIGTERM (through TerminationSignal) and the
// program's own Exit all come here as the close request, which the shell's handler may accept
// or refuse.
#pragma once

#include <QPointer>
#include <QSize>
#include <QString>
#include <QWidget>
#include <functional>
#include <vector>

#include "platform/ui/help_launcher.h"

class QStackedLayout;

namespace quidora::ui {

class FullScreenDialog;
class InputPanel;
class MenuBar;
class MessageBox;
class NavigationBar;

class DeviceScreen : public QWidget {
  Q_OBJECT

 public:
  static constexpr QSize kDefaultScreenSize{240, 320};

  explicit DeviceScreen(QSize screenSize = ScreenSizeFromEnvironment(), QWidget* parent = nullptr);
  ~DeviceScreen() override;

  // QUIDORA_SCREEN=WxH (for example 320x240) when it is set and sensible, else 240 by 320.
  static QSize ScreenSizeFromEnvironment();
  // Parses "WxH"; an invalid or absurd size gives an empty QSize.
  static QSize ParseScreenSize(const QString& text);

  // The current screen size in (logical) pixels. IsWideLayout reads this.
  QSize ScreenSize() const { return size(); }
  // Rotates (or resizes) the screen, as the user's resize of the window does.
  void SetScreenSize(QSize size);

  // The program's title in the navigation bar while no dialog runs.
  void SetTitle(const QString& title);

  // The view shown in the work area while no dialog runs (the screen takes ownership).
  void SetMainView(QWidget* view);
  QWidget* MainView() const { return mainView_; }
  // The work area; full-screen dialogs and the main view fill it.
  QWidget* WorkArea() const { return workArea_; }

  MenuBar& Menu() const { return *menuBar_; }
  InputPanel& Panel() const { return *inputPanel_; }
  NavigationBar& Navigation() const { return *navigationBar_; }

  // The innermost running dialog, or nullptr; and all running dialogs, outermost first.
  FullScreenDialog* CurrentDialog() const;
  std::vector<FullScreenDialog*> RunningDialogs() const;

  // Help: F1 anywhere in the screen shows the innermost dialog's topic, or with no dialog
  // running runs the main help handler (when one is set) or shows the main topic.
  void SetMainHelpTopic(const QString& commandLine) { mainHelpTopic_ = commandLine; }
  void SetMainHelpHandler(std::function<void()> handler) { mainHelpHandler_ = std::move(handler); }
  QString CurrentHelpTopic() const;
  void ShowHelp(const QString& commandLine) const { help_.ShowHelp(commandLine); }
  HelpLauncher& Help() { return help_; }

  // The close request. The handler runs when the user closes the window, on SIGTERM and on
  // RequestClose(); it returns true to let the window close. Without a handler the window
  // closes. Dialogs still running are ended with FullScreenDialog::kAbandoned first and open
  // message boxes answered (No, or OK), and the handler runs once their callers have returned
  // to the event loop.
  using CloseHandler = std::function<bool()>;
  void SetCloseHandler(CloseHandler handler) { closeHandler_ = std::move(handler); }
  void RequestClose();
  // Posts the close request to run from the event loop (the "Exit" command).
  void PostCloseRequest();
  bool IsClosing() const { return closing_; }
  // A close request is on its way and the shell's handler has not started yet: new questions
  // are answered No without being shown, so that callers unwind quickly.
  bool IsWindingDown() const { return closing_ && !handlerRunning_; }

  // F10, or Alt pressed and released alone, hands the menu bar to the keyboard while no dialog
  // runs (MenuBar::StartKeyboard).
  void StartMenuKeyboard();

  // Brings the window to the front (a second copy asked for it).
  void BringToFront();

  // The message service registers each box it shows in the screen, so that a close request
  // arriving while one is open answers it (No for a question) before the shell tidies up, and
  // so that what the box covered is activated again when it ends.
  void TrackMessageBox(MessageBox* box);

  // The top page becomes the active window: the innermost running dialog's activation, or
  // MainViewActivated when no dialog runs. Called when a dialog opens or ends, when a message
  // box ends and when the device window is activated; nothing happens while the screen closes.
  void ActivateTopPage();

 signals:
  // The screen's size changed (rotation): the shell runs its work-area change.
  void ScreenSizeChanged(QSize size);
  // A full-screen dialog is on the screen and its loop is about to start. Tests drive it here.
  void DialogOpened(FullScreenDialog* dialog);
  // A dialog has left the screen with its end code.
  void DialogClosed(FullScreenDialog* dialog, int code);
  // The window was activated or deactivated.
  void ActivationChanged(bool active);
  // The main view became the active page: the last dialog ended, a message box over the main
  // view ended, or the window was activated with no dialog running.
  void MainViewActivated();

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  friend class FullScreenDialog;
  void PushDialog(FullScreenDialog* dialog);
  // `announce` is false while the dialog is being destroyed.
  void PopDialog(FullScreenDialog* dialog, int code, bool announce);
  void ShowTopPage();
  void PlaceInputPanel();
  void RunCloseHandler();
  void RunCloseHandlerWhenUnwound();
  bool IsInsideModalLoop() const;
  void OnHelpKey();

  NavigationBar* navigationBar_ = nullptr;
  QWidget* workArea_ = nullptr;
  QStackedLayout* workStack_ = nullptr;
  MenuBar* menuBar_ = nullptr;
  InputPanel* inputPanel_ = nullptr;
  QPointer<QWidget> mainView_;
  std::vector<FullScreenDialog*> dialogs_;
  std::vector<QPointer<MessageBox>> messageBoxes_;
  QString title_;
  QString mainHelpTopic_;
  std::function<void()> mainHelpHandler_;
  HelpLauncher help_;
  CloseHandler closeHandler_;
  QSize announcedSize_;
  bool closing_ = false;
  bool closeAccepted_ = false;
  bool handlerRunning_ = false;
  // Alt went down with nothing else pressed since.
  bool altAlone_ = false;
};

}  // namespace quidora::ui
