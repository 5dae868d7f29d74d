// The three databases read without changing them, for programs that run beside the device
// program. The lists come out as the device program's loaders fill them: categories and
// accounts in stored order (a category name already in the list is not added again), money
// records in key order, each record filled from its properties exactly as at start.
#pragma once

#include <cstdint>
#include <limits>
#include <optional>

#include "core/record_list.h"
#include "platform/volume_reader.h"

namespace quidora {

// Which money records to read: those of one account or of all, whose date number lies in the
// range (both ends included). The default takes every record, also one without a valid date.
struct MoneySelection {
  std::optional<std::uint32_t> accountKey;
  std::uint32_t startDateNumber = 0;
  std::uint32_t endDateNumber = std::numeric_limits<std::uint32_t>::max();
};

class StoreReader {
 public:
  // `volume` must outlive this object.
  explicit StoreReader(platform::VolumeReader& volume) : volume_(volume) {}

  // Each appends to an empty list and returns true, also when its database does not exist
  // (a device that never stored any). False when a record cannot be read or its properties
  // cannot be decoded; LastError tells which (Corrupt for undecodable properties).
  bool ReadCategories(CategoryList& categoryList);
  bool ReadAccounts(AccountList& accountList);
  // Only the selected records are built, so a small selection out of a large store costs little
  // more than the read itself.
  bool ReadMoneyRecords(MoneyList& moneyList, const MoneySelection& selection);

  platform::StoreError LastError() const { return error_; }

 private:
  bool Finish(platform::VolumeReader::ReadStatus status, bool decoded);

  platform::VolumeReader& volume_;
  platform::StoreError error_ = platform::StoreError::None;
};

}  // namespace quidora
