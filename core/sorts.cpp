#include "core/sorts.h"

#include <algorithm>
#include <memory>
#include <new>
#include <numeric>
#include <utility>
#include <vector>

#include "core/unicode_text.h"
#include "resources/strings/string_table.h"

namespace quidora {
namespace {

bool IsDescending(std::uint32_t direction) {
  return direction == kDescending;
}

void ShowFailure(MessageService& messages, StringId failure) {
  messages.Show(LoadString(failure), MessageIcon::Exclamation);
}

// The positions of the records of `list` in ascending key order, equal keys in position
// order: a least significant digit radix sort, stable by construction and linear in the
// count. Keys are made unsigned with their signed order kept and packed above the position;
// digits that every key shares cost no pass.
template <typename List, typename KeyOf>
std::vector<std::size_t> StableOrderByKey(const List& list, KeyOf keyOf) {
  constexpr int kDigitBits = 11;
  constexpr std::uint32_t kBuckets = 1u << kDigitBits;
  constexpr int kDigits = 3;  // 33 bits cover a 32-bit key
  const std::size_t count = list.size();

  // The items and the scratch of each pass share one buffer, left uninitialised: every slot is
  // written before it is read, and zeroing it first cost as much as a pass.
  const std::unique_ptr<std::uint64_t[]> buffer(new std::uint64_t[2 * count]);
  std::uint64_t* items = buffer.get();
  std::uint64_t* scratch = buffer.get() + count;
  std::vector<std::vector<std::size_t>> histograms(kDigits, std::vector<std::size_t>(kBuckets));
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint32_t key = static_cast<std::uint32_t>(keyOf(list[i])) ^ 0x80000000u;
    items[i] = (static_cast<std::uint64_t>(key) << 32) | static_cast<std::uint32_t>(i);
    for (int d = 0; d < kDigits; ++d) ++histograms[d][(key >> (d * kDigitBits)) & (kBuckets - 1)];
  }
  for (int d = 0; d < kDigits; ++d) {
    std::vector<std::size_t>& histogram = histograms[d];
    if (std::find(histogram.begin(), histogram.end(), count) != histogram.end()) continue;
    std::size_t offset = 0;
    for (std::size_t& bucket : histogram) offset += std::exchange(bucket, offset);
    const int shift = 32 + d * kDigitBits;
    for (std::size_t i = 0; i < count; ++i) {
      const std::uint64_t item = items[i];
      scratch[histogram[(item >> shift) & (kBuckets - 1)]++] = item;
    }
    std::swap(items, scratch);
  }
  std::vector<std::size_t> order(count);
  for (std::size_t i = 0; i < count; ++i) order[i] = static_cast<std::uint32_t>(items[i]);
  return order;
}

template <typename List, typename KeyOf>
bool SortByNumber(List& list, std::uint32_t direction, MessageService& messages, StringId failure,
                  KeyOf keyOf) {
  const std::size_t count = list.size();
  if (count == 0) return true;
  try {
    std::vector<std::size_t> order;
    if (count <= UINT32_MAX) {
      order = StableOrderByKey(list, keyOf);
    } else {
      order.resize(count);
      std::iota(order.begin(), order.end(), std::size_t{0});
      std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return keyOf(list[a]) < keyOf(list[b]);
      });
    }
    if (IsDescending(direction)) std::reverse(order.begin(), order.end());
    list.Reorder(order);
  } catch (const std::bad_alloc&) {
    ShowFailure(messages, failure);
    return false;
  }
  return true;
}

template <typename List>
bool SortByName(List& list, std::uint32_t direction, MessageService& messages, StringId failure) {
  const std::size_t count = list.size();
  if (count == 0) return true;
  for (const auto& record : list) {
    if (!record.HasName()) {
      ShowFailure(messages, failure);
      return false;
    }
  }
  try {
    std::vector<std::size_t> order(count);
    std::iota(order.begin(), order.end(), std::size_t{0});
    // Stable, so that names differing only in case, or equal names in a damaged list, keep
    // their order and every record is kept.
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
      return CompareNamesIgnoringCase(list[a].Name(), list[b].Name()) < 0;
    });
    if (IsDescending(direction)) std::reverse(order.begin(), order.end());
    list.Reorder(order);
  } catch (const std::bad_alloc&) {
    ShowFailure(messages, failure);
    return false;
  }
  return true;
}

}  // namespace

int CompareNamesIgnoringCase(std::u16string_view a, std::u16string_view b) {
  std::size_t i = 0;
  std::size_t j = 0;
  while (i < a.size() && j < b.size()) {
    const unicode::Decoded ca = unicode::DecodeAt(a, i);
    const unicode::Decoded cb = unicode::DecodeAt(b, j);
    const char32_t la = unicode::ToLower(ca.codePoint);
    const char32_t lb = unicode::ToLower(cb.codePoint);
    if (la != lb) return la < lb ? -1 : 1;
    i += ca.units;
    j += cb.units;
  }
  if (i < a.size()) return 1;
  if (j < b.size()) return -1;
  return 0;
}

bool SortMoneyByDate(MoneyList& list, std::uint32_t direction, MessageService& messages) {
  return SortByNumber(
      list, direction, messages, StringId::SortRecordsError,
      [](const MoneyRecord& r) { return static_cast<std::int32_t>(r.DateNumber()); });
}

bool SortCategoriesByName(CategoryList& list, std::uint32_t direction, MessageService& messages) {
  return SortByName(list, direction, messages, StringId::SortCategoriesNameError);
}

bool SortCategoriesByTotal(CategoryList& list, std::uint32_t direction, MessageService& messages) {
  return SortByNumber(list, direction, messages, StringId::SortTransactionsError,
                      [](const CategoryRecord& r) { return r.total; });
}

bool SortAccountsBookByName(AccountList& list, std::uint32_t direction, MessageService& messages) {
  return SortByName(list, direction, messages, StringId::SortRecordsError);
}

bool SortAccountsBookByDate(AccountList& list, std::uint32_t direction, MessageService& messages) {
  return SortByNumber(
      list, direction, messages, StringId::SortRecordsError,
      [](const AccountRecord& r) { return static_cast<std::int32_t>(r.DateNumber()); });
}

bool SortBalanceByName(AccountList& list, std::uint32_t direction, MessageService& messages) {
  return SortByName(list, direction, messages, StringId::SortRecordsError);
}

bool SortBalanceByAmount(AccountList& list, std::uint32_t direction, MessageService& messages) {
  return SortByNumber(list, direction, messages, StringId::SortAccountsError,
                      [](const AccountRecord& r) { return r.balance; });
}

ColumnTap TapColumn(std::uint32_t tappedImage, std::uint32_t direction,
                    std::uint32_t tappedColumn) {
  ColumnTap tap{direction, tappedColumn, direction, kNoOrder};
  if (tappedImage == kAscending) {
    tap.direction = kDescending;
    tap.tappedImage = kDescending;
  } else if (tappedImage == kDescending) {
    tap.direction = kAscending;
    tap.tappedImage = kAscending;
  }
  return tap;
}

}  // namespace quidora
