#include "import/csv_rows.h"

namespace quidora::import {

std::optional<std::uint32_t> ReadCsvRows(std::u16string_view text, char16_t delimiter,
                                         const std::function<bool(CsvRow&)>& take,
                                         std::uint32_t firstLine) {
  CsvRow row;
  std::u16string field;
  std::uint32_t line = firstLine;
  std::uint32_t quoteLine = 0;
  bool quoted = false;
  bool rowStarted = false;
  row.line = firstLine;
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

void ForEachCsvPiece(std::string_view bytes, char delimiter, std::size_t pieceSize,
                     const std::function<bool(std::string_view, std::uint32_t)>& take) {
  std::uint32_t line = 1;
  std::size_t start = 0;
  bool quoted = false;
  bool fieldEmpty = true;  // as ReadCsvRows: a quote opens a field only at its start
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const char c = bytes[i];
    if (quoted) {
      if (c == '"') {
        if (i + 1 < bytes.size() && bytes[i + 1] == '"') {
          ++i;
        } else {
          quoted = false;
        }
      }
      continue;
    }
    if (c == '\n' || c == '\r' || c == delimiter) {
      fieldEmpty = true;
      if (c == '\n' && i + 1 - start >= pieceSize) {
        const std::string_view piece = bytes.substr(start, i + 1 - start);
        if (!take(piece, line)) return;
        for (const char b : piece) line += b == '\n' ? 1 : 0;
        start = i + 1;
      }
      continue;
    }
    if (c == '"' && fieldEmpty) quoted = true;
    fieldEmpty = false;
  }
  if (start < bytes.size() || start == 0) take(bytes.substr(start), line);
}

}  // namespace quidora::import
