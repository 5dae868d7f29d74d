// "View Options": how dates and amounts are shown, each from a drop-down list with a sample that
// follows the choice. OK stores both choices in the settings; Cancel changes nothing.
#pragma once

#include "platform/ui/full_screen_dialog.h"

class QLabel;
class QPushButton;

namespace quidora {

class Program;

namespace ui {
class DropDownList;
}

namespace dialogs {

class ViewOptionsDialog : public ui::FullScreenDialog {
  Q_OBJECT

 public:
  explicit ViewOptionsDialog(Program& program);

  void OnTitleOk() override { Confirm(); }

  // The sample shown for an entry of each list; an index outside the list (a damaged setting)
  // shows the first entry's sample.
  static QString DateSample(int index);
  static QString AmountSample(int index);

 protected:
  void OnOpened() override;
  void OnActivated() override;
  void resizeEvent(QResizeEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  void Arrange();
  void Confirm();

  Program& program_;
  QLabel* heading_;
  ui::DropDownList* dateList_;
  QLabel* dateSample_;
  ui::DropDownList* groupingList_;
  QLabel* amountSample_;
};

}  // namespace dialogs
}  // namespace quidora
