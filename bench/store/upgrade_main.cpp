// Times the once-only upgrade of a volume as the device program's open makes it:
//   quidora_upgrade --volume FILE
// opens FILE for writing through the storage layer (which brings an older volume up to date and
// gives the money database the orders it lacks, in one transaction), then prints the time the
// open took and the file's size before and after. Work on a copy: the volume is upgraded.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string_view>

#include "platform/clock.h"
#include "store/databases.h"

int main(int argc, char** argv) {
  if (argc != 3 || std::string_view(argv[1]) != "--volume") {
    std::fprintf(stderr, "usage: quidora_upgrade --volume FILE\n");
    return 2;
  }
  const std::filesystem::path file = argv[2];
  std::error_code error;
  const auto before = std::filesystem::file_size(file, error);
  if (error) {
    std::fprintf(stderr, "no volume at %s\n", argv[2]);
    return 2;
  }
  const quidora::platform::SystemClock clock;
  quidora::Databases store(file, clock);
  const auto start = std::chrono::steady_clock::now();
  const bool opened = store.OpenVolume();
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const bool clean = opened && store.MarkCleanEnd();
  if (!opened || !clean) {
    std::fprintf(stderr, "the volume did not open (%s)\n", store.VolumeDetail().c_str());
    return 1;
  }
  std::printf("open with upgrade: %.2f s; file %.1f MB before, %.1f MB after (WAL included)\n",
              seconds, static_cast<double>(before) / 1e6,
              static_cast<double>(std::filesystem::file_size(file) +
                                  std::filesystem::file_size(file.string() + "-wal", error)) /
                  1e6);
  return 0;
}
