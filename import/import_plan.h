// What an import would add to one account: every record of the file checked by the program's
// rules, the categories it needs that do not exist yet, and the records already in the account
// taken out.
//
// A record equal to one the account holds (date, type, amount, category and memo) is a
// duplicate. Each record of the account answers for one record of the file: two equal records
// in the file against one in the account add one, so importing a file twice adds nothing the
// second time while two coffees on one day stay two records.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/money_record.h"
#include "core/record_list.h"
#include "import/import_types.h"

namespace quidora::import {

// Small, so that a plan of a million records stays small: the memo lives in the plan's memo
// text, the date as its date number.
struct PlannedRecord {
  std::uint32_t line = 0;
  std::uint32_t dateNumber = 0;  // yyyymmdd of a real calendar date
  std::int32_t amount = 0;       // cents, 0.01 to 1,000,000.00
  std::uint32_t category = 0;    // index into ImportPlan::categoryNames
  std::uint32_t memoStart = 0;   // where the memo starts in ImportPlan::memos
  std::uint8_t memoLength = 0;   // at most the memo limit
  std::uint8_t type = kExpense;
};

struct ImportPlan {
  // To add, in the order of the file. A deque grows without moving what it holds, so a large
  // plan never needs room for two copies of itself.
  std::deque<PlannedRecord> records;
  std::u16string memos;                       // every planned memo, one after another
  std::vector<std::u16string> categoryNames;  // every category the records name
  std::vector<std::u16string> newCategories;  // those not in the category list, first seen first
  std::size_t duplicates = 0;
  std::size_t memosCut = 0;
  std::int64_t income = 0;   // cents of the records to add
  std::int64_t expense = 0;
  std::vector<Problem> problems;  // any problem: nothing may be added

  bool Usable() const { return problems.empty(); }
  std::u16string_view MemoOf(const PlannedRecord& record) const {
    return std::u16string_view(memos).substr(record.memoStart, record.memoLength);
  }
  // The calendar date of the record, as a date picker gives it.
  static SystemTime DateOf(const PlannedRecord& record);
};

class PlanBuilder {
 public:
  // `categories` are the existing ones (a name equal but for case is taken as that category);
  // `existing` the account's records; `defaultCategory` stands in for a record whose category
  // is missing or unusable (given already cleaned).
  PlanBuilder(const CategoryList& categories, std::span<const MoneyRecord> existing,
              std::optional<std::u16string> defaultCategory, bool keepDuplicates);

  // Checks one record and plans it, or notes its problems.
  void Add(RawRecord& record);
  // Problems of the file itself (from the parser).
  void AddProblems(std::span<const Problem> problems);
  ImportPlan Finish();

 private:
  std::optional<std::uint32_t> CategoryOf(const std::u16string& cleaned);
  static std::u16string DuplicateKey(std::uint32_t dateNumber, std::uint32_t type,
                                     std::int32_t amount, std::u16string_view category,
                                     std::u16string_view memo);

  ImportPlan plan_;
  std::vector<std::u16string> known_;  // the existing category names
  std::unordered_map<std::u16string, std::uint32_t> categoryIndex_;  // by lower-case name
  std::unordered_map<std::u16string, std::uint32_t> existing_;      // duplicate keys, counted
  std::optional<std::uint32_t> defaultCategory_;
  bool keepDuplicates_;
};

}  // namespace quidora::import
