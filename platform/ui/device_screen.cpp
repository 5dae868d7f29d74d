#include "platform/ui/device_screen.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QPalette>
#include <QRegularExpression>
#include <QShortcut>
#include <QStackedLayout>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "platform/ui/full_screen_dialog.h"
#include "platform/ui/images.h"
#include "platform/ui/input_panel.h"
#include "platform/ui/menu_bar.h"
#include "platform/ui/message_box.h"
#include "platform/ui/navigation_bar.h"
#include "platform/ui/text.h"

namespace quidora::ui {
namespace {

constexpr int kSmallestSide = 120;
constexpr int kLargestSide = 4096;

}  // namespace

DeviceScreen::DeviceScreen(QSize screenSize, QWidget* parent) : QWidget(parent) {
  if (!screenSize.isValid() || screenSize.isEmpty()) screenSize = kDefaultScreenSize;
  setWindowTitle(LoadQString(StringId::Title));
  setWindowIcon(ProgramIcon());
  setAccessibleName(LoadQString(StringId::Title));
  setMinimumSize(kSmallestSide, kSmallestSide);
  setAutoFillBackground(true);
  QPalette white = palette();
  white.setColor(QPalette::Window, Qt::white);
  setPalette(white);

  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  navigationBar_ = new NavigationBar(this);
  workArea_ = new QWidget(this);
  workArea_->setObjectName("workArea");
  workStack_ = new QStackedLayout(workArea_);
  workStack_->setContentsMargins(0, 0, 0, 0);
  menuBar_ = new MenuBar(this);
  column->addWidget(navigationBar_);
  column->addWidget(workArea_, 1);
  column->addWidget(menuBar_);

  auto* placeholder = new QWidget(workArea_);
  workStack_->addWidget(placeholder);
  mainView_ = placeholder;

  inputPanel_ = new InputPanel(this);
  connect(menuBar_, &MenuBar::InputPanelButtonClicked, inputPanel_, &InputPanel::Toggle);
  connect(navigationBar_, &NavigationBar::TitleButtonClicked, this, [this] {
    if (FullScreenDialog* dialog = CurrentDialog()) dialog->OnTitleOk();
  });

  auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
  help->setContext(Qt::WindowShortcut);
  connect(help, &QShortcut::activated, this, &DeviceScreen::OnHelpKey);
  auto* menuKey = new QShortcut(QKeySequence(Qt::Key_F10), this);
  menuKey->setContext(Qt::WindowShortcut);
  connect(menuKey, &QShortcut::activated, this, &DeviceScreen::StartMenuKeyboard);
  // A lone Alt reaches the focused control, not the window: it is watched on its way there.
  qApp->installEventFilter(this);

  SetTitle(LoadQString(StringId::Title));
  resize(screenSize);
  announcedSize_ = screenSize;
  PlaceInputPanel();
}

DeviceScreen::~DeviceScreen() {
  for (FullScreenDialog* dialog : dialogs_) dialog->Abandon();
  dialogs_.clear();
}

QSize DeviceScreen::ParseScreenSize(const QString& text) {
  static const QRegularExpression form(
      QStringLiteral("^\\s*(\\d{1,5})\\s*[xX]\\s*(\\d{1,5})\\s*$"));
  const QRegularExpressionMatch match = form.match(text);
  if (!match.hasMatch()) return {};
  const int width = match.captured(1).toInt();
  const int height = match.captured(2).toInt();
  if (width < kSmallestSide || height < kSmallestSide || width > kLargestSide ||
      height > kLargestSide) {
    return {};
  }
  return {width, height};
}

QSize DeviceScreen::ScreenSizeFromEnvironment() {
  const QSize size = ParseScreenSize(qEnvironmentVariable("QUIDORA_SCREEN"));
  return size.isEmpty() ? kDefaultScreenSize : size;
}

void DeviceScreen::SetScreenSize(QSize size) {
  resize(size);
  // A hidden window gets its resize event only when shown; the shell must hear of it now.
  if (size != announcedSize_) {
    announcedSize_ = size;
    PlaceInputPanel();
    emit ScreenSizeChanged(size);
  }
}

void DeviceScreen::SetTitle(const QString& title) {
  title_ = title;
  if (dialogs_.empty()) navigationBar_->SetTitle(title);
}

void DeviceScreen::SetMainView(QWidget* view) {
  if (view == nullptr || view == mainView_) return;
  QWidget* old = mainView_;
  view->setParent(workArea_);
  workStack_->insertWidget(0, view);
  mainView_ = view;
  if (old != nullptr) {
    workStack_->removeWidget(old);
    old->deleteLater();
  }
  ShowTopPage();
}

FullScreenDialog* DeviceScreen::CurrentDialog() const {
  return dialogs_.empty() ? nullptr : dialogs_.back();
}

std::vector<FullScreenDialog*> DeviceScreen::RunningDialogs() const {
  return dialogs_;
}

QString DeviceScreen::CurrentHelpTopic() const {
  const FullScreenDialog* dialog = CurrentDialog();
  return dialog != nullptr ? dialog->HelpTopic() : mainHelpTopic_;
}

void DeviceScreen::OnHelpKey() {
  if (FullScreenDialog* dialog = CurrentDialog()) {
    dialog->OnHelp();
  } else if (mainHelpHandler_) {
    mainHelpHandler_();
  } else if (!mainHelpTopic_.isEmpty()) {
    ShowHelp(mainHelpTopic_);
  }
}

void DeviceScreen::PushDialog(FullScreenDialog* dialog) {
  dialogs_.push_back(dialog);
  workStack_->addWidget(dialog);
  ShowTopPage();
}

void DeviceScreen::PopDialog(FullScreenDialog* dialog, int code, bool announce) {
  const auto found = std::find(dialogs_.begin(), dialogs_.end(), dialog);
  if (found == dialogs_.end()) return;
  dialogs_.erase(found);
  workStack_->removeWidget(dialog);
  dialog->hide();
  ShowTopPage();
  if (announce) emit DialogClosed(dialog, code);
}

void DeviceScreen::ShowTopPage() {
  if (FullScreenDialog* dialog = CurrentDialog()) {
    workStack_->setCurrentWidget(dialog);
    navigationBar_->SetTitle(dialog->Title());
    navigationBar_->SetTitleButton(dialog->TitleButtonText());
    menuBar_->SetCommandsVisible(false);
  } else {
    if (mainView_ != nullptr) workStack_->setCurrentWidget(mainView_);
    navigationBar_->SetTitle(title_);
    navigationBar_->SetTitleButton(QString());
    menuBar_->SetCommandsVisible(true);
  }
  inputPanel_->raise();
}

void DeviceScreen::PlaceInputPanel() {
  inputPanel_->setGeometry(0, height() - MenuBar::kHeight - InputPanel::kHeight, width(),
                           InputPanel::kHeight);
  inputPanel_->raise();
}

void DeviceScreen::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  PlaceInputPanel();
  if (size() != announcedSize_) {
    announcedSize_ = size();
    emit ScreenSizeChanged(size());
  }
}

