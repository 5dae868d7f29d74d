// Rows of comma-separated values as RFC 4180 writes them: fields between double quotes may hold
// the delimiter, line breaks and doubled quotes (""), which stand for one. Lines end with CR LF,
// LF or CR; an empty line is no row.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quidora::import {

struct CsvRow {
  std::uint32_t line = 0;  // where the row starts, from 1
  std::vector<std::u16string> fields;
};

// Calls `take` for each row in order; stops early when it returns false. The line of a quote
// left open at the end of the text, when there is one. `firstLine` is the number of the text's
// first line, for a text that is a piece of a file.
std::optional<std::uint32_t> ReadCsvRows(std::u16string_view text, char16_t delimiter,
                                         const std::function<bool(CsvRow&)>& take,
                                         std::uint32_t firstLine = 1);

// Calls `take(piece, firstLine)` for consecutive pieces of one-byte-per-character CSV bytes
// (UTF-8 or a code page) of about `pieceSize` bytes, each ending after a line feed outside
// quotes, so that a large file can be decoded a piece at a time without splitting a row. Stops
// when `take` returns false.
void ForEachCsvPiece(std::string_view bytes, char delimiter, std::size_t pieceSize,
                     const std::function<bool(std::string_view, std::uint32_t)>& take);

}  // namespace quidora::import
