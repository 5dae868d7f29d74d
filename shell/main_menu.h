// Menu bar 105 of the main window: the "New" button, the "Accounts" and "Tools" drop-downs of
// menu 105, the tooltips and the three toolbar buttons of bitmap 106.
#pragma once

#include "platform/ui/menu_bar.h"

namespace quidora {

ui::MenuBarDescription MainMenuDescription();

}  // namespace quidora
