// Temporary files that a killed run leaves in the data folder: a volume being made beside the
// object store ("objectstore.db.new-...", with its journal files) and a registry being written
// ("registry.reg.tmp-..."), and an export being written in one of the two document folders
// (".quidora-export-....tmp"). None is ever part of the data; the next start removes them, once
// it holds the data folder's lock, so no other copy can be writing one at that moment.
#pragma once

#include <filesystem>
#include <vector>

#include "platform/locations.h"

namespace quidora::platform {

// Removes the left-over temporary files of `locations` (only files and links to them, never
// a folder, and nothing else; in the document folders only regular files of this user written
// before this call). Returns the names removed.
std::vector<std::filesystem::path> RemoveLeftoverFiles(const DeviceLocations& locations);

}  // namespace quidora::platform
