// "Delete by Range": deletes, after one question, every money record of the shown account whose
// date lies within the two picked dates, both included. The deletions are stored all or none;
// they do not enter the undo list.
#pragma once

#include "platform/ui/full_screen_dialog.h"

class QDateEdit;

namespace quidora {

class Program;

namespace dialogs {

class DeleteRangeDialog : public ui::FullScreenDialog {
  Q_OBJECT

 public:
  explicit DeleteRangeDialog(Program& program);

  // The title-bar button leaves without deleting.
  void OnTitleOk() override;

 protected:
  void OnOpened() override;
  void OnActivated() override;
  void resizeEvent(QResizeEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  void FindRecords();
  // Fills the range list from the money list; false when the start date lies after the end.
  bool CollectRange();

  Program& program_;
  QDateEdit* start_;
  QDateEdit* end_;
};

}  // namespace dialogs
}  // namespace quidora
