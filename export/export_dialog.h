// The dialog behind the three export entry points (export_dialogs.h). The three differ only in
// their control ids, help topic, remembered name and writer.
#pragma once

#include <QString>
#include <functional>
#include <string>

#include "dialogs/table_dialog.h"
#include "export/export_writers.h"

class QLineEdit;
class QRadioButton;

namespace quidora {

class Program;

namespace dialogs {

struct ExportDialogIds {
  int fileGroup;  // "Comma Separated Values file"
  int nameLabel;
  int name;
  int typeGroup;  // "Save file as"
  int ascii;
  int unicode;
  int folderGroup;  // "Save in folder"
  int business;
  int personal;
  int cancel;
  int ok;
};

inline constexpr ExportDialogIds kTransactionsExportIds{1082, 1083, 1084, 1085, 1086, 1087,
                                                        1088, 1089, 1090, 1091, 1092};
inline constexpr ExportDialogIds kReportExportIds{1096, 1097, 1098, 1099, 1100, 1101,
                                                  1102, 1103, 1104, 1106, 1105};

class ExportDialog : public TableDialog {
  Q_OBJECT

 public:
  // Writes the file the request names; called with the wait cursor showing.
  using Writer = std::function<ExportResult(const ExportRequest&, const ExportServices&)>;

  // `rememberedName` outlives the dialog: it is offered on opening and replaced by each
  // accepted name.
  ExportDialog(Program& program, const ExportDialogIds& ids, const QString& helpTopic,
               std::u16string& rememberedName, Writer write);

  void OnTitleOk() override { Confirm(); }

 protected:
  void OnOpened() override;

 private:
  void Confirm();
  void Cancel();
  void BackToName();

  Program& program_;
  ExportDialogIds ids_;
  std::u16string& rememberedName_;
  Writer write_;
  QLineEdit* name_;
  QRadioButton* ascii_;
  QRadioButton* unicode_;
  QRadioButton* business_;
  QRadioButton* personal_;
};

}  // namespace dialogs
}  // namespace quidora
