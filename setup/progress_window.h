// The progress window as the install steps and the connection thread see it. Every call may come
// from any thread.
#pragma once

namespace quidora::setup {

class ProgressWindow {
 public:
  virtual ~ProgressWindow() = default;
  // Shows the window and returns at once.
  virtual void Open() = 0;
  // Asks the window to close and returns once it has; a window not yet shown never shows.
  virtual void Close() = 0;
  // The connection is made: the window shows "Connected." for a moment and closes. A notice that
  // comes before the window exists is kept and delivered when it appears.
  virtual void NotifyConnected() = 0;
};

}  // namespace quidora::setup
