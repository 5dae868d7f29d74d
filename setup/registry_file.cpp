#include "setup/registry_file.h"

#include <algorithm>
#include <cctype>
#include <fstream>

namespace quidora::setup {
namespace {

constexpr std::string_view kLocalMachine = "HKEY_LOCAL_MACHINE\\";

bool SameKey(std::string_view a, std::string_view b) {
  return std::ranges::equal(a, b, [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) ==
           std::tolower(static_cast<unsigned char>(y));
  });
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) {
    text.remove_prefix(1);
  }
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) {
    text.remove_suffix(1);
  }
  return text;
}

// A quoted string with its escapes undone; nothing when the quotes are not well formed.
std::optional<std::string> Unquote(std::string_view text) {
  if (text.size() < 2 || text.front() != '"' || text.back() != '"') return std::nullopt;
  text = text.substr(1, text.size() - 2);
  std::string value;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\\') {
      if (i + 1 == text.size()) return std::nullopt;
      c = text[++i];
      if (c != '\\' && c != '"') return std::nullopt;
    } else if (c == '"') {
      return std::nullopt;
    }
    value += c;
  }
  return value;
}

}  // namespace

std::optional<std::string> RegistryFile::ReadLocalMachineDefault(std::string_view keyPath) {
  std::ifstream in(file_);
  if (!in) return std::nullopt;
  std::string wanted = std::string(kLocalMachine) + std::string(keyPath);
  bool inKey = false;
  bool keyFound = false;
  std::optional<std::string> value;
  std::string line;
  while (std::getline(in, line)) {
    std::string_view text = Trim(line);
    if (text.empty() || text.front() == ';') continue;
    if (text.front() == '[') {
      inKey = text.back() == ']' && SameKey(text.substr(1, text.size() - 2), wanted);
      keyFound = keyFound || inKey;
      continue;
    }
    if (!inKey || !text.starts_with('@')) continue;
    std::string_view rest = Trim(text.substr(1));
    if (!rest.starts_with('=')) continue;
    // A later line of the same key overrides an earlier one, as a re-imported file would.
    if (std::optional<std::string> read = Unquote(Trim(rest.substr(1)))) value = std::move(read);
  }
  if (!keyFound) return std::nullopt;
  return value;
}

}  // namespace quidora::setup