void DeviceScreen::StartMenuKeyboard() {
  if (dialogs_.empty() && !closing_) menuBar_->StartKeyboard();
}

bool DeviceScreen::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type != QEvent::KeyPress && type != QEvent::KeyRelease && type != QEvent::MouseButtonPress)
    return QWidget::eventFilter(watched, event);
  auto* widget = qobject_cast<QWidget*>(watched);
  if (widget == nullptr || widget->window() != this) return false;
  if (type == QEvent::MouseButtonPress) {
    altAlone_ = false;
    return false;
  }
  const auto* key = static_cast<QKeyEvent*>(event);
  if (key->isAutoRepeat()) return false;
  const bool alt = key->key() == Qt::Key_Alt;
  if (type == QEvent::KeyPress) {
    altAlone_ = alt && (key->modifiers() & ~Qt::AltModifier) == Qt::NoModifier;
  } else if (alt && altAlone_) {
    altAlone_ = false;
    StartMenuKeyboard();
  }
  return false;
}

void DeviceScreen::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() != QEvent::ActivationChange) return;
  const bool active = isActiveWindow();
  emit ActivationChanged(active);
  if (active) ActivateTopPage();
}

void DeviceScreen::ActivateTopPage() {
  if (closing_) return;
  if (FullScreenDialog* dialog = CurrentDialog()) {
    if (!dialog->IsEnded()) dialog->Activate();
  } else {
    emit MainViewActivated();
  }
}

void DeviceScreen::closeEvent(QCloseEvent* event) {
  if (closeAccepted_) {
    event->accept();
    return;
  }
  event->ignore();
  RequestClose();
  // Accepted at once (no dialog was running): this event is the close; a close() from inside
  // it would be ignored by Qt.
  if (closeAccepted_) event->accept();
}

bool DeviceScreen::IsInsideModalLoop() const {
  const bool boxOpen = std::any_of(messageBoxes_.begin(), messageBoxes_.end(),
                                   [](const QPointer<MessageBox>& box) { return !box.isNull(); });
  // Level 1 is the program's own loop; deeper means some caller waits in a nested one.
  return !dialogs_.empty() || boxOpen || QThread::currentThread()->loopLevel() > 1;
}

void DeviceScreen::RequestClose() {
  if (closing_) return;
  closing_ = true;
  if (!IsInsideModalLoop()) {
    RunCloseHandler();
    return;
  }
  // The callers of the running dialogs and message boxes must get their answer and unwind
  // before the shell tidies up the objects they work on. A question is answered No, so that
  // nothing is deleted on the way out.
  for (FullScreenDialog* dialog : dialogs_) dialog->End(FullScreenDialog::kAbandoned);
  for (const QPointer<MessageBox>& box : messageBoxes_) {
    if (box)
      box->Choose(box->Buttons() == MessageButtons::YesNo ? MessageAnswer::No : MessageAnswer::Ok);
  }
  RunCloseHandlerWhenUnwound();
}

void DeviceScreen::RunCloseHandlerWhenUnwound() {
  QTimer::singleShot(0, this, [this] {
    if (IsInsideModalLoop()) {
      QTimer::singleShot(10, this, [this] { RunCloseHandlerWhenUnwound(); });
      return;
    }
    RunCloseHandler();
  });
}

void DeviceScreen::TrackMessageBox(MessageBox* box) {
  messageBoxes_.erase(std::remove_if(messageBoxes_.begin(), messageBoxes_.end(),
                                     [](const QPointer<MessageBox>& b) { return b.isNull(); }),
                      messageBoxes_.end());
  messageBoxes_.push_back(box);
  connect(box, &QDialog::finished, this, &DeviceScreen::ActivateTopPage);
}

void DeviceScreen::RunCloseHandler() {
  handlerRunning_ = true;
  const bool accept = closeHandler_ ? closeHandler_() : true;
  handlerRunning_ = false;
  if (!accept) {
    closing_ = false;
    return;
  }
  closeAccepted_ = true;
  inputPanel_->Lower();
  close();
}

void DeviceScreen::PostCloseRequest() {
  QMetaObject::invokeMethod(this, &DeviceScreen::RequestClose, Qt::QueuedConnection);
}

void DeviceScreen::BringToFront() {
  setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
  show();
  raise();
  activateWindow();
}

}  // namespace quidora::ui
