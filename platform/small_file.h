// Reading a small file whose name someone else may have chosen what to put under: the open
// never waits (a FIFO would hold the reader until a writer comes), anything but a regular file
// is refused, and no more than a cap is read (a device such as /dev/zero never ends).
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>

namespace quidora::platform {

struct SmallFile {
  std::optional<std::string> text;  // the whole contents; nullopt when refused
  int error = 0;                    // errno of the refusal: ENOENT for a missing file
  std::string problem;              // the refusal in plain words ("is not a regular file")
};

SmallFile ReadSmallFile(const std::filesystem::path& file, std::size_t maxBytes);

}  // namespace quidora::platform
