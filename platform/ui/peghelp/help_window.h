// The help viewer's window: the page in a text browser, with Contents and Back above it.
#pragma once

#include <QUrl>
#include <QWidget>

class QTextBrowser;
class QToolButton;

namespace quidora::help {

class HelpWindow : public QWidget {
  Q_OBJECT

 public:
  explicit HelpWindow(QWidget* parent = nullptr);

  void Show(const QUrl& url);
  QTextBrowser* Browser() const { return browser_; }

 private:
  QTextBrowser* browser_ = nullptr;
  QToolButton* back_ = nullptr;
};

}  // namespace quidora::help
