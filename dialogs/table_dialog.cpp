#include "dialogs/table_dialog.h"

#include "dialogs/dialog_controls.h"
#include "dialogs/heading.h"
#include "platform/ui/device_screen.h"

namespace quidora::dialogs {

bool TableDialog::ChoosesWide(QSize screen, int dialogWidth) {
  return screen != ui::DeviceScreen::kDefaultScreenSize && dialogWidth >= kWideWidth;
}

TableDialog::TableDialog(ui::DeviceScreen& screen, const QString& title, const QString& helpTopic,
                         LayoutTable layout)
    : FullScreenDialog(screen, title, helpTopic), layout_(std::move(layout)) {
  UseDialogFont(this);
}

bool TableDialog::Wide() const {
  // Until the work area has given the dialog its size, it will be as wide as the screen.
  const int across = testAttribute(Qt::WA_Resized) ? width() : Screen().ScreenSize().width();
  return ChoosesWide(Screen().ScreenSize(), across);
}

Heading* TableDialog::AddHeading(const QString& text, const QColor& color, QPoint at, QLine rule,
                                 HeadingShows shows) {
  auto* heading = new Heading(this, text, color, at, rule);
  if (shows == HeadingShows::TallOnly) {
    tallOnly_.push_back(heading);
    heading->setVisible(!Wide());
  }
  return heading;
}

void TableDialog::Arrange() {
  const bool wide = Wide();
  layout_.Apply(this, wide);
  for (Heading* heading : tallOnly_) heading->setVisible(!wide);
  Arranged(wide);
}

}  // namespace quidora::dialogs
