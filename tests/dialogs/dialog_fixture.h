// A whole program state over a temporary object store, a fixed clock and scripted messages,
// with a recording DialogHost, for driving the editing dialogs end to end.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QRect>
#include <QTemporaryDir>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <tuple>
#include <vector>

#include "dialog_driver.h"
#include "dialogs/dialog_host.h"
#include "platform/clock.h"
#include "platform/registry.h"
#include "platform/ui/control_id.h"
#include "platform/ui/device_screen.h"
#include "scripted_messages.h"
#include "program/program.h"
#include "store/databases.h"

namespace quidora::testing {

// Records what the dialogs ask of the main window; the undo list is the program's own.
class RecordingHost : public DialogHost {
 public:
  explicit RecordingHost(Program& program) : program_(program) {}

  void UpdateCommandStates() override { calls.push_back(u"UpdateCommandStates"); }
  bool PushDeleted(const MoneyRecord& record) override;
  void DropDeletedOfAccount(std::uint32_t accountKey) override;
  void RemoveMoneyRecordAndRow(int position) override;
  void AddAccountChoice(std::u16string_view name) override;
  bool RemoveAccountChoice(std::u16string_view name) override;
  void SelectAccountChoice(std::u16string_view name) override;
  void RepaintAccountView() override { calls.push_back(u"RepaintAccountView"); }
  void MoneyListReloaded() override { calls.push_back(u"MoneyListReloaded"); }

  std::vector<std::u16string> calls;
  std::vector<std::u16string> chooser;  // the account chooser's entries
  std::u16string selected;              // its selected entry

 private:
  Program& program_;
};

// A control's id and its rectangle in the tall (240 by 320) and in the wide layout.
using Place = std::tuple<int, QRect, QRect>;
// Every control of `places` found in `dialog` and standing where the layout puts it.
void ExpectPlaces(const QWidget& dialog, std::span<const Place> places, bool wide);

class DialogTest : public ::testing::Test {
 protected:
  DialogTest();
  ~DialogTest() override;

  // Stores an account created on `created` and appends it to the account list (and the
  // chooser); the first becomes the current account. Returns its key.
  std::uint32_t AddAccount(std::u16string_view name, SystemTime created = Date(2005, 1, 10));
  void AddCategory(std::u16string_view name);
  // Stores a money record and returns its key; the money list is not touched.
  std::uint32_t AddMoney(std::uint32_t accountKey, std::u16string_view category, std::int32_t cents,
                         std::uint32_t type = kExpense, SystemTime date = Date(2005, 10, 29));
  // Makes `key` the current account and loads its money records.
  void ShowAccount(std::uint32_t key);
  // Every stored money record (the money list is restored afterwards).
  std::vector<std::pair<std::uint32_t, std::u16string>> StoredMoney();  // account key, category
  std::vector<std::u16string> CategoryNames() const;
  // Switches the emulated screen between 240 by 320 and 320 by 240.
  void UseScreen(int width, int height);

  static SystemTime Date(int year, int month, int day);
  // The widget that has the keyboard focus.
  static QWidget* Focused() { return QApplication::focusWidget(); }
  template <class T = QWidget>
  static T* Control(QWidget& dialog, int id) {
    T* control = ui::FindControl<T>(&dialog, id);
    EXPECT_NE(control, nullptr) << "no control " << id;
    return control;
  }

  QTemporaryDir home_;
  platform::FixedClock clock_{Date(2006, 3, 15)};
  std::unique_ptr<Databases> store_;
  platform::Registry registry_;
  ScriptedMessages messages_;
  ui::DeviceScreen screen_{QSize(240, 320)};
  std::unique_ptr<Program> program_;
  std::unique_ptr<RecordingHost> host_;
  std::unique_ptr<DialogDriver> driver_;
};

}  // namespace quidora::testing
