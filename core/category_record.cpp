#include "core/category_record.h"

namespace quidora {

void CategoryRecord::CopyFrom(const CategoryRecord& source) {
  SetName(source.HasName() ? std::optional(source.Name()) : std::nullopt);
  total = source.total;
}

bool CategoryRecord::SetName(std::optional<std::u16string_view> text) {
  if (!text || text->empty()) return false;
  return name_.Assign(*text);
}

}  // namespace quidora
