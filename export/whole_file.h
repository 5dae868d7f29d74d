// Writing a file whole: the bytes go to a new hidden file beside the target, which takes the
// target's name only once it is complete and on the disk; the folder is then synced so that the
// name survives a power cut too. Until the rename the target is untouched, and a failure before
// it leaves no temporary file behind.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <string>

#include "export/csv_files.h"

namespace quidora {

namespace platform {
class IoFaults;
}

// A descriptor closed when it goes out of scope.
class OwnedDescriptor {
 public:
  explicit OwnedDescriptor(int fd) : fd_(fd) {}
  ~OwnedDescriptor();
  OwnedDescriptor(const OwnedDescriptor&) = delete;
  OwnedDescriptor& operator=(const OwnedDescriptor&) = delete;
  int get() const { return fd_; }
  // Closes now; false when the close reports an error (a delayed write failure).
  bool Close();

 private:
  int fd_;
};

// The step that failed; errno says why.
enum class WholeFileStep : std::uint8_t { Done, Create, Write, Name, FolderSync };

struct WholeFileOptions {
  const char* temporaryPrefix;           // the hidden name's start, such as ".quidora-export-"
  mode_t mode = 0600;                    // of the new file, before the umask
  bool replace = false;                  // false: a name that is taken is never taken over
  platform::IoFaults* faults = nullptr;  // tests: injected failures
  // The mode of the regular file being replaced, which the new one keeps; -1 when none is.
  int keptMode = -1;
};

// Writes the bytes of `fill` as the file `name` in the open folder `folder`. `fill` returns false
// when the sink refused bytes.
WholeFileStep WriteWholeFile(int folder, const std::string& name, const WholeFileOptions& options,
                             const std::function<bool(ByteSink&)>& fill);

}  // namespace quidora
