#include "setup/setup_dialog.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

#include "setup/control_ids.h"
#include "setup/dialog_units.h"
#include "setup/gui_thread.h"
#include "setup/setup_pictures.h"
#include "setup/setup_strings.h"

namespace quidora::setup {
namespace {

QString Text(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

SetupDialog::SetupDialog(InstallWork work, QWidget* parent)
    : QDialog(parent), work_(std::move(work)) {
  setWindowTitle(Text(SetupText(SetupString::Title)));
  setWindowIcon(SetupIcon());
  QFont font = this->font();
  font.setPointSize(8);
  setFont(font);
  setFixedSize(DialogSize(298, 223));

  auto* picture = new QLabel(this);
  const QRect pictureRect = DialogRect(1, 1, 296, 193);
  picture->setGeometry(pictureRect);
  picture->setPixmap(SetupPicture(pictureRect.size()));
  picture->setAccessibleName(QStringLiteral("Quidora"));

  auto* cancel = new QPushButton(Text(kCancelText), this);
  cancel->setGeometry(DialogRect(165, 206, 55, 14));
  SetControlId(cancel, kCancelButtonId);
  cancel->setAutoDefault(false);
  connect(cancel, &QPushButton::clicked, this, &SetupDialog::reject);

  auto* install = new QPushButton(Text(kInstallNowText), this);
  install->setGeometry(DialogRect(234, 206, 55, 14));
  SetControlId(install, kInstallButtonId);
  install->setDefault(true);
  install->setFocus();
  connect(install, &QPushButton::clicked, this, &SetupDialog::InstallNow);

  // Centred on the screen with the size unchanged.
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->geometry();
    move(area.left() + (area.width() - width()) / 2, area.top() + (area.height() - height()) / 2);
  }
}

SetupDialog::~SetupDialog() = default;

void SetupDialog::reject() {
  if (working_) return;  // a close request while hidden and working has nobody to ask
  done(kStopResult);
}

void SetupDialog::InstallNow() {
  if (working_) return;
  working_ = true;
  hide();
  emit InstallStarted();
  worker_ = std::jthread([this] {
    const int result = work_();
    RunOnGuiThread(this, GuiCall::Post, [this, result] {
      worker_.join();
      working_ = false;
      done(result);
    });
  });
}

}  // namespace quidora::setup
