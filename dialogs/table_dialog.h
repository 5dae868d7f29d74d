// The base of the device program's dialogs: a full-screen dialog in the handheld's dialog font
// whose controls are placed by a layout table, in its wide or its tall arrangement.
//
// One rule chooses the arrangement for every dialog, from the screen and the dialog's own width:
// the wide one needs a screen other than the 240 by 320 one and a dialog at least 320 pixels
// across (the width the wide arrangements are drawn for); a narrower dialog, such as on a 240 by
// 400 screen, takes the tall one. The table is applied when the dialog opens and after every
// resize. Writing a dialog:
//
//   const LayoutTable kLayout{
//       {kDateList, {18, 29, 156, 22}, {18, 39, 156, 22}},
//       {kOk, {192, 57, 80, 21}, {153, 195, 80, 21}},
//   };
//   ViewOptionsDialog::ViewOptionsDialog(Program& program, DialogHost& host)
//       : TableDialog(program.screen, "View Options", kHelpTopic, kLayout), ... {
//     AddHeading(heading, kBlue, {6, 4}, QLine(6, 23, 218, 23), HeadingShows::TallOnly);
//     ...
//   }
//
// Controls shown in one arrangement only are hidden by the dialog in Arranged(wide).
#pragma once

#include <QColor>
#include <QLine>
#include <QPoint>
#include <QSize>
#include <vector>

#include "dialogs/layout_table.h"
#include "platform/ui/full_screen_dialog.h"

namespace quidora::dialogs {

class Heading;

enum class HeadingShows { Always, TallOnly };

class TableDialog : public ui::FullScreenDialog {
  Q_OBJECT

 public:
  // The width the wide arrangements are drawn for.
  static constexpr int kWideWidth = 320;
  // The one rule: the wide arrangement for a dialog `dialogWidth` pixels across on `screen`.
  static bool ChoosesWide(QSize screen, int dialogWidth);

  // The arrangement the dialog shows now (or will show when it opens).
  bool Wide() const;
  const LayoutTable& Layout() const { return layout_; }

 protected:
  TableDialog(ui::DeviceScreen& screen, const QString& title, const QString& helpTopic,
              LayoutTable layout);

  // A heading drawn at `at`, with a rule from `rule`'s start up to its end when given.
  Heading* AddHeading(const QString& text, const QColor& color, QPoint at, QLine rule = {},
                      HeadingShows shows = HeadingShows::Always);

  // Runs after the table has placed the controls: what shows in one arrangement only.
  virtual void Arranged(bool /*wide*/) {}

  void Arrange() final;

 private:
  LayoutTable layout_;
  std::vector<Heading*> tallOnly_;
};

}  // namespace quidora::dialogs
