#include "cli/report.h"

#include <algorithm>
#include <charconv>

#include "cli/arguments.h"
#include "core/amount_text.h"

namespace quidora::cli {

namespace {

constexpr std::string_view kTotalHeading = "Total";

std::int64_t Number(const Value& value) {
  const std::int64_t* number = std::get_if<std::int64_t>(&value);
  return number != nullptr ? *number : 0;
}

// "-1234.56": what spreadsheets and scripts read without knowing a locale.
void AppendPlainAmount(std::int64_t cents, std::string& out) {
  const std::uint64_t magnitude =
      cents < 0 ? 0 - static_cast<std::uint64_t>(cents) : static_cast<std::uint64_t>(cents);
  char text[32];
  char* end = text;
  if (cents < 0) *end++ = '-';
  end = std::to_chars(end, text + sizeof text, magnitude / 100).ptr;
  *end++ = '.';
  *end++ = static_cast<char>('0' + magnitude % 100 / 10);
  *end++ = static_cast<char>('0' + magnitude % 10);
  out.append(text, end);
}

std::string PlainAmount(std::int64_t cents) {
  std::string text;
  AppendPlainAmount(cents, text);
  return text;
}

std::string DeviceAmount(std::int64_t cents) {
  const FormattedText formatted = FormatAmount(cents, 0);
  std::string text;
  for (char16_t c : formatted.view()) text += static_cast<char>(c);  // digits, "-", "," and "."
  return text;
}

// A control character from the store would reach the terminal and act there (retitle it,
// recolour it, move the cursor); the table shows it in a visible form instead. C1 controls are
// the two UTF-8 bytes C2 80 to C2 9F.
std::string Visible(std::string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string shown;
  shown.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    const bool c1 = byte == 0xC2 && i + 1 < text.size() &&
                    static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
                    static_cast<unsigned char>(text[i + 1]) <= 0x9F;
    if (byte >= 0x20 && byte != 0x7F && !c1) {
      shown += text[i];
      continue;
    }
    switch (byte) {
      case 0x1B: shown += "\\e"; continue;
      case '\a': shown += "\\a"; continue;
      case '\b': shown += "\\b"; continue;
      case '\t': shown += "\\t"; continue;
      case '\n': shown += "\\n"; continue;
      case '\r': shown += "\\r"; continue;
      default: break;
    }
    const unsigned char code = c1 ? static_cast<unsigned char>(text[++i]) : byte;
    shown += c1 ? "\\u00" : "\\x";
    shown += kHex[code >> 4];
    shown += kHex[code & 15];
  }
  return shown;
}

std::string CellText(const Column& column, const Value& value, bool forTable) {
  switch (column.kind) {
    case ColumnKind::Text:
      return forTable ? Visible(std::get<std::string>(value)) : std::get<std::string>(value);
    case ColumnKind::Date:
      return IsoDate(static_cast<std::uint32_t>(Number(value)));
    case ColumnKind::Cents:
      return forTable ? DeviceAmount(Number(value)) : PlainAmount(Number(value));
    case ColumnKind::Count:
      return std::to_string(Number(value));
  }
  return {};
}

// Columns on a terminal: one per code point (UTF-8 continuation bytes take none).
std::size_t Width(std::string_view text) {
  return static_cast<std::size_t>(
      std::count_if(text.begin(), text.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

void Pad(std::ostream& out, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) out << ' ';
}

bool NeedsQuotes(std::string_view text) {
  return std::any_of(text.begin(), text.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return c == ',' || c == '"' || byte < 0x20 || byte == 0x7F;
  });
}

// Control characters are kept as they are, inside quotes as any other character a reader must
// not take for the field's end.
void AppendCsvField(std::string& line, std::string_view text) {
  if (!NeedsQuotes(text)) {
    line += text;
    return;
  }
  line += '"';
  for (char c : text) {
    if (c == '"') line += '"';
    line += c;
  }
  line += '"';
}

void JsonString(std::ostream& out, std::string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  out << '"';
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out << '\\' << c;
    } else if (byte < 0x20) {
      out << "\\u00" << kHex[byte >> 4] << kHex[byte & 15];
    } else {
      out << c;
    }
  }
  out << '"';
}

void JsonValue(std::ostream& out, ColumnKind kind, const Value& value) {
  if (kind == ColumnKind::Text) {
    JsonString(out, std::get<std::string>(value));
  } else if (kind == ColumnKind::Date) {
    const auto date = static_cast<std::uint32_t>(Number(value));
    if (date == 0) {
      out << "null";
    } else {
      JsonString(out, IsoDate(date));
    }
  } else {
    out << Number(value);
  }
}

}  // namespace

