// The registry's text form: parsing a file leniently and writing it back exactly.
#include <algorithm>
#include <array>
#include <charconv>
#include <optional>
#include <unordered_map>
#include <vector>

#include "platform/ascii_case.h"
#include "platform/registry.h"
#include "platform/utf8.h"

namespace quidora::platform {
namespace {

constexpr std::array<std::pair<RegistryRoot, std::string_view>, 4> kRoots = {{
    {RegistryRoot::LocalMachine, "HKEY_LOCAL_MACHINE"},
    {RegistryRoot::CurrentUser, "HKEY_CURRENT_USER"},
    {RegistryRoot::ClassesRoot, "HKEY_CLASSES_ROOT"},
    {RegistryRoot::Users, "HKEY_USERS"},
}};

constexpr char kHex[] = "0123456789abcdef";


bool IsHigh(char16_t c) {
  return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLow(char16_t c) {
  return c >= 0xDC00 && c <= 0xDFFF;
}

void AppendEscapedUnit(char16_t unit, std::string& out) {
  out += "\\u";
  for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(unit >> shift) & 0xF];
}

// A quoted text with every 16-bit unit kept: escapes for quote, backslash and control
// characters, \uXXXX for unpaired surrogates.
void AppendQuoted(std::u16string_view text, std::string& out) {
  out += '"';
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c == u'"') {
      out += "\\\"";
    } else if (c == u'\\') {
      out += "\\\\";
    } else if (c == u'\n') {
      out += "\\n";
    } else if (c == u'\r') {
      out += "\\r";
    } else if (c == u'\t') {
      out += "\\t";
    } else if (c < 0x20 || c == 0x7F) {
      AppendEscapedUnit(c, out);
    } else if (IsHigh(c) && i + 1 < text.size() && IsLow(text[i + 1])) {
      AppendUtf8(0x10000 + ((c - 0xD800u) << 10) + (text[i + 1] - 0xDC00u), out);
      ++i;
    } else if (IsHigh(c) || IsLow(c)) {
      AppendEscapedUnit(c, out);
    } else {
      AppendUtf8(c, out);
    }
  }
  out += '"';
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Parses a quoted text starting at `pos` (which must be at the opening quote); leaves `pos`
// after the closing quote.
bool ParseQuoted(std::string_view line, std::size_t& pos, std::u16string& out) {
  out.clear();
  if (pos >= line.size() || line[pos] != '"') return false;
  ++pos;
  while (pos < line.size()) {
    const char c = line[pos];
    if (c == '"') {
      ++pos;
      return true;
    }
    if (c != '\\') {
      char32_t code = 0;
      if (!NextUtf8CodePoint(line, pos, code)) return false;
      AppendUtf16(code, out);
      continue;
    }
    if (pos + 1 >= line.size()) return false;
    const char escaped = line[pos + 1];
    pos += 2;
    switch (escaped) {
      case '\\':
        out += u'\\';
        break;
      case '"':
        out += u'"';
        break;
      case 'n':
        out += u'\n';
        break;
      case 'r':
        out += u'\r';
        break;
      case 't':
        out += u'\t';
        break;
      case 'u': {
        if (pos + 4 > line.size()) return false;
        std::uint32_t unit = 0;
        for (int i = 0; i < 4; ++i) {
          const int digit = HexDigit(line[pos + static_cast<std::size_t>(i)]);
          if (digit < 0) return false;
          unit = unit << 4 | static_cast<std::uint32_t>(digit);
        }
        pos += 4;
        out += static_cast<char16_t>(unit);
        break;
      }
      default:
        return false;
    }
  }
  return false;
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
    text.remove_suffix(1);
  }
  return text;
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    char a = text[i];
    if (a >= 'a' && a <= 'z') a = static_cast<char>(a - 32);
    char b = prefix[i];
    if (b >= 'a' && b <= 'z') b = static_cast<char>(b - 32);
    if (a != b) return false;
  }
  return true;
}

