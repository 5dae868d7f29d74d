#include "scripted_messages.h"

#include <gtest/gtest.h>

#include <string>

namespace quidora::testing {
namespace {

std::string Narrow(std::u16string_view text) {
  std::string out;
  for (char16_t c : text) out += c < 0x80 ? static_cast<char>(c) : '?';
  return out;
}

}  // namespace

ScriptedMessages::~ScriptedMessages() {
  for (const Expected& e : expected_) {
    ADD_FAILURE() << "expected message never shown: " << Narrow(e.text);
  }
}

void ScriptedMessages::Expect(std::u16string text, MessageAnswer answer) {
  expected_.push_back({std::move(text), answer});
}

MessageAnswer ScriptedMessages::Show(std::u16string_view text, MessageIcon icon,
                                     MessageButtons buttons) {
  waitCursor = false;  // the real service removes the wait cursor before any box
  log.push_back({std::u16string(text), icon, buttons});
  if (expected_.empty()) {
    ADD_FAILURE() << "unexpected message: " << Narrow(text);
    return buttons == MessageButtons::YesNo ? MessageAnswer::No : MessageAnswer::Ok;
  }
  Expected next = expected_.front();
  expected_.pop_front();
  EXPECT_EQ(Narrow(next.text), Narrow(text)) << "a different message was shown";
  return next.answer;
}

}  // namespace quidora::testing
