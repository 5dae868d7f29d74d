// The on-screen keyboard. It sits above the menu bar over the bottom of the work area while it is
// raised and types into whichever field has the focus: letters, digits, space, backspace, ".",
// ",", and a shift key for the next letter. Its keys never take the focus themselves, so a tap
// leaves the caret where it was.
#pragma once

#include <QString>
#include <QWidget>
#include <vector>

class QPushButton;

namespace quidora::ui {

class InputPanel : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kHeight = 80;

  explicit InputPanel(QWidget* parent = nullptr);

  void Raise() { SetRaised(true); }
  void Lower() { SetRaised(false); }
  void SetRaised(bool raised);
  void Toggle() { SetRaised(!raised_); }
  bool IsRaised() const { return raised_; }

  bool IsShifted() const { return shifted_; }

  // The key whose face shows `face` ("a", "7", "Space", "Backspace", "Shift", "."), or nullptr.
  QPushButton* Key(const QString& face) const;

 signals:
  void RaisedChanged(bool raised);

 private:
  void Type(const QString& face);
  void SetShifted(bool shifted);

  bool raised_ = false;
  bool shifted_ = false;
  std::vector<QPushButton*> keys_;
};

}  // namespace quidora::ui
