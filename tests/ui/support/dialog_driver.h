// Drives full-screen dialogs in tests without timers. Queue one handler per dialog that will open,
// in opening order (a dialog opened from a handler takes the next one); each handler runs when
// its dialog is on the screen and before its loop starts, and must end it (by clicking its
// buttons or calling End). A handler that returns with its dialog still running failed: the
// driver reports it and ends the dialog with kWatchdogEnd, so the test goes on instead of
// hanging. A dialog with no handler left is reported and ended the same way, and a time limit
// ends anything still running after the handlers.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

#include "platform/ui/control_id.h"
#include "platform/ui/device_screen.h"
#include "platform/ui/full_screen_dialog.h"

class QTimer;
class QWidget;

namespace quidora::testing {

class DialogDriver : public QObject {
  Q_OBJECT

 public:
  static constexpr int kWatchdogEnd = -999;
  using Handler = std::function<void(ui::FullScreenDialog& dialog)>;

  explicit DialogDriver(ui::DeviceScreen& screen, int timeLimitMs = 10000);
  // Reports handlers that never ran.
  ~DialogDriver() override;

  DialogDriver& Then(Handler handler);
  // A handler for a dialog of type D; another type is reported and the dialog ended.
  template <class D>
  DialogDriver& ThenAs(std::function<void(D& dialog)> handler) {
    return Then([handler](ui::FullScreenDialog& dialog) {
      if (auto* typed = dynamic_cast<D*>(&dialog)) {
        handler(*typed);
      } else {
        ReportWrongType(dialog);
      }
    });
  }

  // Titles of the dialogs opened so far, in opening order.
  const QStringList& Opened() const { return opened_; }
  int Unhandled() const { return static_cast<int>(handlers_.size() - next_); }

 private:
  static void ReportWrongType(ui::FullScreenDialog& dialog);
  void OnOpened(ui::FullScreenDialog* dialog);

  ui::DeviceScreen& screen_;
  std::vector<Handler> handlers_;
  std::size_t next_ = 0;
  QStringList opened_;
  QTimer* timeLimit_ = nullptr;
};

// Clicks the button `id` inside `root` (a failure when it is missing, hidden or greyed).
void Click(QWidget* root, int id);
// Replaces the text of the line edit `id` inside `root` as a user typing would.
void TypeText(QWidget* root, int id, const QString& text);

}  // namespace quidora::testing
