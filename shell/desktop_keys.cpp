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

void Bind(MainWindow& window, const QKeySequence& keys, std::function<void()> run) {
  auto* shortcut = new QShortcut(keys, &window.View());
  shortcut->setContext(Qt::WidgetWithChildrenShortcut);
  QObject::connect(shortcut, &QShortcut::activated, &window.View(), std::move(run));
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
  Bind(window, QKeySequence(Qt::CTRL | Qt::Key_N), command(command::kNewTransaction));
  Bind(window, QKeySequence(Qt::CTRL | Qt::Key_Z), command(command::kUndoDeleting));
  Bind(window, QKeySequence(Qt::Key_Delete), [&program, &window] {
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
