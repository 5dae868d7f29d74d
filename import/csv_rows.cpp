#include "import/csv_rows.h"

namespace quidora::import {

std::optional<std::uint32_t> ReadCsvRows(std::u16string_view text, char16_t delimiter,
                                         const std::function<bool(CsvRow&)>& take) {
  CsvRow row;
  std::u16string field;
  std::uint32_t line = 1;
  std::uint32_t quoteLine = 0;
  bool quoted = false;
  bool rowStarted = false;
  row.line = 1;
  auto endField = [&] {
    row.fields.push_back(std::move(field));
    field.clear();
  };
  auto endRow = [&]() -> bool {
    bool goOn = true;
    if (rowStarted) {
      endField();
      goOn = take(row);
    }
    row.fields.clear();
    rowStarted = false;
    return goOn;
  };
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (quoted) {
      if (c == u'"') {
        if (i + 1 < text.size() && text[i + 1] == u'"') {
          field.push_back(u'"');
          ++i;
        } else {
          quoted = false;
        }
        continue;
      }
      if (c == u'\n' || (c == u'\r' && (i + 1 == text.size() || text[i + 1] != u'\n'))) ++line;
      field.push_back(c);
      continue;
    }
    if (c == u'\r' || c == u'\n') {
      if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
      if (!endRow()) return std::nullopt;
      ++line;
      row.line = line;
      continue;
    }
    if (!rowStarted) {
      rowStarted = true;
      row.line = line;
    }
    if (c == delimiter) {
      endField();
    } else if (c == u'"' && field.empty()) {
      quoted = true;
      quoteLine = line;
    } else {
      field.push_back(c);
    }
  }
  if (quoted) return quoteLine;
  endRow();
  return std::nullopt;
}

}  // namespace quidora::import
