#include "shell/main_menu.h"

#include "platform/ui/images.h"
#include "platform/ui/text.h"
#include "shell/command_ids.h"

namespace quidora {

ui::MenuBarDescription MainMenuDescription() {
  using ui::MenuEntry;
  ui::MenuBarDescription bar;

  bar.items.push_back(
      {ui::LoadQString(StringId::MenuNew), command::kNewTransaction, "New Transaction", {}});
  bar.items.push_back({ui::LoadQString(StringId::MenuAccounts),
                       command::kAccountsPopup,
                       {},
                       {
                           {"New Transaction...", command::kNewTransaction},
                           {"New Account...", command::kNewAccount},
                           MenuEntry::Separator(),
                           {"Accounts...", command::kAccounts},
                           {"Accounts Balance...", command::kAccountsBalance},
                           MenuEntry::Separator(),
                           {"Undo Deleting", command::kUndoDeleting},
                           {"Transactions Report...", command::kTransactionsReport},
                           MenuEntry::Separator(),
                           {"Exit", command::kExit},
                       }});
  bar.items.push_back({ui::LoadQString(StringId::MenuTools),
                       command::kToolsPopup,
                       {},
                       {
                           {"Edit Categories...", command::kEditCategories},
                           {"Delete by Range of Dates...", command::kDeleteByRange},
                           {"Empty Undo Transactions", command::kEmptyUndo},
                           MenuEntry::Separator(),
                           {"Export Transactions...", command::kExportTransactions},
                           {"View Options", command::kViewOptions},
                           MenuEntry::Separator(),
                           {"About", command::kAbout},
                       }});

  // The separator gap first, then the buttons with their images of bitmap 106.
  bar.buttons.push_back({0, 0, {}});
  bar.buttons.push_back(
      {command::kEditCategoriesButton, ui::kEditCategoriesImage, "Edit Categories"});
  bar.buttons.push_back(
      {command::kTransactionsReportButton, ui::kTransactionsReportImage, "Transactions Report"});
  bar.buttons.push_back({command::kUndoDeletingButton, ui::kUndoDeletingImage, "Undo Deleting"});
  bar.toolbarBitmap = ui::ToolbarBitmap();
  bar.imageSize = ui::kImageSize;
  return bar;
}

}  // namespace quidora
