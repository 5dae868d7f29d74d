// Registry files: whatever the text, reading stays defined, and what the registry writes back
// reads again without a damaged line and writes back identically.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/registry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using quidora::platform::Registry;
  const std::string text(reinterpret_cast<const char*>(data), size);
  Registry first = Registry::Parse(text);
  const std::string written = first.Serialize();
  Registry second = Registry::Parse(written);
  if (second.DamagedLines() != 0) {
    std::fprintf(stderr, "registry_file_fuzz: written text has %d damaged lines:\n%s\n",
                 second.DamagedLines(), written.c_str());
    std::abort();
  }
  if (second.Serialize() != written) {
    std::fprintf(stderr, "registry_file_fuzz: second write differs:\n%s\n", written.c_str());
    std::abort();
  }
  return 0;
}
