#include "platform/ui/navigation_bar.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPalette>
#include <QPushButton>

namespace quidora::ui {

NavigationBar::NavigationBar(QWidget* parent) : QWidget(parent) {
  setFixedHeight(kHeight);
  setAutoFillBackground(true);
  QPalette bar = palette();
  bar.setColor(QPalette::Window, QColor(0, 40, 120));
  bar.setColor(QPalette::WindowText, Qt::white);
  setPalette(bar);

  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(6, 0, 3, 0);
  layout->setSpacing(4);

  title_ = new QLabel(this);
  QFont bold = title_->font();
  bold.setBold(true);
  title_->setFont(bold);
  title_->setTextFormat(Qt::PlainText);
  layout->addWidget(title_, 1);

  titleButton_ = new QPushButton(this);
  titleButton_->setObjectName("titleButton");
  // The fields of the dialog keep the focus when the user taps OK.
  titleButton_->setFocusPolicy(Qt::NoFocus);
  titleButton_->setFixedHeight(kHeight - 6);
  titleButton_->setMinimumWidth(36);
  titleButton_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
  titleButton_->setStyleSheet(
      QStringLiteral("QPushButton { color: white; background: transparent; border: 1px solid white;"
                     " border-radius: 3px; padding: 0px 8px; font-weight: bold; }"
                     "QPushButton:pressed { background: #3060b0; }"));
  titleButton_->hide();
  layout->addWidget(titleButton_);

  connect(titleButton_, &QPushButton::clicked, this, &NavigationBar::TitleButtonClicked);
}

void NavigationBar::SetTitle(const QString& title) {
  title_->setText(title);
  title_->setAccessibleName(title);
}

QString NavigationBar::Title() const {
  return title_->text();
}

void NavigationBar::SetTitleButton(const QString& text) {
  titleButton_->setText(text);
  titleButton_->setAccessibleName(text);
  titleButton_->setVisible(!text.isEmpty());
}

}  // namespace quidora::ui
