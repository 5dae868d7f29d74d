#include "platform/ui/message_box.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>

#include "platform/ui/control_id.h"

namespace quidora::ui {
namespace {

constexpr int kMargin = 8;
constexpr int kWidestBox = 300;

QPushButton* AnswerButton(const QString& text, int id, QWidget* parent) {
  auto* button = SetControlId(new QPushButton(text, parent), id);
  button->setAccessibleName(text);
  button->setMinimumWidth(60);
  return button;
}

}  // namespace

MessageBox::MessageBox(const QString& caption, const QString& text, MessageIcon icon,
                       MessageButtons buttons, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint),
      icon_(icon),
      buttons_(buttons),
      answer_(buttons == MessageButtons::YesNo ? MessageAnswer::No : MessageAnswer::Ok) {
  setWindowTitle(caption);
  setAccessibleName(caption);
  setAccessibleDescription(text);
  setWindowModality(Qt::ApplicationModal);
  setObjectName("messageBox");
  setStyleSheet(
      QStringLiteral("QDialog#messageBox { background: white; border: 1px solid #203060; }"
                     "QLabel#messageCaption { background: #002878; color: white; font-weight: bold;"
                     " padding: 3px 6px; }"));

  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(1, 1, 1, kMargin);
  column->setSpacing(kMargin);

  auto* captionLabel = new QLabel(caption, this);
  captionLabel->setObjectName("messageCaption");
  captionLabel->setTextFormat(Qt::PlainText);
  column->addWidget(captionLabel);

  auto* body = new QHBoxLayout;
  body->setContentsMargins(kMargin, 0, kMargin, 0);
  body->setSpacing(kMargin);
  auto* iconLabel = new QLabel(this);
  const QStyle::StandardPixmap pixmap =
      icon == MessageIcon::Stop ? QStyle::SP_MessageBoxCritical : QStyle::SP_MessageBoxWarning;
  iconLabel->setPixmap(style()->standardIcon(pixmap).pixmap(32, 32));
  iconLabel->setAlignment(Qt::AlignTop);
  iconLabel->setAccessibleName(icon == MessageIcon::Stop ? tr("Error") : tr("Warning"));
  body->addWidget(iconLabel);
  text_ = new QLabel(text, this);
  text_->setObjectName("messageText");
  text_->setTextFormat(Qt::PlainText);
  text_->setWordWrap(true);
  text_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  text_->setAccessibleName(text);
  body->addWidget(text_, 1);
  column->addLayout(body, 1);

  auto* row = new QHBoxLayout;
  row->addStretch(1);
  if (buttons == MessageButtons::YesNo) {
    QPushButton* yes = AnswerButton(tr("Yes"), kYesId, this);
    QPushButton* no = AnswerButton(tr("No"), kNoId, this);
    connect(yes, &QPushButton::clicked, this, [this] { Choose(MessageAnswer::Yes); });
    connect(no, &QPushButton::clicked, this, [this] { Choose(MessageAnswer::No); });
    row->addWidget(yes);
    row->addWidget(no);
    yes->setDefault(true);
  } else {
    QPushButton* ok = AnswerButton(tr("OK"), kOkId, this);
    connect(ok, &QPushButton::clicked, this, [this] { Choose(MessageAnswer::Ok); });
    row->addWidget(ok);
    ok->setDefault(true);
  }
  row->addStretch(1);
  column->addLayout(row);
}

void MessageBox::PlaceInside(const QRect& screen) {
  const int width = std::min(screen.width() - 2 * kMargin, kWidestBox);
  const int wanted = layout()->totalHeightForWidth(width);
  const int height = std::min(std::max(wanted, 80), screen.height() - 2 * kMargin);
  resize(width, height);
  move(screen.left() + (screen.width() - width) / 2, screen.top() + (screen.height() - height) / 2);
}

QString MessageBox::Text() const {
  return text_->text();
}

void MessageBox::Choose(MessageAnswer answer) {
  answer_ = answer;
  done(answer == MessageAnswer::No ? QDialog::Rejected : QDialog::Accepted);
}

void MessageBox::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    Choose(buttons_ == MessageButtons::YesNo ? MessageAnswer::No : MessageAnswer::Ok);
    return;
  }
  QDialog::keyPressEvent(event);
}

}  // namespace quidora::ui
