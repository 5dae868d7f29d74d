// Shows the wait cursor for the lifetime of a scope, through the message service so that a box
// shown inside the scope removes it first and tests with a scripted service see it.
#pragma once

#include "core/message_service.h"

namespace quidora::ui {

class WaitCursor {
 public:
  explicit WaitCursor(MessageService& messages) : messages_(messages) {
    messages_.SetWaitCursor(true);
  }
  ~WaitCursor() { messages_.SetWaitCursor(false); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;

 private:
  MessageService& messages_;
};

}  // namespace quidora::ui
