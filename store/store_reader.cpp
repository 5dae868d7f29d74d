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
  platform::Record props;
  props.reserve(9);
  bool decoded = true;
  const VolumeReader::ReadStatus status =
      volume_.ReadDatabase(store::kMoneyDatabaseName, [&](std::span<const std::uint8_t> bytes) {
        // Its place tells whether a record is selected: most records of a large store are
        // not, and decoding and building them would cost more than reading them.
        const std::optional<MoneyRecordPlace> place = PeekMoneyRecord(bytes);
        if (!place) {
          decoded = false;
          return false;
        }
        if ((selection.accountKey && place->accountKey != *selection.accountKey) ||
            !IsInDateRange(place->dateNumber, selection.startDateNumber, selection.endDateNumber)) {
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
