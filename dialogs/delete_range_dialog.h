// "Delete by Range": deletes, after one question, every money record of the shown account whose
// date lies within the two picked dates, both included. The deletions are stored all or none;
// they do not enter the undo list.
#pragma once

#include "dialogs/table_dialog.h"

class QDateEdit;

namespace quidora {

class Program;
class DialogHost;

namespace dialogs {

class DeleteRangeDialog : public TableDialog {
  Q_OBJECT

 public:
  DeleteRangeDialog(Program& program, DialogHost& host);

  // The title-bar button leaves without deleting.
  void OnTitleOk() override;

 protected:
  void OnOpened() override;

 private:
  void FindRecords();
  // Fills the range list from the money list; false when the start date lies after the end.
  bool CollectRange();

  Program& program_;
  DialogHost& host_;
  QDateEdit* start_;
  QDateEdit* end_;
};

}  // namespace dialogs
}  // namespace quidora
