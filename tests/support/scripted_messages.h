// A MessageService for tests: a queue of expected texts with their answers, a log of every box
// shown, and a failure on any box that was not expected.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "core/message_service.h"

namespace quidora::testing {

struct ShownMessage {
  std::u16string text;
  MessageIcon icon;
  MessageButtons buttons;
};

class ScriptedMessages : public MessageService {
 public:
  ~ScriptedMessages() override;

  // The next box must show `text`; it is answered with `answer`.
  void Expect(std::u16string text, MessageAnswer answer = MessageAnswer::Ok);

  MessageAnswer Show(std::u16string_view text, MessageIcon icon, MessageButtons buttons) override;
  void Beep() override { ++beeps; }
  void SetWaitCursor(bool shown) override { waitCursor = shown; }

  // True when every expected box has been shown; reported as a test failure otherwise.
  bool AllShown() const { return expected_.empty(); }

  std::vector<ShownMessage> log;
  int beeps = 0;
  bool waitCursor = false;

 private:
  struct Expected {
    std::u16string text;
    MessageAnswer answer;
  };
  std::deque<Expected> expected_;
};

}  // namespace quidora::testing
