#include "store/store_reader.h"

#include "core/date.h"
#include "store/database_layout.h"
#include "store/record_properties.h"

namespace quidora {

namespace {

using platform::VolumeReader;

}  // namespace

bool StoreReader::ReadCategories(CategoryList& categoryList) {
  platform::Record props;
  bool decoded = true;
  const VolumeReader::ReadStatus status = volume_.ReadDatabase(
      store::kCategoriesDatabaseName, [&](std::span<const std::uint8_t> bytes) {
        if (!platform::DecodeRecord(bytes, props)) {
          decoded = false;
          return false;
        }
        for (const platform::PropValue& prop : props) {
          // A nameless category could not be shown, sorted or chosen.
          if (prop.id != store::category::kName || prop.text.empty()) continue;
          CategoryRecord category;
          category.SetName(prop.text);
          categoryList.Append(std::move(category));
        }
        return true;
      });
  return Finish(status, decoded);
}

bool StoreReader::ReadAccounts(AccountList& accountList) {
  platform::Record props;
  bool decoded = true;
  const VolumeReader::ReadStatus status =
      volume_.ReadDatabase(store::kAccountsDatabaseName, [&](std::span<const std::uint8_t> bytes) {
        if (!platform::DecodeRecord(bytes, props)) {
          decoded = false;
          return false;
        }
        AccountRecord work;
        work.Reset();
        FillAccountRecord(props, work);
        accountList.Append(std::move(work));
        return true;
      });
  return Finish(status, decoded);
}

bool StoreReader::ReadMoneyRecords(MoneyList& moneyList, const MoneySelection& selection) {
  platform::Record numbers;
  platform::Record props;
  numbers.reserve(9);
  props.reserve(9);
  MoneyRecord probe;
  bool decoded = true;
  const VolumeReader::ReadStatus status =
      volume_.ReadDatabase(store::kMoneyDatabaseName, [&](std::span<const std::uint8_t> bytes) {
        // The numbers alone tell whether a record is selected: most records of a large store
        // are not, and building their texts would cost more than reading them.
        if (!platform::DecodeNumbers(bytes, numbers)) {
          decoded = false;
          return false;
        }
        probe.Reset();
        FillMoneyRecord(numbers, probe);
        if ((selection.accountKey && probe.accountKey != *selection.accountKey) ||
            !IsInDateRange(probe.DateNumber(), selection.startDateNumber,
                           selection.endDateNumber)) {
          return true;
        }
        if (!platform::DecodeRecord(bytes, props)) {
          decoded = false;
          return false;
        }
        MoneyRecord work;
        work.Reset();
        FillMoneyRecord(props, work);
        moneyList.Append(std::move(work));
        return true;
      });
  return Finish(status, decoded);
}

bool StoreReader::Finish(platform::VolumeReader::ReadStatus status, bool decoded) {
  if (!decoded) {
    error_ = platform::StoreError::Corrupt;
    return false;
  }
  if (status == VolumeReader::ReadStatus::Failed) {
    error_ = volume_.LastError();
    return false;
  }
  error_ = platform::StoreError::None;
  return true;
}

}  // namespace quidora
