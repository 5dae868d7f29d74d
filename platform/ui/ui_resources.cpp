#include "platform/ui/ui_resources.h"

#include <QtGlobal>

// Q_INIT_RESOURCE must be used outside any namespace.
static void InitUiResourcesOnce() {
  Q_INIT_RESOURCE(ui_resources);
}

namespace quidora::ui {

void InitUiResources() {
  static const bool done = [] {
    InitUiResourcesOnce();
    return true;
  }();
  (void)done;
}

}  // namespace quidora::ui
