// The command line of quidora-cli, read into a request. Nothing here touches the store.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace quidora::cli {

enum class Command : std::uint8_t { Help, Accounts, Categories, Records, Export };
enum class Format : std::uint8_t { Table, Csv, Json };

struct Request {
  Command command = Command::Help;
  std::string account;  // as typed (UTF-8)
  std::string file;     // export only; "-" is standard output
  bool force = false;   // export only: an existing regular file may be replaced
  // Date numbers (yyyymmdd) of --from and --to; both ends are included.
  std::optional<std::uint32_t> from;
  std::optional<std::uint32_t> to;
  Format format = Format::Table;
  // export only: the encoding, the date view type and the digit grouping of the file.
  bool unicode = false;
  std::uint32_t dateForm = 0;
  std::uint32_t grouping = 0;
  bool descending = false;  // export only: newest first
};

struct ParsedArguments {
  std::optional<Request> request;  // nothing when the command line is wrong
  std::string error;               // then: what is wrong, for the user
};

// `args` are the arguments after the program name.
ParsedArguments ParseArguments(std::span<const std::string_view> args);

// The date number of an ISO date "2010-01-31" (a real calendar date, years 1000 to 9999);
// nothing for any other text.
std::optional<std::uint32_t> ParseIsoDate(std::string_view text);

// "2010-01-31" for date number 20100131; the empty text for 0 (a record without a valid date).
std::string IsoDate(std::uint32_t dateNumber);
void AppendIsoDate(std::uint32_t dateNumber, std::string& out);

}  // namespace quidora::cli
