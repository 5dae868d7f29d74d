// The menu bar at the bottom of the device screen: plain buttons ("New"), drop-down buttons whose
// menus open upward inside the screen ("Accounts", "Tools"), toolbar buttons with 16 by 16 images
// and tooltips, and at the right the input-panel button. Built from a description; every choice
// arrives as CommandIssued(command number). Each menu item and button can be greyed by number.
#pragma once

#include <QImage>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <vector>

class QAbstractButton;
class QAction;
class QMenu;
class QToolButton;
class QHBoxLayout;

namespace quidora::ui {

// One entry of a drop-down menu. A separator has command 0 and no text.
struct MenuEntry {
  QString text;
  int command = 0;
  bool IsSeparator() const { return command == 0; }
  static MenuEntry Separator() { return {}; }
};

// A text button of the bar. With no entries it is a plain button that issues `command`; with
// entries it is a drop-down button (its own `command` only names it) that opens the menu.
struct MenuBarItem {
  QString text;
  int command = 0;
  QString tooltip;
  std::vector<MenuEntry> entries;
};

// A toolbar button showing image `image` of the toolbar bitmap. Command 0 is a separator gap.
struct ToolbarButton {
  int command = 0;
  int image = 0;
  QString tooltip;
};

struct MenuBarDescription {
  std::vector<MenuBarItem> items;
  std::vector<ToolbarButton> buttons;
  QImage toolbarBitmap;  // images side by side, each imageSize wide
  int imageSize = 16;
};

class MenuBar : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kHeight = 26;

  explicit MenuBar(QWidget* parent = nullptr);
  ~MenuBar() override;

  // Replaces whatever the bar showed; every item and button starts enabled.
  void Build(const MenuBarDescription& description);

  // Greys or enables every menu item and every button carrying `command`. Unknown numbers are
  // ignored (the bar may not have been built yet).
  void SetCommandEnabled(int command, bool enabled);
  // The state of the first item or button carrying `command`; false when there is none.
  bool IsCommandEnabled(int command) const;
  bool HasCommand(int command) const;

  // Chooses `command` as a user would: nothing happens for a greyed or unknown command.
  // Returns whether CommandIssued was sent.
  bool Choose(int command);

  // The drop-down menu of the drop-down button `command` (40001, 40043), or nullptr.
  QMenu* Popup(int command) const;
  // The button of the bar carrying `command` (text or toolbar button), or nullptr.
  QAbstractButton* Button(int command) const;
  // The menu item carrying `command`, or nullptr.
  QAction* MenuAction(int command) const;
  QToolButton* InputPanelButton() const { return inputPanelButton_; }

  // Opens the drop-down menu of `command` above its button, inside the screen; returns at once.
  void OpenPopup(int command);

  // While a full-screen dialog runs the bar shows the input-panel button only.
  void SetCommandsVisible(bool visible);

  // The bar from the keyboard (F10 or Alt): the first button takes the focus; Left and Right
  // move along the bar; Enter, Space, Up or Down open a drop-down menu with its first item
  // current (the arrows and Enter then choose) or press a plain button; Left and Right in an
  // open menu move to the neighbouring button; Escape gives the focus back. False while the
  // commands are hidden.
  bool StartKeyboard();
  bool IsKeyboardActive() const { return keyboard_; }
  // Leaves the keyboard mode as Escape does: the focus goes back where it was.
  void EndKeyboard();
  // The bar's button that has the keyboard's attention, or nullptr.
  QAbstractButton* KeyboardButton() const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 signals:
  void CommandIssued(int command);
  void InputPanelButtonClicked();

 private:
  void Clear();
  void FocusButton(int index);
  // Left (-1) or Right (+1) from the current button; `open` opens a drop-down reached so.
  void MoveAlongBar(int step, bool open);
  void PressFromKeyboard(int index);
  int KeyboardIndex() const;
  QHBoxLayout* layout_ = nullptr;
  QWidget* commandArea_ = nullptr;
  QToolButton* inputPanelButton_ = nullptr;
  std::vector<QAbstractButton*> buttons_;
  std::vector<QMenu*> menus_;
  QPointer<QWidget> focusBefore_;
  bool keyboard_ = false;
};

}  // namespace quidora::ui
