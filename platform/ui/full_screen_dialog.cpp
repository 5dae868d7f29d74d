#include "platform/ui/full_screen_dialog.h"

#include <QApplication>
#include <QEventLoop>
#include <QAbstractItemView>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <vector>

#include "platform/ui/accessibility.h"
#include "platform/ui/device_screen.h"
#include "platform/ui/input_panel.h"
#include "platform/ui/one_line_text.h"

namespace quidora::ui {

// The state of one Exec, kept on Exec's stack so that it outlives the dialog if the dialog is
// destroyed while it runs.
struct FullScreenDialog::Run {
  bool finished = false;
  bool dialogGone = false;
  int code = kAbandoned;
  QEventLoop* loop = nullptr;
};

FullScreenDialog::FullScreenDialog(DeviceScreen& screen, const QString& title,
                                   const QString& helpTopic)
    : QWidget(screen.WorkArea()),
      screen_(screen),
      title_(title),
      helpTopic_(helpTopic),
      titleButtonText_(tr("OK")) {
  setAccessibleName(title);
  setAutoFillBackground(true);
  hide();
}

FullScreenDialog::~FullScreenDialog() {
  if (run_ != nullptr) {
    run_->dialogGone = true;
    run_->finished = true;
    if (run_->loop != nullptr) run_->loop->quit();
    screen_.PopDialog(this, run_->code, false);
  }
}

void FullScreenDialog::Abandon() {
  if (run_ == nullptr) return;
  run_->dialogGone = true;
  run_->finished = true;
  if (run_->loop != nullptr) run_->loop->quit();
  run_ = nullptr;
}

int FullScreenDialog::Exec() {
  if (run_ != nullptr || screen_.IsClosing()) return kAbandoned;
  Run run;
  run_ = &run;
  QPointer<QWidget> focusBefore = QApplication::focusWidget();
  QPointer<FullScreenDialog> self(this);

  QPointer<QWidget> markBefore;
  if (openMark_ != nullptr) {
    markBefore = *openMark_;
    *openMark_ = this;
  }
  const QMetaObject::Connection activation = connect(
      &screen_, &DeviceScreen::ActivationChanged, this, &FullScreenDialog::ScreenActivationChanged);

  screen_.PushDialog(this);
  Arrange();
  OnOpened();
  if (!run.dialogGone) {
    OrderTabsAsShown();
    // Enter is the dialog's (keyPressEvent), never a button's own.
    for (QPushButton* button : findChildren<QPushButton*>()) button->setAutoDefault(false);
    KeepTextFieldsOnOneLine(this);
  }
  if (!run.finished) screen_.ActivateTopPage();
  if (!run.dialogGone) NameControls(this);
  // The hook runs before the loop; a dialog ended in it never enters the loop.
  if (!run.finished) emit screen_.DialogOpened(this);
  if (!run.finished) {
    QEventLoop loop;
    run.loop = &loop;
    loop.exec(QEventLoop::DialogExec);
    run.loop = nullptr;
  }
  if (run.dialogGone || self.isNull()) return run.code;

  disconnect(activation);
  if (openMark_ != nullptr) *openMark_ = markBefore;
  run_ = nullptr;
  screen_.PopDialog(this, run.code, true);
  if (focusBefore) focusBefore->setFocus();
  // What this dialog covered is the active page again.
  screen_.ActivateTopPage();
  emit Ended(run.code);
  return run.code;
}

bool FullScreenDialog::IsEnded() const {
  return run_ != nullptr && run_->finished;
}

void FullScreenDialog::End(int code) {
  if (run_ == nullptr || run_->finished) return;
  run_->finished = true;
  run_->code = code;
  if (run_->loop != nullptr) run_->loop->quit();
}

void FullScreenDialog::SetTitle(const QString& title) {
  title_ = title;
  setAccessibleName(title);
  if (run_ != nullptr) screen_.ShowTopPage();
}

void FullScreenDialog::SetTitleButtonText(const QString& text) {
  titleButtonText_ = text;
  if (run_ != nullptr) screen_.ShowTopPage();
}

void FullScreenDialog::OnTitleOk() {
  End(kDone);
}

void FullScreenDialog::Activate() {
  if (panelOnActivation_ != PanelOnActivation::Leave) screen_.Panel().Lower();
  OnActivated();
}

void FullScreenDialog::ScreenActivationChanged(bool active) {
  // Becoming active reaches Activate through the screen's top page.
  if (active || panelOnActivation_ != PanelOnActivation::LowerOnEveryChange) return;
  if (run_ != nullptr && !run_->finished && screen_.CurrentDialog() == this) screen_.Panel().Lower();
}

void FullScreenDialog::OnHelp() {
  screen_.ShowHelp(helpTopic_);
}

void FullScreenDialog::SetDefaultButton(QPushButton* button) {
  if (defaultButton_ == button) return;
  if (defaultButton_ != nullptr) defaultButton_->setDefault(false);
  defaultButton_ = button;
  if (button != nullptr) {
    // Enter is handled here, never by the button's own dialog logic.
    button->setAutoDefault(false);
    button->setDefault(true);
  }
}

void FullScreenDialog::OnEscape() {
  for (const QString& name : {QStringLiteral("Cancel"), QStringLiteral("Back")}) {
    for (QPushButton* button : findChildren<QPushButton*>()) {
      if (button->text().remove(u'&') == name && button->isVisible() && button->isEnabled()) {
        button->click();
        return;
      }
    }
  }
  if (!titleButtonText_.isEmpty()) OnTitleOk();
}

void FullScreenDialog::OrderTabsAsShown() {
  struct Stop {
    QWidget* widget;
    QPoint at;
  };
  std::vector<Stop> stops;
  for (QWidget* widget : findChildren<QWidget*>()) {
    if (!(widget->focusPolicy() & Qt::TabFocus) || !widget->isVisibleTo(this)) continue;
    // The parts of a compound control (an editable box's text line) move with it.
    bool inner = false;
    for (QWidget* up = widget->parentWidget(); up != nullptr && up != this;
         up = up->parentWidget()) {
      if (up->focusPolicy() & Qt::TabFocus) inner = true;
    }
    if (!inner) stops.push_back({widget, widget->mapTo(this, QPoint(0, 0))});
  }
  std::stable_sort(stops.begin(), stops.end(), [](const Stop& a, const Stop& b) {
    return a.at.y() != b.at.y() ? a.at.y() < b.at.y() : a.at.x() < b.at.x();
  });
  for (std::size_t i = 1; i < stops.size(); ++i)
    setTabOrder(stops[i - 1].widget, stops[i].widget);
}

void FullScreenDialog::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  Arrange();
  QTimer::singleShot(0, this, [this] {
    if (run_ != nullptr) OrderTabsAsShown();
  });
}

void FullScreenDialog::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier &&
      run_ != nullptr && !run_->finished) {
    event->accept();
    OnEscape();
    return;
  }
  const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  if (!enter || run_ == nullptr || run_->finished) {
    QWidget::keyPressEvent(event);
    return;
  }
  event->accept();
  auto* focused = qobject_cast<QPushButton*>(QApplication::focusWidget());
  QPushButton* pressed =
      focused != nullptr && isAncestorOf(focused) ? focused : defaultButton_.data();
  if (pressed != nullptr) {
    if (pressed->isVisible() && pressed->isEnabled()) pressed->click();
    return;
  }
  if (EnterMeansTitleOk()) OnTitleOk();
}

bool FullScreenDialog::EnterMeansTitleOk() const {
  if (titleButtonText_.isEmpty()) return false;
  // A list or a text of several lines keeps Enter for itself.
  for (QWidget* up = QApplication::focusWidget(); up != nullptr && up != this;
       up = up->parentWidget()) {
    if (qobject_cast<QAbstractItemView*>(up) || qobject_cast<QTextEdit*>(up) ||
        qobject_cast<QPlainTextEdit*>(up)) {
      return false;
    }
  }
  return true;
}

}  // namespace quidora::ui
