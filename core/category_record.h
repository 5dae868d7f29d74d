// One category: a name and a computed total.
// Texts follow the conventions described in money_record.h (std::nullopt = missing).
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "core/owned_text.h"

namespace quidora {

class CategoryRecord {
 public:
  // Construct: no name, total 0.
  CategoryRecord() = default;
  CategoryRecord(CategoryRecord&&) noexcept = default;
  CategoryRecord& operator=(CategoryRecord&&) noexcept = default;
  CategoryRecord(const CategoryRecord&) = delete;
  CategoryRecord& operator=(const CategoryRecord&) = delete;

  // Name through SetName (a missing or empty source name keeps this one's), total copied.
  void CopyFrom(const CategoryRecord& source);
  // The name becomes missing.
  void ClearName() { name_.Clear(); }

  // Refuses a missing or empty text.
  bool SetName(std::optional<std::u16string_view> text);
  std::u16string_view Name() const { return name_.view(); }
  bool HasName() const { return name_.has_value(); }

  std::int32_t total = 0;  // cents; computed by CategoryTotals, never stored

 private:
  OwnedText name_;
};

}  // namespace quidora
