#include "setup/message_boxes.h"

#include <QMessageBox>

#include "setup/gui_thread.h"
#include "setup/setup_pictures.h"
#include "setup/setup_strings.h"

namespace quidora::setup {

void MessageBoxes::ShowError(std::string_view text) {
  const QString message = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
  RunOnGuiThread(this, GuiCall::Wait, [message] {
    const std::string_view title = SetupText(SetupString::Title);
    QMessageBox box(QMessageBox::Critical,
                    QString::fromUtf8(title.data(), static_cast<qsizetype>(title.size())), message,
                    QMessageBox::Ok);
    box.setWindowIcon(SetupIcon());
    box.exec();
  });
}

}  // namespace quidora::setup
