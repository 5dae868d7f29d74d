// Stored record properties: whatever the bytes, decoding stays defined and allocates no more
// than the bytes can describe; a record that decodes encodes to bytes that decode to it again.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <vector>

#include "platform/property.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace quidora::platform;
  Record record;
  if (!DecodeRecord(std::span(data, size), record)) return 0;
  std::vector<std::uint8_t> encoded;
  EncodeRecord(record, encoded);
  if (encoded.size() > size) {
    std::fprintf(stderr, "stored_properties_fuzz: %zu bytes encoded as %zu\n", size,
                 encoded.size());
    std::abort();
  }
  Record again;
  if (!DecodeRecord(encoded, again) || again != record) {
    std::fprintf(stderr, "stored_properties_fuzz: encoded record does not decode to itself\n");
    std::abort();
  }
  (void)SortKeyOf(record);
  return 0;
}
