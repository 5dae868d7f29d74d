// Planning a file of tests/data/import, or bytes made by a test, against an empty account.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "import/plan_file.h"
#include "platform/utf8.h"

namespace quidora::testing {

inline std::string SampleFile(const std::string& name) {
  return std::string(QUIDORA_IMPORT_DATA) + "/" + name;
}

inline std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline constexpr SystemTime kToday{2026, 12, 3, 9, 10, 0, 0, 0};

inline import::PlannedFile PlanBytes(const std::string& bytes, import::PlanRequest request = {},
                                     const CategoryList& categories = CategoryList(),
                                     std::span<const MoneyRecord> existing = {}) {
  request.parse.today = kToday;
  return import::PlanFile("test-file", bytes, request, categories, existing);
}

// One planned record as "date number|+/-cents|category|memo", easy to compare whole.
inline std::string Describe(const import::ImportPlan& plan, const import::PlannedRecord& record) {
  return std::to_string(record.dateNumber) + "|" +
         (record.type == kIncome ? "+" : "-") + std::to_string(record.amount) + "|" +
         platform::Utf16ToUtf8Lenient(plan.categoryNames[record.category]) + "|" +
         platform::Utf16ToUtf8Lenient(plan.MemoOf(record));
}

inline std::vector<std::string> DescribeAll(const import::ImportPlan& plan) {
  std::vector<std::string> all;
  for (const import::PlannedRecord& record : plan.records) all.push_back(Describe(plan, record));
  return all;
}

inline std::vector<std::string> ProblemsOf(const import::ImportPlan& plan) {
  std::vector<std::string> all;
  for (const import::Problem& problem : plan.problems) {
    all.push_back(import::DescribeProblem("f", problem));
  }
  return all;
}

}  // namespace quidora::testing
