// Widgets live on the GUI thread only; the install steps and the connection thread reach them
// through here.
#pragma once

#include <QMetaObject>
#include <QObject>
#include <QThread>
#include <utility>

namespace quidora::setup {

enum class GuiCall { Post, Wait };

// Runs `work` on `context`'s thread: at once when already there, otherwise posted, and with
// GuiCall::Wait the caller blocks until it has run.
template <typename Work>
void RunOnGuiThread(QObject* context, GuiCall call, Work&& work) {
  if (QThread::currentThread() == context->thread()) {
    work();
    return;
  }
  QMetaObject::invokeMethod(
      context, std::forward<Work>(work),
      call == GuiCall::Wait ? Qt::BlockingQueuedConnection : Qt::QueuedConnection);
}

}  // namespace quidora::setup