void WriteTable(const Report& report, std::ostream& out) {
  const std::size_t columns = report.columns.size();
  std::vector<std::vector<std::string>> cells;
  cells.reserve(report.rows.size());
  std::vector<std::size_t> widths(columns);
  for (std::size_t c = 0; c < columns; ++c) widths[c] = Width(report.columns[c].heading);
  for (const std::vector<Value>& row : report.rows) {
    std::vector<std::string>& line = cells.emplace_back();
    for (std::size_t c = 0; c < columns; ++c) {
      line.push_back(CellText(report.columns[c], row[c], true));
      widths[c] = std::max(widths[c], Width(line.back()));
    }
  }
  std::string totalText;
  if (report.total) {
    totalText = DeviceAmount(*report.total);
    widths.back() = std::max(widths.back(), Width(totalText));
    widths.front() = std::max(widths.front(), Width(kTotalHeading));
  }

  // Amounts and counts are aligned on the right, everything else on the left; no trailing blanks.
  const auto writeLine = [&](const std::vector<std::string_view>& line) {
    for (std::size_t c = 0; c < columns; ++c) {
      const bool right =
          report.columns[c].kind == ColumnKind::Cents || report.columns[c].kind == ColumnKind::Count;
      const std::size_t gap = widths[c] - Width(line[c]);
      if (c > 0) out << "  ";
      if (right) Pad(out, gap);
      out << line[c];
      if (!right && c + 1 < columns) Pad(out, gap);
    }
    out << '\n';
  };
  std::vector<std::string_view> line(columns);
  for (std::size_t c = 0; c < columns; ++c) line[c] = report.columns[c].heading;
  writeLine(line);
  for (const std::vector<std::string>& row : cells) {
    for (std::size_t c = 0; c < columns; ++c) line[c] = row[c];
    writeLine(line);
  }
  if (report.total) {
    std::size_t rule = 2 * (columns - 1);
    for (std::size_t width : widths) rule += width;
    out << std::string(rule, '-') << '\n';
    std::fill(line.begin(), line.end(), std::string_view());
    line.front() = kTotalHeading;
    line.back() = totalText;
    writeLine(line);
  }
}

void WriteCsv(const Report& report, std::ostream& out) {
  // Lines gather in one buffer that goes out in large writes: a stream insertion per field
  // costs more than everything else of a long listing.
  constexpr std::size_t kWriteAt = 1 << 16;
  std::string text;
  for (std::size_t c = 0; c < report.columns.size(); ++c) {
    if (c > 0) text += ',';
    text += report.columns[c].key;
  }
  text += '\n';
  for (const std::vector<Value>& row : report.rows) {
    for (std::size_t c = 0; c < report.columns.size(); ++c) {
      if (c > 0) text += ',';
      // Dates and amounts are digits, '-' and '.': no field of theirs needs quotes.
      switch (report.columns[c].kind) {
        case ColumnKind::Text:
          AppendCsvField(text, std::get<std::string>(row[c]));
          break;
        case ColumnKind::Date:
          AppendIsoDate(static_cast<std::uint32_t>(Number(row[c])), text);
          break;
        case ColumnKind::Cents:
          AppendPlainAmount(Number(row[c]), text);
          break;
        case ColumnKind::Count:
          text += std::to_string(Number(row[c]));
          break;
      }
    }
    text += '\n';
    if (text.size() >= kWriteAt) {
      out.write(text.data(), static_cast<std::streamsize>(text.size()));
      text.clear();
    }
  }
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
}

void WriteJson(const Report& report, std::ostream& out) {
  out << '{';
  for (const auto& [name, value] : report.about) {
    JsonString(out, name);
    out << ':';
    if (!value) {
      out << "null";
    } else if (const std::string* text = std::get_if<std::string>(&*value)) {
      JsonString(out, *text);
    } else {
      JsonValue(out, ColumnKind::Date, *value);
    }
    out << ',';
  }
  JsonString(out, report.listName);
  out << ":[";
  for (std::size_t r = 0; r < report.rows.size(); ++r) {
    out << (r > 0 ? ",\n" : "\n") << '{';
    for (std::size_t c = 0; c < report.columns.size(); ++c) {
      if (c > 0) out << ',';
      JsonString(out, report.columns[c].key);
      out << ':';
      JsonValue(out, report.columns[c].kind, report.rows[r][c]);
    }
    out << '}';
  }
  out << (report.rows.empty() ? "]" : "\n]");
  if (report.total) out << ",\"total\":" << *report.total;
  out << "}\n";
}

void WriteReport(const Report& report, Format format, std::ostream& out) {
  switch (format) {
    case Format::Table:
      WriteTable(report, out);
      break;
    case Format::Csv:
      WriteCsv(report, out);
      break;
    case Format::Json:
      WriteJson(report, out);
      break;
  }
  out.flush();
}

}  // namespace quidora::cli
