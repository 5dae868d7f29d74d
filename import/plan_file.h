// A file read and planned in one pass: each record is checked and planned as it is read, so a
// large file is never held as raw records.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "core/record_list.h"
#include "import/import_plan.h"
#include "import/import_types.h"

namespace quidora::import {

struct PlanRequest {
  ParseOptions parse;
  std::optional<std::u16string> defaultCategory;  // --category, already cleaned
  bool keepDuplicates = false;
};

struct PlannedFile {
  FileFormat format = FileFormat::Own;
  ImportPlan plan;
};

// `existing` are the records of the account the file goes into.
PlannedFile PlanFile(const std::string& path, std::string_view bytes, const PlanRequest& request,
                     const CategoryList& categories, std::span<const MoneyRecord> existing);

// "FILE:LINE: FIELD: message" (the line and field left out where the problem has none).
std::string DescribeProblem(const std::string& file, const Problem& problem);

}  // namespace quidora::import
