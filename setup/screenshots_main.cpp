// quidsetup_screenshots FOLDER: renders the launcher's windows into PNG files in FOLDER.
#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <cstdio>
#include <cstdlib>

#include "setup/progress_dialog.h"
#include "setup/setup_dialog.h"
#include "setup/setup_pictures.h"
#include "setup/setup_strings.h"

namespace {

bool Save(QWidget& window, const QDir& folder, const QString& name) {
  window.show();
  QApplication::processEvents();
  const QString file = folder.filePath(name);
  if (!window.grab().save(file)) {
    std::fprintf(stderr, "quidsetup_screenshots: cannot write %s\n", qPrintable(file));
    return false;
  }
  std::printf("%s\n", qPrintable(file));
  window.hide();
  return true;
}

QString Text(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

int main(int argc, char** argv) {
  using namespace quidora::setup;
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: quidsetup_screenshots FOLDER\n");
    return 2;
  }
  QDir folder(QString::fromLocal8Bit(argv[1]));
  if (!folder.mkpath(QStringLiteral("."))) {
    std::fprintf(stderr, "quidsetup_screenshots: cannot make %s\n", argv[1]);
    return 1;
  }

  bool saved = true;
  SetupDialog setup([] { return kStopResult; });
  saved &= Save(setup, folder, QStringLiteral("setup-dialog.png"));

  ProgressDialog waiting;
  saved &= Save(waiting, folder, QStringLiteral("setup-progress-waiting.png"));
  ProgressDialog connected;
  connected.ShowConnected();
  saved &= Save(connected, folder, QStringLiteral("setup-progress-connected.png"));

  QMessageBox box(QMessageBox::Critical, Text(SetupText(SetupString::Title)),
                  Text(SetupText(SetupString::NoConnection)), QMessageBox::Ok);
  saved &= Save(box, folder, QStringLiteral("setup-message-no-connection.png"));

  const QString iconFile = folder.filePath(QStringLiteral("setup-icon.png"));
  if (SetupIconPixmap(48).save(iconFile)) {
    std::printf("%s\n", qPrintable(iconFile));
  } else {
    std::fprintf(stderr, "quidsetup_screenshots: cannot write %s\n", qPrintable(iconFile));
    saved = false;
  }
  return saved ? 0 : 1;
}
