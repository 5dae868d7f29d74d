// A temporary file that an interrupt or a termination request must not leave behind. While an
// object lives, SIGINT and SIGTERM first remove the file, then end the program as they would
// have (the same signal, with the default action), so the shell still sees the signal.
#pragma once

#include <functional>
#include <string>

namespace quidora::cli {

class RemovedOnSignal {
 public:
  // Only one object may live at a time.
  RemovedOnSignal();
  ~RemovedOnSignal();
  RemovedOnSignal(const RemovedOnSignal&) = delete;
  RemovedOnSignal& operator=(const RemovedOnSignal&) = delete;

  // Makes the file by `create`, which returns its descriptor (or -1) and sets its name in
  // `folder` (an open descriptor; at most 63 bytes). The signals wait meanwhile, so there is no
  // moment when the file exists unguarded.
  int Create(int folder, const std::function<int(std::string&)>& create);
};

}  // namespace quidora::cli
