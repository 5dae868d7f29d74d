// A modal dialog that fills the work area of the device screen while it runs, with its title and
// OK button in the navigation bar. Exec() shows it over whatever the work area showed (the
// account view or another dialog) and runs a nested event loop until End(code); the previous
// page comes back when it ends.
//
// Writing one: derive, build the controls in the constructor (tag them with SetControlId), place
// them in Arrange() (it runs when the dialog opens and on every resize; dialogs/table_dialog.h
// does it from a layout table), put the opening steps into OnOpened(), what activation does
// (give a list the focus) into OnActivated(), the OK logic into OnTitleOk() and the button
// handlers, and end with End(code). F1 inside it starts the help viewer with HelpTopic().
// Enter presses the default button (SetDefaultButton), or the push button that has the focus;
// with neither it does what the title bar's OK does, unless a multi-line control has the focus.
// Escape runs OnEscape(); Tab follows the shown order of the controls.
//
// What every dialog gets from Exec: its controls named for assistive technology, Enter left to
// the dialog (no button presses itself), every one-line text field kept on one line, the
// program's open-dialog mark (KeepOpenMark) set while it runs, and the input panel lowered on
// activation as SetPanelOnActivation says.
//
// Testing one: connect to DeviceScreen::DialogOpened (or use the dialog driver of the UI test
// support); the handler runs after OnOpened() and before the loop starts, so it can click
// controls found with FindControl<T>(dialog, id) and the dialog may end right there.
#pragma once

#include <QPointer>
#include <QPushButton>
#include <QString>
#include <QWidget>

class QEventLoop;

namespace quidora::ui {

class DeviceScreen;

class FullScreenDialog : public QWidget {
  Q_OBJECT

 public:
  // The end code of a dialog ended by the program rather than by the user: the close request
  // arrived while it ran, or it was destroyed while running.
  static constexpr int kAbandoned = 0;
  // The Done button's command; the default OnTitleOk() ends with it.
  static constexpr int kDone = 1;

  FullScreenDialog(DeviceScreen& screen, const QString& title, const QString& helpTopic);
  ~FullScreenDialog() override;

  // Shows the dialog and returns its end code once it has ended. A dialog already running, or
  // one started while the screen is closing, returns kAbandoned at once.
  int Exec();
  // Ends the running dialog with `code`. Safe before the loop starts (the dialog then ends as
  // soon as Exec reaches it) and after the end (ignored).
  void End(int code);

  bool IsRunning() const { return run_ != nullptr; }
  // End was called for the current run: the dialog leaves the screen once its loop unwinds.
  bool IsEnded() const;
  QString Title() const { return title_; }
  void SetTitle(const QString& title);
  QString HelpTopic() const { return helpTopic_; }
  void SetHelpTopic(const QString& topic) { helpTopic_ = topic; }
  // The text of the navigation-bar button: "OK" (the same button on every dialog); empty hides
  // it.
  QString TitleButtonText() const { return titleButtonText_; }
  void SetTitleButtonText(const QString& text);

  DeviceScreen& Screen() const { return screen_; }

  // What the title-bar button does. The default ends with kDone.
  virtual void OnTitleOk();
  // What F1 does. The default starts the help viewer with HelpTopic().
  virtual void OnHelp();

  // The button that Enter and the keypad's Enter press while the focus is inside the dialog and
  // on no push button (a focused push button is pressed itself). The role moves whenever a
  // dialog says so; nullptr leaves no default. A greyed or hidden default button makes Enter do
  // nothing. The button is drawn as the default.
  void SetDefaultButton(QPushButton* button);
  QPushButton* DefaultButton() const { return defaultButton_; }

  // What Escape does. The default presses the dialog's visible and enabled "Cancel" button, or
  // else its "Back" button, or else the title's button when it shows; otherwise nothing.
  virtual void OnEscape();

  // What activation does to the input panel besides OnActivated().
  enum class PanelOnActivation {
    Leave,              // the dialog's own steps decide
    LowerWhenActivated, // lowered each time the dialog becomes the active page
    LowerOnEveryChange  // also when the device window loses the activation under it
  };
  void SetPanelOnActivation(PanelOnActivation rule) { panelOnActivation_ = rule; }

  // While the dialog runs, `mark` points at it (the main window keeps the input panel up on
  // activation while a dialog with text fields is open); when it ends, `mark` gets back what it
  // held before. `mark` must outlive the dialog's runs.
  void KeepOpenMark(QPointer<QWidget>& mark) { openMark_ = &mark; }

  // Puts the Tab order of the controls in the order they are shown: top to bottom, then left
  // to right. Runs when the dialog opens and after each layout change of its size.
  void OrderTabsAsShown();

 signals:
  void Ended(int code);

 protected:
  // Runs each time Exec has put the dialog on the screen, before the open hook and the loop:
  // fill the controls, set the focus, raise or lower the input panel here.
  virtual void OnOpened() {}
  // Runs each time the dialog becomes the active window: once it has opened (after OnOpened),
  // when a dialog or message box above it has ended, and when the device window is activated
  // while the dialog is on top. The default does nothing.
  virtual void OnActivated() {}
  // Places the controls for the current size: runs when Exec has put the dialog on the screen
  // (before OnOpened) and after every resize. The default does nothing.
  virtual void Arrange() {}

  void keyPressEvent(QKeyEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  friend class DeviceScreen;
  struct Run;
  // The screen is going away under a running dialog: end its run without touching the screen.
  void Abandon();
  // The dialog became the active page (DeviceScreen::ActivateTopPage).
  void Activate();
  // The device window's activation changed while the dialog runs.
  void ScreenActivationChanged(bool active);
  // Enter with no button to press: the title bar's OK, unless a multi-line control has the focus.
  bool EnterMeansTitleOk() const;

  DeviceScreen& screen_;
  QString title_;
  QString helpTopic_;
  QString titleButtonText_;
  Run* run_ = nullptr;
  QPointer<QPushButton> defaultButton_;
  PanelOnActivation panelOnActivation_ = PanelOnActivation::Leave;
  QPointer<QWidget>* openMark_ = nullptr;
};

}  // namespace quidora::ui
