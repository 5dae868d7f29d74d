// The bar at the top of the device screen: the program's title, or while a full-screen dialog
// runs, that dialog's title and its OK/Done button at the right.
#pragma once

#include <QString>
#include <QWidget>

class QLabel;
class QPushButton;

namespace quidora::ui {

class NavigationBar : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kHeight = 26;

  explicit NavigationBar(QWidget* parent = nullptr);

  void SetTitle(const QString& title);
  QString Title() const;

  // Shows the title button with `text` ("OK", "Done"); an empty text hides it.
  void SetTitleButton(const QString& text);
  QPushButton* TitleButton() const { return titleButton_; }

 signals:
  void TitleButtonClicked();

 private:
  QLabel* title_ = nullptr;
  QPushButton* titleButton_ = nullptr;
};

}  // namespace quidora::ui
