#include "shell/about_page.h"

#include <QLabel>

#include "dialogs/dialog_controls.h"
#include "platform/ui/control_id.h"
#include "platform/ui/device_screen.h"
#include "platform/ui/images.h"
#include "platform/ui/input_panel.h"
#include "platform/ui/text.h"
#include "shell/command_ids.h"
#include "store/settings.h"

namespace quidora {

namespace {

// The places have no numbers of their own but the version's; these only place them.
constexpr int kIcon = 1900;
constexpr int kProduct = 1901;
constexpr int kVersionLabel = 1902;
constexpr int kDescription = 1903;

// The template's places in dialog units, in the dialog font's pixels (a horizontal unit is
// 1.5 pixels, a vertical one 1.625), the same in both arrangements. The texts' boxes are widened
// to what the dialog font needs: the template measured them for the handheld's narrower face.
const dialogs::LayoutTable kLayout{
    {kIcon, {18, 19, 30, 34}, {18, 19, 30, 34}},
    {kProduct, {67, 17, 115, 15}, {67, 17, 115, 15}},
    {kVersionLabel, {67, 34, 55, 15}, {67, 34, 55, 15}},
    {control::kVersionText, {126, 34, 64, 15}, {126, 34, 64, 15}},
    {kDescription, {43, 99, 160, 15}, {43, 99, 160, 15}},
};

}  // namespace

AboutPage::AboutPage(ui::DeviceScreen& screen, const Settings& settings)
    : TableDialog(screen, QString(), QString::fromLatin1(kHelpContents), kLayout) {
  setAccessibleName(ui::LoadQString(StringId::Title));
  SetPanelOnActivation(PanelOnActivation::LowerWhenActivated);

  QLabel* icon = dialogs::MakeLabel(this, kIcon, QString());
  icon->setPixmap(QPixmap::fromImage(ui::ProgramIconImage(kLayout.Rect(kIcon, false).width())));
  icon->setAccessibleName(ui::LoadQString(StringId::Title));

  QLabel* product = dialogs::MakeLabel(this, kProduct, ui::LoadQString(StringId::Title));
  QFont bold = product->font();
  bold.setBold(true);
  product->setFont(bold);
  QLabel* versionLabel = dialogs::MakeLabel(this, kVersionLabel, QStringLiteral("Version:"));
  dialogs::ShowValue(dialogs::MakeValueLabel(this, control::kVersionText, versionLabel->text()),
                     VersionText(settings));
  dialogs::MakeLabel(this, kDescription, QStringLiteral("Personal Finance Manager"));
}

QString AboutPage::VersionText(const Settings& settings) {
  return QStringLiteral("%1.%2").arg(settings.majorVersion).arg(settings.minorVersion);
}

}  // namespace quidora
