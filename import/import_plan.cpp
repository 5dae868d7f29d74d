#include "import/import_plan.h"

#include <algorithm>

#include "core/amount_text.h"
#include "core/unicode_text.h"
#include "import/date_reading.h"
#include "import/record_rules.h"

namespace quidora::import {

namespace {

std::u16string Folded(std::u16string_view name) {
  std::u16string folded;
  folded.reserve(name.size());
  for (std::size_t i = 0; i < name.size();) {
    const unicode::Decoded c = unicode::DecodeAt(name, i);
    unicode::AppendEncoded(folded, unicode::ToLower(c.codePoint));
    i += c.units;
  }
  return folded;
}

void AppendNumber(std::u16string& key, std::uint32_t value) {
  key.push_back(static_cast<char16_t>(value >> 16));
  key.push_back(static_cast<char16_t>(value & 0xFFFF));
}

}  // namespace

PlanBuilder::PlanBuilder(const CategoryList& categories, std::span<const MoneyRecord> existing,
                         std::optional<std::u16string> defaultCategory, bool keepDuplicates)
    : keepDuplicates_(keepDuplicates) {
  for (const CategoryRecord& category : categories) {
    const std::u16string name(category.Name());
    if (categoryIndex_.emplace(Folded(name), plan_.categoryNames.size()).second) {
      plan_.categoryNames.push_back(name);
    }
  }
  known_ = plan_.categoryNames;
  if (!keepDuplicates_) {
    for (const MoneyRecord& record : existing) {
      ++existing_[DuplicateKey(record.DateNumber(), record.type == kIncome ? kIncome : kExpense,
                               record.amount, record.Category(), record.Memo())];
    }
  }
  if (defaultCategory && !defaultCategory->empty()) defaultCategory_ = CategoryOf(*defaultCategory);
}

std::u16string PlanBuilder::DuplicateKey(std::uint32_t dateNumber, std::uint32_t type,
                                         std::int32_t amount, std::u16string_view category,
                                         std::u16string_view memo) {
  std::u16string key;
  key.reserve(6 + category.size() + 1 + memo.size());
  AppendNumber(key, dateNumber);
  AppendNumber(key, type);
  AppendNumber(key, static_cast<std::uint32_t>(amount));
  key.append(category);
  key.push_back(u'\0');
  key.append(memo);
  return key;
}

std::optional<std::uint32_t> PlanBuilder::CategoryOf(const std::u16string& cleaned) {
  if (cleaned.empty()) return std::nullopt;
  const auto [found, added] =
      categoryIndex_.emplace(Folded(cleaned), static_cast<std::uint32_t>(plan_.categoryNames.size()));
  if (added) {
    plan_.categoryNames.push_back(cleaned);
    plan_.newCategories.push_back(cleaned);
  }
  return found->second;
}

void PlanBuilder::Add(RawRecord& record) {
  bool usable = true;
  const AmountReading amount = ReadAmount(record.amountText, record.grouping);
  if (amount.check != AmountCheck::Accepted) {
    plan_.problems.push_back({record.amountLine != 0 ? record.amountLine : record.line, "amount",
                              AmountProblem(amount.check)});
    usable = false;
  }
  std::optional<std::uint32_t> category = CategoryOf(CleanCategoryName(record.category));
  if (!category) category = defaultCategory_;
  if (!category) {
    plan_.problems.push_back(
        {record.line, "category",
         record.category.empty() ? "missing; give one with --category"
                                 : "not a usable category name; give one with --category"});
    usable = false;
  }
  if (!usable) return;

  FittedMemo memo = FitMemo(record.memo);
  PlannedRecord planned;
  planned.line = record.line;
  planned.dateNumber = DateNumberOf(record.date).value_or(0);
  planned.type = static_cast<std::uint8_t>(record.negative ? kExpense : kIncome);
  planned.amount = amount.cents;
  planned.category = *category;
  if (!keepDuplicates_ && !existing_.empty()) {
    const auto found = existing_.find(DuplicateKey(planned.dateNumber, planned.type, planned.amount,
                                                   plan_.categoryNames[*category], memo.memo));
    if (found != existing_.end() && found->second > 0) {
      --found->second;
      ++plan_.duplicates;
      return;
    }
  }
  if (memo.cut) ++plan_.memosCut;
  planned.memoStart = static_cast<std::uint32_t>(plan_.memos.size());
  planned.memoLength = static_cast<std::uint8_t>(memo.memo.size());
  plan_.memos += memo.memo;
  (planned.type == kIncome ? plan_.income : plan_.expense) += planned.amount;
  plan_.records.push_back(std::move(planned));
}

SystemTime ImportPlan::DateOf(const PlannedRecord& record) {
  const auto number = static_cast<int>(record.dateNumber);
  return CalendarDate(number / 10000, number / 100 % 100, number % 100).value_or(SystemTime{});
}

void PlanBuilder::AddProblems(std::span<const Problem> problems) {
  plan_.problems.insert(plan_.problems.end(), problems.begin(), problems.end());
}

ImportPlan PlanBuilder::Finish() {
  // A category that only problem records named, or only duplicates, is not created.
  std::vector<bool> used(plan_.categoryNames.size(), false);
  for (const PlannedRecord& record : plan_.records) used[record.category] = true;
  std::erase_if(plan_.newCategories, [&](const std::u16string& name) {
    return !used[categoryIndex_.at(Folded(name))];
  });
  std::stable_sort(plan_.problems.begin(), plan_.problems.end(),
                   [](const Problem& a, const Problem& b) { return a.line < b.line; });
  return std::move(plan_);
}

}  // namespace quidora::import
