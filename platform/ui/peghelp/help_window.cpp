#include "help_window.h"

#include <QHBoxLayout>
#include <QTextBrowser>
#include <QToolButton>
#include <QVBoxLayout>

#include "help_location.h"

namespace quidora::help {

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent) {
  setWindowTitle(tr("Quidora Help"));
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);

  auto* bar = new QHBoxLayout;
  bar->setContentsMargins(4, 2, 4, 2);
  auto* contents = new QToolButton(this);
  contents->setText(tr("Contents"));
  contents->setAccessibleName(tr("Contents"));
  back_ = new QToolButton(this);
  back_->setText(tr("Back"));
  back_->setAccessibleName(tr("Back"));
  back_->setEnabled(false);
  bar->addWidget(contents);
  bar->addWidget(back_);
  bar->addStretch(1);
  column->addLayout(bar);

  browser_ = new QTextBrowser(this);
  browser_->setAccessibleName(tr("Help page"));
  // Only the bundled pages are followed; nothing is handed to other programs.
  browser_->setOpenExternalLinks(false);
  browser_->setOpenLinks(false);
  column->addWidget(browser_, 1);

  connect(contents, &QToolButton::clicked, this, [this] { Show(HelpUrl(QString())); });
  connect(back_, &QToolButton::clicked, browser_, &QTextBrowser::backward);
  connect(browser_, &QTextBrowser::backwardAvailable, back_, &QToolButton::setEnabled);
  connect(browser_, &QTextBrowser::anchorClicked, this, [this](const QUrl& link) {
    const QUrl target = browser_->source().resolved(link);
    if (target.scheme() == QStringLiteral("qrc")) browser_->setSource(target);
  });
}

void HelpWindow::Show(const QUrl& url) { browser_->setSource(url); }

}  // namespace quidora::help
