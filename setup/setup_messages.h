// How the launcher tells the user something: a box without owner, with the launcher's title as
// caption and the error icon. Tests replace it with a scripted one.
#pragma once

#include <string_view>

namespace quidora::setup {

class SetupMessages {
 public:
  virtual ~SetupMessages() = default;
  // Returns once the user has closed the box. May be called from any thread.
  virtual void ShowError(std::string_view text) = 0;
};

}  // namespace quidora::setup
