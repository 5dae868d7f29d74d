// The part every export writer shares: the name and folder checks, the replace question, and
// writing the file under a temporary name until it is complete (see export_writers.h for what
// the user sees).
#pragma once

#include <functional>

#include "export/csv_files.h"
#include "export/export_writers.h"

namespace quidora {

// Writes `fill`'s bytes as the file `request` names. `fill` returns false when the sink refused
// bytes.
ExportResult WriteExportFile(const ExportRequest& request, const ExportServices& services,
                             const std::function<bool(ByteSink&)>& fill);

}  // namespace quidora
