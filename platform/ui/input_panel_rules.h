// The input-panel rules that every dialog follows: a text field taking the focus raises the
// panel; a drop-down list or a date picker's calendar opening lowers it. Dialogs with text
// fields raise it again when the list or calendar closes; dialogs without text fields leave it
// down. Watch any number of fields, lists and pickers.
#pragma once

#include <QComboBox>
#include <QObject>
#include <vector>

class QDateEdit;
class QLineEdit;

namespace quidora::ui {

class InputPanel;

// A drop-down list that signals when its list opens and closes.
class DropDownList : public QComboBox {
  Q_OBJECT

 public:
  explicit DropDownList(QWidget* parent = nullptr) : QComboBox(parent) {}
  void showPopup() override;
  void hidePopup() override;

 signals:
  void ListOpened();
  void ListClosed();
};

class InputPanelRules : public QObject {
  Q_OBJECT

 public:
  enum class AfterPopup {
    RaisePanel,     // a dialog with text fields: the panel comes back when a popup closes
    LeavePanelDown  // a dialog without text fields
  };

  InputPanelRules(InputPanel& panel, QObject* parent,
                  AfterPopup afterPopup = AfterPopup::RaisePanel);
  void WatchTextField(QLineEdit* field);
  void WatchDropDown(DropDownList* list);
  void WatchDatePicker(QDateEdit* picker);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void PopupOpened();
  void PopupClosed();

  InputPanel& panel_;
  AfterPopup afterPopup_;
  std::vector<QObject*> textFields_;
  std::vector<QObject*> calendars_;
};

}  // namespace quidora::ui
