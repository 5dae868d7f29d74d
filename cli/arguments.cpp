#include "cli/arguments.h"

#include <charconv>
#include <vector>

namespace quidora::cli {

namespace {

struct CommandSpec {
  std::string_view name;
  Command command;
  std::size_t operands;  // ACCOUNT, and FILE for export
};

constexpr CommandSpec kCommands[] = {
    {"accounts", Command::Accounts, 0},
    {"categories", Command::Categories, 1},
    {"records", Command::Records, 1},
    {"export", Command::Export, 2},
};

ParsedArguments Wrong(std::string error) {
  return ParsedArguments{std::nullopt, std::move(error)};
}

bool IsLeapYear(std::uint32_t year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

std::optional<std::uint32_t> SmallNumber(std::string_view text, std::uint32_t highest) {
  std::uint32_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value > highest) {
    return std::nullopt;
  }
  return value;
}

}  // namespace

std::optional<std::uint32_t> ParseIsoDate(std::string_view text) {
  if (text.size() != 10 || text[4] != '-' || text[7] != '-') return std::nullopt;
  for (std::size_t i : {0, 1, 2, 3, 5, 6, 8, 9}) {
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
  }
  const auto number = [&](std::size_t at, std::size_t length) {
    std::uint32_t value = 0;
    for (std::size_t i = at; i < at + length; ++i) value = value * 10 + (text[i] - '0');
    return value;
  };
  const std::uint32_t year = number(0, 4);
  const std::uint32_t month = number(5, 2);
  const std::uint32_t day = number(8, 2);
  static constexpr std::uint32_t kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (year < 1000 || month < 1 || month > 12 || day < 1) return std::nullopt;
  const std::uint32_t days = kDays[month - 1] + (month == 2 && IsLeapYear(year) ? 1 : 0);
  if (day > days) return std::nullopt;
  return year * 10000 + month * 100 + day;
}

std::string IsoDate(std::uint32_t dateNumber) {
  std::string text;
  AppendIsoDate(dateNumber, text);
  return text;
}

void AppendIsoDate(std::uint32_t dateNumber, std::string& out) {
  if (dateNumber == 0) return;
  char text[16];
  char* end = std::to_chars(text, text + sizeof text, dateNumber / 10000).ptr;
  for (std::uint32_t part : {dateNumber / 100 % 100, dateNumber % 100}) {
    *end++ = '-';
    *end++ = static_cast<char>('0' + part / 10 % 10);
    *end++ = static_cast<char>('0' + part % 10);
  }
  out.append(text, end);
}

ParsedArguments ParseArguments(std::span<const std::string_view> args) {
  Request request;
  if (args.empty()) return ParsedArguments{request, {}};
  for (std::string_view arg : args) {
    if (arg == "--") break;
    if (arg == "--help" || arg == "-h") return ParsedArguments{request, {}};
  }
  if (args[0] == "help") return ParsedArguments{request, {}};

  const CommandSpec* spec = nullptr;
  for (const CommandSpec& candidate : kCommands) {
    if (candidate.name == args[0]) spec = &candidate;
  }
  if (spec == nullptr) return Wrong("unknown command \"" + std::string(args[0]) + "\"");
  request.command = spec->command;
  const bool exporting = spec->command == Command::Export;

  std::vector<std::string_view> operands;
  bool optionsEnded = false;
  for (std::size_t i = 1; i < args.size(); ++i) {
    std::string_view arg = args[i];
    if (optionsEnded || !arg.starts_with("--")) {
      operands.push_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    std::string_view name = arg;
    std::optional<std::string_view> value;
    if (const std::size_t equals = arg.find('='); equals != std::string_view::npos) {
      name = arg.substr(0, equals);
      value = arg.substr(equals + 1);
    }
    const auto takeValue = [&]() -> std::optional<std::string_view> {
      if (value) return value;
      if (i + 1 < args.size()) return args[++i];
      return std::nullopt;
    };
    const std::string shown(name);

    if (name == "--unicode" && exporting && !value) {
      request.unicode = true;
    } else if (name == "--force" && exporting && !value) {
      request.force = true;
    } else if (name == "--descending" && exporting && !value) {
      request.descending = true;
    } else if ((name == "--from" || name == "--to") && !exporting) {
      const std::optional<std::string_view> text = takeValue();
      if (!text) return Wrong(shown + " needs a date");
      const std::optional<std::uint32_t> date = ParseIsoDate(*text);
      if (!date) {
        return Wrong(shown + " \"" + std::string(*text) + "\" is not a date written as YYYY-MM-DD");
      }
      (name == "--from" ? request.from : request.to) = date;
    } else if (name == "--format" && !exporting) {
      const std::optional<std::string_view> text = takeValue();
      if (text == "table") {
        request.format = Format::Table;
      } else if (text == "csv") {
        request.format = Format::Csv;
      } else if (text == "json") {
        request.format = Format::Json;
      } else {
        return Wrong("--format takes table, csv or json");
      }
    } else if ((name == "--date-form" || name == "--grouping") && exporting) {
      const bool dateForm = name == "--date-form";
      const std::optional<std::string_view> text = takeValue();
      const std::optional<std::uint32_t> number =
          text ? SmallNumber(*text, dateForm ? 3 : 1) : std::nullopt;
      if (!number)
        return Wrong(dateForm ? "--date-form takes 0, 1, 2 or 3" : "--grouping takes 0 or 1");
      (dateForm ? request.dateForm : request.grouping) = *number;
    } else {
      return Wrong("\"" + std::string(args[0]) + "\" has no option " + shown);
    }
  }

  if (operands.size() != spec->operands) {
    static constexpr std::string_view kOperands[] = {"no operands", "ACCOUNT", "ACCOUNT FILE"};
    return Wrong("\"" + std::string(spec->name) + "\" takes " +
                 std::string(kOperands[spec->operands]));
  }
  if (spec->operands >= 1) request.account = operands[0];
  if (spec->operands >= 2) request.file = operands[1];
  if (request.from && request.to && *request.from > *request.to) {
    return Wrong("--from must not be later than --to");
  }
  return ParsedArguments{request, {}};
}

}  // namespace quidora::cli
