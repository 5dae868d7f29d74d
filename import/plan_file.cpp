#include "import/plan_file.h"

#include "import/parse_file.h"

namespace quidora::import {

PlannedFile PlanFile(const std::string& path, std::string_view bytes, const PlanRequest& request,
                     const CategoryList& categories, std::span<const MoneyRecord> existing) {
  PlanBuilder builder(categories, existing, request.defaultCategory, request.keepDuplicates);
  const ParsedFile parsed =
      ParseFile(path, bytes, request.parse, [&](RawRecord& record) { builder.Add(record); });
  builder.AddProblems(parsed.problems);
  return PlannedFile{parsed.format, builder.Finish()};
}

std::string DescribeProblem(const std::string& file, const Problem& problem) {
  std::string text = file;
  if (problem.line != 0) text += ":" + std::to_string(problem.line);
  text += ": ";
  if (!problem.field.empty()) text += problem.field + ": ";
  return text + problem.message;
}

}  // namespace quidora::import
