#include "setup/progress_dialog.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTimer>

#include "setup/control_ids.h"
#include "setup/dialog_units.h"
#include "setup/gui_thread.h"
#include "setup/setup_pictures.h"
#include "setup/setup_strings.h"

namespace quidora::setup {
namespace {

QString Text(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

ProgressDialog::ProgressDialog(std::chrono::milliseconds connectedPause, QWidget* parent)
    : QDialog(parent), connectedPause_(connectedPause) {
  setWindowTitle(Text(kProgressTitle));
  setWindowIcon(SetupIcon());
  QFont font = this->font();
  font.setPointSize(8);
  setFont(font);
  setFixedSize(DialogSize(186, 74));

  auto* icon = new QLabel(this);
  const QRect iconRect = DialogRect(14, 22, 21, 20);
  icon->setGeometry(iconRect);
  icon->setAlignment(Qt::AlignCenter);
  icon->setPixmap(SetupIconPixmap(32));

  text_ = new QLabel(Text(kPleaseWaitText), this);
  text_->setGeometry(DialogRect(48, 27, 124, 10));
  SetControlId(text_, kWaitTextId);

  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->geometry();
    move(area.left() + (area.width() - width()) / 2, area.top() + (area.height() - height()) / 2);
  }
}

void ProgressDialog::ShowConnected() {
  if (connected_) return;
  connected_ = true;
  text_->setText(Text(kConnectedText));
  QTimer::singleShot(connectedPause_, this, [this] { done(0); });
}

QString ProgressDialog::WaitText() const {
  return text_->text();
}

ProgressWindowOnGui::ProgressWindowOnGui(QObject* parent) : QObject(parent) {}

ProgressWindowOnGui::~ProgressWindowOnGui() {
  delete dialog_;
}

void ProgressWindowOnGui::Open() {
  RunOnGuiThread(this, GuiCall::Post, [this] {
    if (state_ != State::NotShown) return;  // closed before it could show: stays closed
    state_ = State::Shown;
    dialog_ = new ProgressDialog();
    dialog_->setWindowModality(Qt::ApplicationModal);
    connect(dialog_, &QDialog::finished, this, [this] { End(); });
    dialog_->show();
    dialog_->raise();
    dialog_->activateWindow();
    emit Opened(dialog_);
    if (connectedPending_) dialog_->ShowConnected();
  });
}

void ProgressWindowOnGui::Close() {
  RunOnGuiThread(this, GuiCall::Wait, [this] {
    if (state_ == State::Shown && dialog_) {
      dialog_->done(0);
    } else {
      state_ = State::Ended;
    }
  });
}

void ProgressWindowOnGui::NotifyConnected() {
  RunOnGuiThread(this, GuiCall::Post, [this] {
    if (state_ == State::NotShown) {
      connectedPending_ = true;
    } else if (state_ == State::Shown && dialog_) {
      dialog_->ShowConnected();
    }
  });
}

void ProgressWindowOnGui::End() {
  if (state_ == State::Ended) return;
  state_ = State::Ended;
  if (dialog_) dialog_->deleteLater();
  emit Ended();
}

}  // namespace quidora::setup
