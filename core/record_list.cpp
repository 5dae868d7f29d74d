#include "core/record_list.h"

#include <cstdint>
#include <new>
#include <type_traits>
#include <utility>

namespace quidora {

template <typename Record>
Record* RecordList<Record>::First() {
  if (records_.empty()) return nullptr;
  cursor_ = 0;
  return &records_[cursor_];
}

template <typename Record>
Record* RecordList<Record>::Last() {
  if (records_.empty()) return nullptr;
  return &records_.back();
}

template <typename Record>
Record* RecordList<Record>::Next() {
  if (records_.empty() || cursor_ + 1 >= records_.size()) return nullptr;
  return &records_[++cursor_];
}

template <typename Record>
Record* RecordList<Record>::Previous() {
  if (records_.empty() || cursor_ == 0) return nullptr;
  return &records_[--cursor_];
}

template <typename Record>
Record* RecordList<Record>::Current() {
  if (records_.empty()) return nullptr;
  return &records_[cursor_];
}

template <typename Record>
std::size_t RecordList<Record>::Count() {
  if (!records_.empty()) cursor_ = 0;
  return records_.size();
}

template <typename Record>
void RecordList<Record>::Clear() {
  // Swapped out rather than cleared so that the memory of a large list goes back at once.
  Storage().swap(records_);
  cursor_ = kNoCursor;
}

template <typename Record>
std::optional<std::size_t> RecordList<Record>::CursorPosition() const {
  if (records_.empty()) return std::nullopt;
  return cursor_;
}

template <typename Record>
std::optional<std::size_t> RecordList<Record>::PositionOf(const Record* record) const {
  for (std::size_t i = 0; i < records_.size(); ++i) {
    if (&records_[i] == record) return i;
  }
  return std::nullopt;
}

namespace {
// How far ahead of the move in progress a cycle's records are fetched.
constexpr std::size_t kPrefetchDistance = 16;
}  // namespace

template <typename Record>
bool RecordList<Record>::Reorder(std::span<const std::size_t> order) {
  if (order.size() != records_.size()) return false;
  std::vector<bool> placed(order.size(), false);
  for (std::size_t from : order) {
    if (from >= order.size() || placed[from]) return false;
    placed[from] = true;
  }
  // Applied in place, cycle by cycle, so that no second copy of a large list is needed. A
  // cycle jumps around the whole list: its positions are listed first, so that the moves can
  // fetch records well ahead instead of waiting for memory at every jump.
  // The walk along a cycle is a chain of dependent reads: a compact copy of the order
  // (32-bit where the list allows) keeps that chain in cache.
  placed.assign(order.size(), false);
  std::vector<std::uint32_t> compactOrder;
  if (order.size() <= UINT32_MAX) compactOrder.assign(order.begin(), order.end());
  const auto next = [&](std::size_t at) -> std::size_t {
    return compactOrder.empty() ? order[at] : compactOrder[at];
  };
  std::vector<std::size_t> cycle;
  for (std::size_t start = 0; start < order.size(); ++start) {
    if (placed[start] || order[start] == start) continue;
    cycle.clear();
    for (std::size_t at = start; !placed[at]; at = next(at)) {
      placed[at] = true;
      cycle.push_back(at);
    }
    Record held = std::move(records_[cycle[0]]);
    for (std::size_t k = 0; k + 1 < cycle.size(); ++k) {
      if (k + kPrefetchDistance < cycle.size()) {
        const char* ahead = reinterpret_cast<const char*>(&records_[cycle[k + kPrefetchDistance]]);
        for (std::size_t line = 0; line < sizeof(Record); line += 64) {
          __builtin_prefetch(ahead + line);
        }
      }
      records_[cycle[k]] = std::move(records_[cycle[k + 1]]);
    }
    records_[cycle.back()] = std::move(held);
  }
  if (!records_.empty()) cursor_ = records_.size() - 1;
  return true;
}

template <typename Record>
Record* RecordList<Record>::AppendCopy(const Record& record) {
  Record node;
  node.CopyFrom(record);
  return AppendMoved(std::move(node));
}

template <typename Record>
Record* RecordList<Record>::AppendMoved(Record&& record) {
  try {
    records_.push_back(std::move(record));
  } catch (const std::bad_alloc&) {
    return nullptr;  // the list is unchanged: records move without throwing
  }
  if constexpr (!std::is_same_v<Record, CategoryRecord>) records_.back().RebuildTexts();
  cursor_ = records_.size() - 1;
  return &records_.back();
}

template <typename Record>
void RecordList<Record>::EraseAt(std::size_t position) {
  records_.erase(records_.begin() + static_cast<std::ptrdiff_t>(position));
  cursor_ = records_.empty() ? kNoCursor : 0;
}

template <typename Record>
Record* RecordList<Record>::ReplaceForwardFromCursor(std::size_t position, const Record& record) {
  if (records_.empty() || position < cursor_ || position >= records_.size()) return nullptr;
  records_[position].CopyFrom(record);
  cursor_ = position;
  return &records_[position];
}

template <typename Record>
template <typename Predicate>
Record* RecordList<Record>::FindFromHead(Predicate matches) {
  if (records_.empty()) return nullptr;
  for (std::size_t i = 0; i < records_.size(); ++i) {
    if (matches(records_[i])) {
      cursor_ = i;
      return &records_[i];
    }
  }
  cursor_ = 0;
  return nullptr;
}

template <typename Record>
Record* RecordList<Record>::FindAtPosition(std::size_t position) {
  if (records_.empty()) return nullptr;
  // Positions are indices: found at once, with the cursor left as a walk from the head would.
  cursor_ = position < records_.size() ? position : 0;
  return position < records_.size() ? &records_[position] : nullptr;
}

template class RecordList<MoneyRecord>;
template class RecordList<AccountRecord>;
template class RecordList<CategoryRecord>;

// Money list

bool MoneyList::RemoveAt(std::size_t position) {
  if (records_.empty()) return true;
  if (position >= records_.size()) return false;
  EraseAt(position);
  return true;
}

MoneyRecord* MoneyList::FindByPosition(std::size_t position) {
  return FindAtPosition(position);
}

MoneyRecord* MoneyList::FindByDateNumber(std::uint32_t dateNumber) {
  return FindFromHead([&](const MoneyRecord& r) { return r.DateNumber() == dateNumber; });
}

MoneyRecord* MoneyList::ReplaceAt(std::size_t position, const MoneyRecord& record) {
  return ReplaceForwardFromCursor(position, record);
}

// Account list

bool AccountList::RemoveAt(std::size_t position) {
  if (records_.empty()) return true;
  if (position >= records_.size()) return false;
  EraseAt(position);
  return true;
}

AccountRecord* AccountList::FindByPosition(std::size_t position) {
  return FindAtPosition(position);
}

AccountRecord* AccountList::FindByName(std::u16string_view name) {
  if (name.empty()) return nullptr;
  return FindFromHead([&](const AccountRecord& r) { return r.HasName() && r.Name() == name; });
}

AccountRecord* AccountList::FindByDateNumber(std::uint32_t dateNumber) {
  return FindFromHead([&](const AccountRecord& r) { return r.DateNumber() == dateNumber; });
}

AccountRecord* AccountList::FindByBalance(std::int32_t balance) {
  return FindFromHead([&](const AccountRecord& r) { return r.balance == balance; });
}

AccountRecord* AccountList::ReplaceAt(std::size_t position, const AccountRecord& record) {
  return ReplaceForwardFromCursor(position, record);
}

// Category list

CategoryRecord* CategoryList::Append(const CategoryRecord& record) {
  // Refused before copying: a category without a name could never be found or sorted.
  if (!record.HasName() || FindByName(record.Name()) != nullptr) return nullptr;
  return AppendCopy(record);
}

CategoryRecord* CategoryList::Append(CategoryRecord&& record) {
  if (!record.HasName() || FindByName(record.Name()) != nullptr) return nullptr;
  return AppendMoved(std::move(record));
}

bool CategoryList::RemoveAt(std::size_t position) {
  if (records_.empty() || position >= records_.size()) return false;
  EraseAt(position);
  return true;
}

bool CategoryList::RemoveByName(std::u16string_view name) {
  if (FindByName(name) == nullptr) return false;
  EraseAt(cursor_);
  return true;
}

CategoryRecord* CategoryList::FindByName(std::u16string_view name) {
  if (name.empty()) return nullptr;
  return FindFromHead([&](const CategoryRecord& r) { return r.HasName() && r.Name() == name; });
}

CategoryRecord* CategoryList::FindByTotal(std::int32_t total) {
  return FindFromHead([&](const CategoryRecord& r) { return r.total == total; });
}

}  // namespace quidora
