// The seven sort orders of the lists, and the rule by which a tap on a column header chooses
// column and direction.
//
// A sort puts the list itself in the new order, so views, exports and the stored settings all
// see one order. Ascending is stable (equal keys keep their relative order); descending is the
// exact reverse of the ascending result. Direction 2 (no order chosen yet) and any damaged
// value above 2 sort ascending, so the list always keeps its records. After a sort of a
// non-empty list the cursor is on the tail.
//
// Each sort works on the list, direction and message service it is given; no scratch lists are
// kept between sorts. On failure it shows its own message (string table) through `messages`,
// leaves the list as it was and returns false. The only failures are a record without a name
// in a name sort and exhausted memory. An empty list sorts successfully.
//
// Cost: O(n log n); keys are sorted with their positions, then the list is reordered once.
#pragma once

#include <cstdint>

#include "core/message_service.h"
#include "core/record_list.h"

namespace quidora {

inline constexpr std::uint32_t kAscending = 0;
inline constexpr std::uint32_t kDescending = 1;
inline constexpr std::uint32_t kNoOrder = 2;  // also the header image without an arrow

// By date number. Message: "Error: records cannot be sorted !".
bool SortMoneyByDate(MoneyList& list, std::uint32_t direction, MessageService& messages);
// By name, case-insensitive. Message: "Error: categories name sorting".
bool SortCategoriesByName(CategoryList& list, std::uint32_t direction, MessageService& messages);
// By total. Message: "Error: transactions sorting".
bool SortCategoriesByTotal(CategoryList& list, std::uint32_t direction, MessageService& messages);
// By name, case-insensitive, with the accounts-book direction. Message: "Error: records cannot
// be sorted !".
bool SortAccountsBookByName(AccountList& list, std::uint32_t direction, MessageService& messages);
// By created date number. Message: "Error: records cannot be sorted !".
bool SortAccountsBookByDate(AccountList& list, std::uint32_t direction, MessageService& messages);
// By name, case-insensitive, with the accounts-balance direction. Message: "Error: records
// cannot be sorted !".
bool SortBalanceByName(AccountList& list, std::uint32_t direction, MessageService& messages);
// By balance. Message: "Error: accounts sorting".
bool SortBalanceByAmount(AccountList& list, std::uint32_t direction, MessageService& messages);

// Case-insensitive order of names used by the name sorts: negative, 0 or positive.
int CompareNamesIgnoringCase(std::u16string_view a, std::u16string_view b);

// What a tap on a column header changes. Header images: 0 = ascending arrow, 1 = descending
// arrow, 2 = no arrow.
struct ColumnTap {
  std::uint32_t direction;    // the new working direction
  std::uint32_t sortColumn;   // the new sorted column (always the tapped one)
  std::uint32_t tappedImage;  // image to show on the tapped column
  std::uint32_t otherImage;   // image to show on the other column (always 2)
};

// The tapped column showed `tappedImage`: 0 turns to descending, 1 to ascending; 2 (or any
// other value: another column was sorted) makes the tapped column the sorted one and keeps
// `direction`, which becomes its image. The caller then runs the sort of the tapped column
// when its list is not empty.
ColumnTap TapColumn(std::uint32_t tappedImage, std::uint32_t direction, std::uint32_t tappedColumn);

}  // namespace quidora
