// "View Options": how dates and amounts are shown, each from a drop-down list with a sample that
// follows the choice. OK stores both choices in the settings; Cancel changes nothing.
#pragma once

#include "dialogs/table_dialog.h"

class QLabel;

namespace quidora {

class Program;

namespace ui {
class DropDownList;
}

namespace dialogs {

class ViewOptionsDialog : public TableDialog {
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

 private:
  void Confirm();

  Program& program_;
  ui::DropDownList* dateList_;
  QLabel* dateSample_;
  ui::DropDownList* groupingList_;
  QLabel* amountSample_;
};

}  // namespace dialogs
}  // namespace quidora
