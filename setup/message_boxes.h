// The launcher's messages as real message boxes: no owner, the launcher's title as caption, the
// error icon, shown on the GUI thread whichever thread asks.
#pragma once

#include <QObject>

#include "setup/setup_messages.h"

namespace quidora::setup {

class MessageBoxes : public QObject, public SetupMessages {
  Q_OBJECT

 public:
  using QObject::QObject;
  void ShowError(std::string_view text) override;
};

}  // namespace quidora::setup
