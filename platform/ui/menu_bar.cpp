#include "platform/ui/menu_bar.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QMenu>
#include <QPainter>
#include <QPalette>
#include <QScreen>
#include <QToolButton>
#include <algorithm>

#include "platform/ui/images.h"

namespace quidora::ui {
namespace {

constexpr char kCommandProperty[] = "command";

// The input-panel button's face: a small keyboard.
QIcon KeyboardIcon() {
  QImage image(kImageSize, kImageSize, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setPen(QPen(QColor(40, 40, 40), 1));
  p.setBrush(QColor(245, 245, 245));
  p.drawRect(QRectF(0.5, 3.5, 15, 9));
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(40, 40, 40));
  for (int row = 0; row < 2; ++row) {
    for (int col = 0; col < 6; ++col) p.drawRect(2 + col * 2, 5 + row * 2, 1, 1);
  }
  p.drawRect(4, 10, 8, 1);
  p.end();
  return QIcon(QPixmap::fromImage(image));
}

int CommandOf(const QObject* object) {
  return object->property(kCommandProperty).toInt();
}

}  // namespace

MenuBar::MenuBar(QWidget* parent) : QWidget(parent) {
  setFixedHeight(kHeight);
  setAutoFillBackground(true);
  QPalette bar = palette();
  bar.setColor(QPalette::Window, QColor(214, 219, 231));
  setPalette(bar);

  // The bar is narrow: three words, four images and the panel button share 240 pixels.
  QFont small = font();
  small.setPointSizeF(std::max(7.0, small.pointSizeF() - 1));
  setFont(small);
  setStyleSheet(QStringLiteral(
      "QToolButton { border: 1px solid transparent; border-radius: 2px; padding: 1px 3px; }"
      "QToolButton:hover { border-color: #8090b0; }"
      "QToolButton:focus { border-color: #203060; }"
      "QToolButton:pressed { background: #b0b8d0; }"
      "QToolButton:disabled { color: #8a8a8a; }"));

  layout_ = new QHBoxLayout(this);
  layout_->setContentsMargins(2, 1, 2, 1);
  layout_->setSpacing(0);
  commandArea_ = new QWidget(this);
  auto* commands = new QHBoxLayout(commandArea_);
  commands->setContentsMargins(0, 0, 0, 0);
  commands->setSpacing(2);
  layout_->addWidget(commandArea_);
  layout_->addStretch(1);

  inputPanelButton_ = new QToolButton(this);
  inputPanelButton_->setObjectName("inputPanelButton");
  inputPanelButton_->setIcon(KeyboardIcon());
  inputPanelButton_->setIconSize(QSize(kImageSize, kImageSize));
  inputPanelButton_->setFixedSize(kImageSize + 8, kImageSize + 8);
  inputPanelButton_->setAutoRaise(true);
  inputPanelButton_->setFocusPolicy(Qt::NoFocus);
  inputPanelButton_->setToolTip(tr("Input Panel"));
  inputPanelButton_->setAccessibleName(tr("Input Panel"));
  layout_->addWidget(inputPanelButton_);
  connect(inputPanelButton_, &QToolButton::clicked, this, &MenuBar::InputPanelButtonClicked);
}

MenuBar::~MenuBar() {
  Clear();
}

void MenuBar::Clear() {
  for (QAbstractButton* button : buttons_) delete button;
  for (QMenu* menu : menus_) delete menu;
  buttons_.clear();
  menus_.clear();
  auto* commands = static_cast<QHBoxLayout*>(commandArea_->layout());
  while (QLayoutItem* item = commands->takeAt(0)) delete item;
}

void MenuBar::Build(const MenuBarDescription& description) {
  Clear();
  auto* commands = static_cast<QHBoxLayout*>(commandArea_->layout());

  for (const MenuBarItem& item : description.items) {
    auto* button = new QToolButton(commandArea_);
    button->setText(item.text);
    button->setProperty(kCommandProperty, item.command);
    button->setToolTip(item.tooltip);
    button->setAccessibleName(item.text);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    button->installEventFilter(this);
    // The style's own margins would not leave room for all three words on a 240 pixel screen.
    button->setFixedWidth(button->fontMetrics().horizontalAdvance(item.text) + 8);
    buttons_.push_back(button);
    commands->addWidget(button);

    if (item.entries.empty()) {
      const int command = item.command;
      connect(button, &QToolButton::clicked, this, [this, command] { Choose(command); });
      continue;
    }
    // The menu belongs to the bar, not the button, so it can be looked up by command.
    auto* menu = new QMenu(this);
    menu->setProperty(kCommandProperty, item.command);
    menu->setTitle(item.text);
    menu->setAccessibleName(item.text);
    menus_.push_back(menu);
    menu->installEventFilter(this);
    for (const MenuEntry& entry : item.entries) {
      if (entry.IsSeparator()) {
        menu->addSeparator();
        continue;
      }
      QAction* action = menu->addAction(entry.text);
      action->setData(entry.command);
      action->setProperty(kCommandProperty, entry.command);
    }
    connect(menu, &QMenu::triggered, this, [this](QAction* action) {
      EndKeyboard();
      if (action->isEnabled()) emit CommandIssued(action->data().toInt());
    });
    const int command = item.command;
    connect(button, &QToolButton::clicked, this, [this, command] { OpenPopup(command); });
  }

  const QSize imageSize(description.imageSize, description.imageSize);
  for (const ToolbarButton& tool : description.buttons) {
    if (tool.command == 0) {
      commands->addSpacing(4);
      continue;
    }
    auto* button = new QToolButton(commandArea_);
    button->setProperty(kCommandProperty, tool.command);
    const QImage face = description.toolbarBitmap.copy(
        tool.image * description.imageSize, 0, description.imageSize, description.imageSize);
    button->setIcon(QIcon(QPixmap::fromImage(face)));
    button->setIconSize(imageSize);
    button->setFixedSize(imageSize + QSize(8, 8));
    button->setToolTip(tool.tooltip);
    button->setAccessibleName(tool.tooltip);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->installEventFilter(this);
    buttons_.push_back(button);
    commands->addWidget(button);
    const int command = tool.command;
    connect(button, &QToolButton::clicked, this, [this, command] { Choose(command); });
  }
}

void MenuBar::SetCommandEnabled(int command, bool enabled) {
  for (QAbstractButton* button : buttons_) {
    if (CommandOf(button) == command) button->setEnabled(enabled);
  }
  for (QMenu* menu : menus_) {
    for (QAction* action : menu->actions()) {
      if (!action->isSeparator() && CommandOf(action) == command) action->setEnabled(enabled);
    }
  }
}

bool MenuBar::IsCommandEnabled(int command) const {
  if (QAbstractButton* button = Button(command)) return button->isEnabled();
  if (QAction* action = MenuAction(command)) return action->isEnabled();
  return false;
}

bool MenuBar::HasCommand(int command) const {
  return Button(command) != nullptr || MenuAction(command) != nullptr;
}

bool MenuBar::Choose(int command) {
  QAbstractButton* button = Button(command);
  QAction* action = MenuAction(command);
  if (button == nullptr && action == nullptr) return false;
  if (Popup(command) != nullptr) return false;  // a drop-down only opens its menu
  const bool enabled = button != nullptr ? button->isEnabled() : action->isEnabled();
  if (!enabled || !commandArea_->isVisibleTo(this)) return false;
  EndKeyboard();
  emit CommandIssued(command);
  return true;
}

QMenu* MenuBar::Popup(int command) const {
  for (QMenu* menu : menus_) {
    if (CommandOf(menu) == command) return menu;
  }
  return nullptr;
}

QAbstractButton* MenuBar::Button(int command) const {
  for (QAbstractButton* button : buttons_) {
    if (CommandOf(button) == command) return button;
  }
  return nullptr;
}

QAction* MenuBar::MenuAction(int command) const {
  for (QMenu* menu : menus_) {
    for (QAction* action : menu->actions()) {
      if (!action->isSeparator() && CommandOf(action) == command) return action;
    }
  }
  return nullptr;
}

void MenuBar::OpenPopup(int command) {
  QMenu* menu = Popup(command);
  QAbstractButton* button = Button(command);
  if (menu == nullptr || button == nullptr) return;
  // Upward from the button's top edge, kept inside the device screen's width.
  const QSize wanted = menu->sizeHint();
  const QRect screen(window()->mapToGlobal(QPoint(0, 0)), window()->size());
  QPoint at(button->mapToGlobal(QPoint(0, 0)).x(), mapToGlobal(QPoint(0, 0)).y() - wanted.height());
  at.setX(std::max(screen.left(), std::min(at.x(), screen.right() + 1 - wanted.width())));
  at.setY(std::max(screen.top(), at.y()));
  menu->popup(at);
}

void MenuBar::SetCommandsVisible(bool visible) {
  commandArea_->setVisible(visible);
  if (!visible) {
    for (QMenu* menu : menus_) menu->hide();
    keyboard_ = false;
  }
}

bool MenuBar::StartKeyboard() {
  if (buttons_.empty() || !commandArea_->isVisibleTo(this)) return false;
  if (!keyboard_) {
    QWidget* focused = QApplication::focusWidget();
    focusBefore_ = focused != nullptr && !isAncestorOf(focused) ? focused : nullptr;
  }
  const auto first = std::find_if(buttons_.begin(), buttons_.end(),
                                  [](const QAbstractButton* button) { return button->isEnabled(); });
  if (first == buttons_.end()) return false;
  keyboard_ = true;
  FocusButton(static_cast<int>(first - buttons_.begin()));
  return true;
}

QAbstractButton* MenuBar::KeyboardButton() const {
  const int index = KeyboardIndex();
  return index < 0 ? nullptr : buttons_[static_cast<std::size_t>(index)];
}

int MenuBar::KeyboardIndex() const {
  if (!keyboard_) return -1;
  for (std::size_t i = 0; i < buttons_.size(); ++i) {
    if (buttons_[i]->hasFocus() || buttons_[i]->property("keyboardCurrent").toBool())
      return static_cast<int>(i);
  }
  return -1;
}

void MenuBar::FocusButton(int index) {
  for (std::size_t i = 0; i < buttons_.size(); ++i)
    buttons_[i]->setProperty("keyboardCurrent", static_cast<int>(i) == index);
  buttons_[static_cast<std::size_t>(index)]->setFocus(Qt::ShortcutFocusReason);
}

void MenuBar::MoveAlongBar(int step, bool open) {
  const int count = static_cast<int>(buttons_.size());
  const int index = KeyboardIndex();
  if (count == 0 || index < 0) return;
  // Greyed buttons cannot take the focus: they are passed over.
  int next = index;
  for (int tries = 0; tries < count; ++tries) {
    next = (next + step + count) % count;
    if (buttons_[static_cast<std::size_t>(next)]->isEnabled()) break;
  }
  FocusButton(next);
  if (open && Popup(CommandOf(buttons_[static_cast<std::size_t>(next)])) != nullptr)
    PressFromKeyboard(next);
}

void MenuBar::PressFromKeyboard(int index) {
  QAbstractButton* button = buttons_[static_cast<std::size_t>(index)];
  const int command = CommandOf(button);
  QMenu* menu = Popup(command);
  if (menu == nullptr) {
    Choose(command);
    return;
  }
  OpenPopup(command);
  for (QAction* action : menu->actions()) {
    if (!action->isSeparator() && action->isEnabled()) {
      menu->setActiveAction(action);
      break;
    }
  }
}

void MenuBar::EndKeyboard() {
  if (!keyboard_) return;
  keyboard_ = false;
  for (QAbstractButton* button : buttons_) button->setProperty("keyboardCurrent", false);
  if (focusBefore_) {
    focusBefore_->setFocus(Qt::OtherFocusReason);
  } else if (QWidget* focused = QApplication::focusWidget(); focused && isAncestorOf(focused)) {
    focused->clearFocus();
  }
}

bool MenuBar::eventFilter(QObject* watched, QEvent* event) {
  if (!keyboard_ || event->type() != QEvent::KeyPress) return QWidget::eventFilter(watched, event);
  const int key = static_cast<QKeyEvent*>(event)->key();
  if (auto* menu = qobject_cast<QMenu*>(watched)) {
    if (key != Qt::Key_Left && key != Qt::Key_Right) return false;
    menu->hide();
    MoveAlongBar(key == Qt::Key_Left ? -1 : 1, true);
    return true;
  }
  const int index = KeyboardIndex();
  if (index < 0) return false;
  switch (key) {
    case Qt::Key_Left:
    case Qt::Key_Right:
      MoveAlongBar(key == Qt::Key_Left ? -1 : 1, false);
      return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
    case Qt::Key_Up:
    case Qt::Key_Down:
      PressFromKeyboard(index);
      return true;
    case Qt::Key_Escape:
      EndKeyboard();
      return true;
    default:
      return false;
  }
}

}  // namespace quidora::ui
