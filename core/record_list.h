// The in-memory record lists: categories, accounts and money records.
//
// A list is a sequence with a cursor. Positions are indices, 0 to Count() - 1, and are also
// the rows of the views. Many operations move the cursor and callers rely on where it is left:
//  - First: cursor to the head. Last: the tail, cursor unchanged. Next/Previous: move one
//    step; at the end they return nullptr and the cursor stays.
//  - Count: the number of records; leaves the cursor on the head.
//  - Append: the new record becomes the cursor (the category list refuses a name it already
//    holds, exactly compared, and then leaves the cursor on that record).
//  - RemoveAt/RemoveByName: later positions move down by one; the cursor goes to the head.
//  - Find...: searched from the head; the found record becomes the cursor. When nothing is
//    found the cursor is left on the head (it stays put for an empty name).
//  - ReplaceAt: searched FORWARD FROM THE CURSOR: a position before the cursor is not found.
//    Callers move the cursor first (FindByPosition or First).
// Operations returning a record return nullptr for "none".
//
// Storage is contiguous, so positional access is constant time and a list can hold millions
// of records. Consequence: a record pointer or reference taken from a list is valid only
// until the list next changes shape (Append, RemoveAt, RemoveByName, Clear, Reorder, a sort),
// and so is a text view taken from such a record (a money record keeps short texts inside
// itself); take a copy (CopyFrom, std::u16string) or the position to keep it longer.
// ReplaceAt keeps record pointers valid.
//
// Lists copy what they are given (Construct + CopyFrom); the rvalue Append overloads give the
// same result without copying the texts, for loaders filling large lists.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "core/account_record.h"
#include "core/category_record.h"
#include "core/large_block_allocator.h"
#include "core/money_record.h"

namespace quidora {

template <typename Record>
class RecordList {
 public:
  using value_type = Record;
  using Storage = std::vector<Record, LargeBlockAllocator<Record>>;
  using iterator = typename Storage::iterator;
  using const_iterator = typename Storage::const_iterator;

  RecordList() = default;
  RecordList(RecordList&&) noexcept = default;
  RecordList& operator=(RecordList&&) noexcept = default;
  RecordList(const RecordList&) = delete;
  RecordList& operator=(const RecordList&) = delete;

  Record* First();
  Record* Last();
  Record* Next();
  Record* Previous();
  // The cursor record; nullptr for an empty list.
  Record* Current();
  std::size_t Count();
  // Frees every record; the list becomes empty.
  void Clear();

  // The cursor's position; nothing for an empty list. Does not move the cursor.
  std::optional<std::size_t> CursorPosition() const;
  // Position of a record held by this list; nothing for any other pointer.
  std::optional<std::size_t> PositionOf(const Record* record) const;

  // Bulk access for views, reports and exports: no cursor involved.
  std::size_t size() const { return records_.size(); }
  bool empty() const { return records_.empty(); }
  Record& operator[](std::size_t position) { return records_[position]; }
  const Record& operator[](std::size_t position) const { return records_[position]; }
  iterator begin() { return records_.begin(); }
  iterator end() { return records_.end(); }
  const_iterator begin() const { return records_.begin(); }
  const_iterator end() const { return records_.end(); }
  // Room for `count` records without reallocation (loaders know the record count).
  void Reserve(std::size_t count) { records_.reserve(count); }

  // Puts the records in the order given by `order` (order[i] = old position of the record that
  // goes to position i). False, with nothing changed, unless `order` is a permutation of
  // 0..size()-1. The cursor goes to the tail, as after appending the records in that order.
  bool Reorder(std::span<const std::size_t> order);

 protected:
  static constexpr std::size_t kNoCursor = static_cast<std::size_t>(-1);

  Record* AppendCopy(const Record& record);
  Record* AppendMoved(Record&& record);
  // Removes the record at `position` (which must exist) and puts the cursor on the head.
  void EraseAt(std::size_t position);
  Record* ReplaceForwardFromCursor(std::size_t position, const Record& record);
  template <typename Predicate>
  Record* FindFromHead(Predicate matches);
  Record* FindAtPosition(std::size_t position);

  Storage records_;
  std::size_t cursor_ = kNoCursor;
};

class MoneyList : public RecordList<MoneyRecord> {
 public:
  MoneyRecord* Append(const MoneyRecord& record) { return AppendCopy(record); }
  MoneyRecord* Append(MoneyRecord&& record) { return AppendMoved(std::move(record)); }
  // True for an empty list; false when there is no such position.
  bool RemoveAt(std::size_t position);
  MoneyRecord* FindByPosition(std::size_t position);
  MoneyRecord* FindByDateNumber(std::uint32_t dateNumber);
  MoneyRecord* ReplaceAt(std::size_t position, const MoneyRecord& record);
};

class AccountList : public RecordList<AccountRecord> {
 public:
  AccountRecord* Append(const AccountRecord& record) { return AppendCopy(record); }
  AccountRecord* Append(AccountRecord&& record) { return AppendMoved(std::move(record)); }
  // True for an empty list; false when there is no such position.
  bool RemoveAt(std::size_t position);
  AccountRecord* FindByPosition(std::size_t position);
  // Exact comparison; an empty name finds nothing.
  AccountRecord* FindByName(std::u16string_view name);
  AccountRecord* FindByDateNumber(std::uint32_t dateNumber);
  AccountRecord* FindByBalance(std::int32_t balance);
  AccountRecord* ReplaceAt(std::size_t position, const AccountRecord& record);
};

class CategoryList : public RecordList<CategoryRecord> {
 public:
  // nullptr, with nothing added, when a category of exactly that name is in the list, and for
  // a category without a name (it could be neither found nor sorted).
  CategoryRecord* Append(const CategoryRecord& record);
  CategoryRecord* Append(CategoryRecord&& record);
  // False for an empty list and when there is no such position.
  bool RemoveAt(std::size_t position);
  // Removes the first category of exactly that name; false when there is none.
  bool RemoveByName(std::u16string_view name);
  // Exact comparison; an empty name finds nothing.
  CategoryRecord* FindByName(std::u16string_view name);
  CategoryRecord* FindByTotal(std::int32_t total);
};

}  // namespace quidora
