// The about page: the program's icon, name, version ("%d.%d" of MajorVersion and MinorVersion)
// and description, under a navigation bar without a title (its template has none). Ends with 1
// from the title bar's OK; F1 shows the help contents. The input panel is lowered whenever it
// becomes active.
#pragma once

#include "dialogs/table_dialog.h"

namespace quidora {

struct Settings;

class AboutPage : public dialogs::TableDialog {
  Q_OBJECT

 public:
  inline static const char* const kHelpContents = "\\Windows\\equidora.htc";

  AboutPage(ui::DeviceScreen& screen, const Settings& settings);

  static QString VersionText(const Settings& settings);
};

}  // namespace quidora
