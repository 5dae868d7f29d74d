// How the domain talks to the user. Core and storage operations show their own messages
// (overflow, failed sorts, database errors) through this interface; the UI implements it with
// message boxes, tests with a scripted queue.
#pragma once

#include <string_view>

namespace quidora {

enum class MessageIcon { Stop, Exclamation };
enum class MessageButtons { Ok, YesNo };
enum class MessageAnswer { Ok, Yes, No };

class MessageService {
 public:
  virtual ~MessageService() = default;
  // A message box without owner, with the program's title as caption. Implementations remove
  // the wait cursor before the box appears.
  virtual MessageAnswer Show(std::u16string_view text, MessageIcon icon,
                             MessageButtons buttons = MessageButtons::Ok) = 0;
  virtual void Beep() = 0;
  virtual void SetWaitCursor(bool shown) = 0;
};

}  // namespace quidora
