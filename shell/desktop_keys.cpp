#include "shell/desktop_keys.h"

#include <QShortcut>
#include <functional>

#include "platform/ui/device_screen.h"
#include "platform/ui/menu_bar.h"
#include "shell/account_view.h"
#include "shell/command_ids.h"
#include "shell/main_window.h"
#include "shell/money_list_view.h"
#include "program/program.h"
#include "resources/strings/string_table.h"
#include "store/record_writes.h"

namespace quidora {
namespace {

// The keys work from the account view and from the menu bar alike; from the bar they first
// leave its keyboard mode, as a chosen command does.
void Bind(Program& program, MainWindow& window, const QKeySequence& keys,
          const std::function<void()>& run) {
  ui::MenuBar& menu = program.screen.Menu();
  for (QWidget* owner : {static_cast<QWidget*>(&window.View()), static_cast<QWidget*>(&menu)}) {
    auto* shortcut = new QShortcut(keys, owner);
    shortcut->setContext(Qt::WidgetWithChildrenShortcut);
    QObject::connect(shortcut, &QShortcut::activated, owner, [&menu, run] {
      menu.EndKeyboard();
      run();
    });
  }
}

}  // namespace

void InstallDesktopKeys(Program& program, MainWindow& window) {
  const auto command = [&program, &window](int number) {
    return [&program, &window, number] {
      ui::MenuBar& menu = program.screen.Menu();
      if (program.screen.CurrentDialog() == nullptr && menu.IsCommandEnabled(number))
        window.RunCommand(number);
    };
  };
  Bind(program, window, QKeySequence(Qt::CTRL | Qt::Key_N), command(command::kNewTransaction));
  Bind(program, window, QKeySequence(Qt::CTRL | Qt::Key_Z), command(command::kUndoDeleting));
  Bind(program, window, QKeySequence(Qt::Key_Delete), [&program, &window] {
    if (program.screen.CurrentDialog() == nullptr) DeleteSelectedRow(program, window);
  });
}

bool DeleteSelectedRow(Program& program, MainWindow& window) {
  const int row = window.List().SelectedRow();
  if (row < 0) return false;
  const MoneyRecord* shown = program.money.FindByPosition(static_cast<std::size_t>(row));
  if (shown == nullptr) return false;
  if (program.messages.Show(LoadString(StringId::DeleteRecordQuestion), MessageIcon::Exclamation,
                            MessageButtons::YesNo) != MessageAnswer::Yes) {
    return false;
  }
  shown = program.money.FindByPosition(static_cast<std::size_t>(row));
  if (shown == nullptr) return false;
  const std::uint32_t key = shown->key;
  program.workMoney.Reset();
  program.workMoney.CopyFrom(*shown);
  if (!window.PushDeleted(program.workMoney)) return false;

  window.RemoveMoneyRecordAndRow(row);
  DeleteMoneyRecord(program.store, key, program.messages);
  program.workMoney.Reset();
  program.savedRow = -1;
  window.UpdateCommandStates();
  window.RecomputeBalance();
  return true;
}

}  // namespace quidora
