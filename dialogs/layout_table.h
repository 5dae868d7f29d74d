// A dialog's placement table: for each control identifier its rectangle (left, top, width,
// height in pixels) in the wide layout and in the 240 by 320 (tall) layout. Applying it moves
// controls and nothing else: whether a control shows is the dialog's own state (a report's
// hidden Reset stays hidden through a rotation). A control with no place in a layout (an empty
// rectangle) is left where it is; hiding it there is the dialog's rule.
//
//   const LayoutTable kLayout{
//       {kStartPicker, {59, 25, 95, 18}, {59, 25, 95, 18}},
//       {kReset, {100, 133, 85, 21}, {140, 133, 90, 21}},
//   };
//
// A dialog hands its table to TableDialog (table_dialog.h), which chooses the arrangement and
// applies it; it never calls Apply itself.
#pragma once

#include <QRect>
#include <initializer_list>
#include <vector>

class QWidget;

namespace quidora::dialogs {

struct Placement {
  int id;
  QRect wide;
  QRect tall;
};

class LayoutTable {
 public:
  LayoutTable(std::initializer_list<Placement> placements) : placements_(placements) {}

  // Moves every control of the table found among the descendants of `root` to its rectangle in
  // the chosen layout. Visibility is never touched.
  void Apply(QWidget* root, bool wide) const;
  // The control's rectangle in a layout; empty when the table gives it none there.
  QRect Rect(int id, bool wide) const;

 private:
  std::vector<Placement> placements_;
};

}  // namespace quidora::dialogs
