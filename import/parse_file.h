// Reads an imported file in the format its content shows (or --format gives), handing each
// record on as it is read.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "import/import_types.h"

namespace quidora::import {

// The format of the bytes: this program's transactions file, OFX or QFX, QIF, or else any CSV.
FileFormat DetectFormat(std::string_view bytes);

// `path` is the file the bytes came from (the OFX reader reads the file itself).
ParsedFile ParseFile(const std::string& path, std::string_view bytes, const ParseOptions& options,
                     const std::function<void(RawRecord&)>& take);

std::string_view FormatName(FileFormat format);

}  // namespace quidora::import