// "dword:hhhhhhhh", "hex(N):bb,bb" or "hex:bb,bb".
bool ParseData(std::string_view text, RegistryValue& value) {
  if (StartsWithIgnoringCase(text, "dword:")) {
    const std::string_view digits = text.substr(6);
    if (digits.empty() || digits.size() > 8) return false;
    std::uint32_t number = 0;
    for (char c : digits) {
      const int digit = HexDigit(c);
      if (digit < 0) return false;
      number = number << 4 | static_cast<std::uint32_t>(digit);
    }
    value.type = kRegDword;
    value.data = {static_cast<std::uint8_t>(number), static_cast<std::uint8_t>(number >> 8),
                  static_cast<std::uint8_t>(number >> 16), static_cast<std::uint8_t>(number >> 24)};
    return true;
  }
  if (!StartsWithIgnoringCase(text, "hex")) return false;
  text.remove_prefix(3);
  value.type = kRegBinary;
  if (!text.empty() && text.front() == '(') {
    const std::size_t close = text.find(')');
    if (close == std::string_view::npos || close == 1) return false;
    const std::string_view number = text.substr(1, close - 1);
    std::uint32_t type = 0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), type);
    if (error != std::errc() || end != number.data() + number.size()) return false;
    value.type = type;
    text.remove_prefix(close + 1);
  }
  if (text.empty() || text.front() != ':') return false;
  text.remove_prefix(1);
  value.data.clear();
  while (!text.empty()) {
    if (text.size() < 2) return false;
    const int high = HexDigit(text[0]);
    const int low = HexDigit(text[1]);
    if (high < 0 || low < 0) return false;
    value.data.push_back(static_cast<std::uint8_t>(high << 4 | low));
    text.remove_prefix(2);
    if (!text.empty()) {
      if (text.front() != ',' || text.size() == 1) return false;
      text.remove_prefix(1);
    }
  }
  return true;
}

void AppendHex(const RegistryValue& value, std::string& out) {
  out += "hex(" + std::to_string(value.type) + "):";
  for (std::size_t i = 0; i < value.data.size(); ++i) {
    if (i > 0) out += ',';
    out += kHex[value.data[i] >> 4];
    out += kHex[value.data[i] & 0xF];
  }
}

// The text of a string value, when its data is exactly text plus one terminating zero unit.
std::optional<std::u16string> CleanString(const RegistryValue& value) {
  if (value.type != kRegString || value.data.size() < 2 || value.data.size() % 2 != 0) {
    return std::nullopt;
  }
  std::u16string text;
  const std::size_t units = value.data.size() / 2;
  for (std::size_t i = 0; i < units; ++i) {
    const auto unit = static_cast<char16_t>(value.data[2 * i] | value.data[2 * i + 1] << 8);
    if (unit == 0) return i + 1 == units ? std::optional(text) : std::nullopt;
    text += unit;
  }
  return std::nullopt;
}

}  // namespace

namespace detail {
// A key path as it may appear in the file: parts separated by '\', none empty, no control
// characters and no unpaired surrogates.
bool IsValidKeyPath(std::u16string_view path) {
  if (path.empty() || path.front() == u'\\' || path.back() == u'\\') return false;
  for (std::size_t i = 0; i < path.size(); ++i) {
    const char16_t c = path[i];
    if (c < 0x20 || c == 0x7F) return false;
    if (c == u'\\' && path[i + 1] == u'\\') return false;
    if (IsHigh(c)) {
      if (i + 1 >= path.size() || !IsLow(path[i + 1])) return false;
      ++i;
    } else if (IsLow(c)) {
      return false;
    }
  }
  return true;
}
}  // namespace detail

