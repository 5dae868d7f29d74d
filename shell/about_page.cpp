#include "shell/about_page.h"

#include <QLabel>
#include <algorithm>

#include "platform/ui/accessibility.h"
#include "platform/ui/control_id.h"
#include "platform/ui/device_screen.h"
#include "platform/ui/images.h"
#include "platform/ui/input_panel.h"
#include "platform/ui/text.h"
#include "shell/command_ids.h"
#include "store/settings.h"

namespace quidora {

namespace {

// Template positions are in dialog units; the device's dialog font makes a horizontal unit
// about 1.5 pixels and a vertical one about 1.625.
QRect FromDialogUnits(int left, int top, int width, int height) {
  return QRect(left * 3 / 2, top * 13 / 8, width * 3 / 2, height * 13 / 8 + 2);
}

QLabel* AddLabel(QWidget* parent, const QString& text, QRect where) {
  auto* label = new QLabel(text, parent);
  // The template's boxes were measured for the handheld's narrower font.
  where.setWidth(std::max(where.width(), label->sizeHint().width()));
  label->setGeometry(where);
  return label;
}

}  // namespace

AboutPage::AboutPage(ui::DeviceScreen& screen, const Settings& settings)
    : FullScreenDialog(screen, QString(), QString::fromLatin1(kHelpContents)) {
  SetTitleButtonText("Done");
  setAccessibleName(ui::LoadQString(StringId::Title));
  setAutoFillBackground(true);

  auto* icon = new QLabel(this);
  const QRect iconPlace = FromDialogUnits(12, 12, 20, 20);
  icon->setGeometry(iconPlace);
  icon->setPixmap(QPixmap::fromImage(ui::ProgramIconImage(iconPlace.width())));
  icon->setAccessibleName(ui::LoadQString(StringId::Title));

  QLabel* product =
      AddLabel(this, ui::LoadQString(StringId::Title), FromDialogUnits(45, 11, 77, 8));
  QFont bold = product->font();
  bold.setBold(true);
  product->setFont(bold);
  product->adjustSize();
  AddLabel(this, "Version:", FromDialogUnits(45, 21, 26, 8));
  ui::SetControlId(AddLabel(this, VersionText(settings), FromDialogUnits(84, 21, 43, 8)),
                   control::kVersionText);
  AddLabel(this, "Personal Finance Manager", FromDialogUnits(29, 61, 93, 8));
  ui::NameControls(this);
}

void AboutPage::OnOpened() {
  Screen().Panel().Lower();
}

QString AboutPage::VersionText(const Settings& settings) {
  return QStringLiteral("%1.%2").arg(settings.majorVersion).arg(settings.minorVersion);
}

}  // namespace quidora
