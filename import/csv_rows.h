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
// left open at the end of the text, when there is one.
std::optional<std::uint32_t> ReadCsvRows(std::u16string_view text, char16_t delimiter,
                                         const std::function<bool(CsvRow&)>& take);

}  // namespace quidora::import