void Registry::ParseText(std::string_view text) {
  // Keys and value names compare without regard to ASCII case. A file of a few megabytes can
  // hold a hundred thousand keys or values: finding each earlier one by a scan would make the
  // load quadratic, so the parse looks them up by their folded spelling instead.
  const auto fold = [](std::u16string_view name) {
    std::u16string folded(name);
    for (char16_t& c : folded) c = FoldAsciiCase(c);
    return folded;
  };
  std::unordered_map<std::u16string, std::size_t> keyIndex;
  std::vector<std::unordered_map<std::u16string, std::size_t>> valueIndex;
  for (std::size_t k = 0; k < keys_.size(); ++k) {
    keyIndex.emplace(std::u16string(1, static_cast<char16_t>(keys_[k].root)) + fold(keys_[k].path),
                     k);
    valueIndex.emplace_back();
    for (std::size_t v = 0; v < keys_[k].values.size(); ++v) {
      valueIndex[k].emplace(fold(keys_[k].values[v].name), v);
    }
  }

  constexpr std::size_t kNoKey = static_cast<std::size_t>(-1);
  std::size_t current = kNoKey;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = Trim(text.substr(start, end - start));
    start = end + 1;
    if (line.empty() || line.front() == ';') continue;

    if (line.front() == '[') {
      current = kNoKey;
      const std::optional<std::u16string> decoded =
          line.back() == ']' ? Utf8ToUtf16(line.substr(1, line.size() - 2)) : std::nullopt;
      if (!decoded) {
        ++damagedLines_;
        continue;
      }
      const std::u16string& name = *decoded;
      const std::size_t slash = name.find(u'\\');
      const std::u16string_view rootName = std::u16string_view(name).substr(0, slash);
      const std::u16string path =
          slash == std::u16string::npos ? std::u16string() : name.substr(slash + 1);
      const auto root = std::find_if(kRoots.begin(), kRoots.end(), [&](const auto& entry) {
        return std::equal(entry.second.begin(), entry.second.end(), rootName.begin(),
                          rootName.end(), [](char a, char16_t b) {
                            const char16_t upper = b >= u'a' && b <= u'z' ? char16_t(b - 32) : b;
                            return static_cast<char16_t>(a) == upper;
                          });
      });
      if (root == kRoots.end() || !detail::IsValidKeyPath(path)) {
        ++damagedLines_;
        continue;
      }
      const auto [found, added] = keyIndex.emplace(
          std::u16string(1, static_cast<char16_t>(root->first)) + fold(path), keys_.size());
      if (added) {
        keys_.push_back(Key{root->first, path, {}});
        valueIndex.emplace_back();
      }
      current = found->second;
      continue;
    }

    std::size_t pos = 0;
    std::u16string name;
    RegistryValue value;
    bool ok = current != kNoKey && ParseQuoted(line, pos, name);
    if (ok) {
      std::string_view rest = Trim(line.substr(pos));
      ok = !rest.empty() && rest.front() == '=';
      if (ok) {
        rest = Trim(rest.substr(1));
        if (!rest.empty() && rest.front() == '"') {
          std::size_t textPos = 0;
          std::u16string data;
          ok = ParseQuoted(rest, textPos, data) && textPos == rest.size();
          if (ok) {
            value.type = kRegString;
            for (char16_t unit : data) {
              value.data.push_back(static_cast<std::uint8_t>(unit));
              value.data.push_back(static_cast<std::uint8_t>(unit >> 8));
            }
            value.data.push_back(0);
            value.data.push_back(0);
          }
        } else {
          ok = ParseData(rest, value);
        }
      }
    }
    if (!ok) {
      ++damagedLines_;
      continue;
    }
    // A later line with the same name wins.
    std::vector<Value>& values = keys_[current].values;
    const auto [found, added] = valueIndex[current].emplace(fold(name), values.size());
    if (added) {
      values.push_back(Value{std::move(name), std::move(value)});
    } else {
      values[found->second].value = std::move(value);
    }
  }
  dirty_ = false;
}

std::string Registry::Serialize() const {
  std::string out = "; Quidora device registry\n";
  for (const Key& key : keys_) {
    out += "\n[";
    for (const auto& [root, name] : kRoots) {
      if (root == key.root) out += name;
    }
    out += '\\';
    // Key paths hold no unpaired surrogate: both ways of making a key refuse one.
    out += Utf16ToUtf8Lenient(key.path);
    out += "]\n";
    for (const Value& entry : key.values) {
      AppendQuoted(entry.name, out);
      out += '=';
      const RegistryValue& value = entry.value;
      if (value.type == kRegDword && value.data.size() == 4) {
        const std::uint32_t number = *value.AsDword();
        out += "dword:";
        for (int shift = 28; shift >= 0; shift -= 4) out += kHex[(number >> shift) & 0xF];
      } else if (auto text = CleanString(value)) {
        AppendQuoted(*text, out);
      } else {
        AppendHex(value, out);
      }
      out += '\n';
    }
  }
  return out;
}

}  // namespace quidora::platform
