// The about page: the program's icon, name, version ("%d.%d" of MajorVersion and MinorVersion)
// and description, under a navigation bar without a title (its template has none). Ends with 1
// from its Done button; F1 shows the help contents.
#pragma once

#include "platform/ui/full_screen_dialog.h"

namespace quidora {

struct Settings;

class AboutPage : public ui::FullScreenDialog {
  Q_OBJECT

 public:
  inline static const char* const kHelpContents = "\\Windows\\equidora.htc";

  AboutPage(ui::DeviceScreen& screen, const Settings& settings);

  static QString VersionText(const Settings& settings);

 protected:
  void OnOpened() override;
};

}  // namespace quidora
