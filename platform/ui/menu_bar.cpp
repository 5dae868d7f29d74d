#include "platform/ui/menu_bar.h"

#include <QAction>
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
  }
}

}  // namespace quidora::ui
