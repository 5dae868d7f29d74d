#include "import/ofx.h"

#include <libofx/libofx.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <optional>
#include <vector>

#include "import/date_reading.h"
#include "import/text_decoding.h"

namespace quidora::import {

namespace {

std::string Lowered(std::string_view text) {
  std::string lower(text);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return lower;
}

// Where each <STMTTRN> starts, and the date its DTPOSTED writes (YYYYMMDD, before any time or
// zone), so that records can be named by their line and dated as the bank wrote them.
struct TransactionSpot {
  std::uint32_t line = 0;
  std::optional<SystemTime> posted;
};

std::vector<TransactionSpot> FindTransactions(std::string_view bytes) {
  const std::string lower = Lowered(bytes);
  std::vector<TransactionSpot> spots;
  std::uint32_t line = 1;
  std::size_t counted = 0;
  for (std::size_t at = lower.find("<stmttrn>"); at != std::string::npos;
       at = lower.find("<stmttrn>", at + 1)) {
    line += static_cast<std::uint32_t>(std::count(lower.begin() + static_cast<std::ptrdiff_t>(counted),
                                                  lower.begin() + static_cast<std::ptrdiff_t>(at), '\n'));
    counted = at;
    TransactionSpot spot{line, std::nullopt};
    const std::size_t end = lower.find("</stmttrn>", at);
    const std::size_t posted = lower.find("<dtposted>", at);
    if (posted != std::string::npos && (end == std::string::npos || posted < end)) {
      std::size_t digitsAt = posted + 10;
      while (digitsAt < lower.size() && (lower[digitsAt] == ' ' || lower[digitsAt] == '\t')) ++digitsAt;
      const std::string_view digits = std::string_view(lower).substr(digitsAt, 8);
      if (digits.size() == 8 && std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        auto number = [&](std::size_t from, std::size_t count) {
          int value = 0;
          for (std::size_t i = from; i < from + count; ++i) value = value * 10 + (digits[i] - '0');
          return value;
        };
        spot.posted = CalendarDate(number(0, 4), number(4, 2), number(6, 2));
      }
    }
    spots.push_back(spot);
  }
  return spots;
}

struct Collected {
  struct Transaction {
    std::optional<double> amount;
    std::string name;
    std::string memo;
    std::optional<std::time_t> posted;
  };
  std::vector<Transaction> transactions;
};

int TakeTransaction(const struct OfxTransactionData data, void* user) {
  auto* collected = static_cast<Collected*>(user);
  Collected::Transaction transaction;
  if (data.amount_valid) transaction.amount = data.amount;
  if (data.name_valid) transaction.name = data.name;
  if (data.memo_valid) transaction.memo = data.memo;
  if (data.date_posted_valid) transaction.posted = data.date_posted;
  collected->transactions.push_back(std::move(transaction));
  return 0;
}

std::u16string Text(const std::string& bytes) {
  return DecodeUtf8OrWindows1252(bytes);
}

}  // namespace

bool LooksLikeOfx(std::string_view bytes) {
  const std::string head = Lowered(bytes.substr(0, 2048));
  return head.find("ofxheader") != std::string::npos || head.find("<ofx>") != std::string::npos;
}

std::vector<Problem> ParseOfx(const std::string& path, std::string_view bytes,
                              const std::function<void(RawRecord&)>& take) {
  std::vector<Problem> problems;
  // libofx tells everything it does on standard error unless told not to.
  ofx_PARSER_msg = ofx_DEBUG_msg = ofx_DEBUG1_msg = ofx_DEBUG2_msg = ofx_DEBUG3_msg =
      ofx_DEBUG4_msg = ofx_DEBUG5_msg = ofx_STATUS_msg = ofx_INFO_msg = ofx_WARNING_msg =
          ofx_ERROR_msg = 0;
  Collected collected;
  LibofxContextPtr context = libofx_get_new_context();
  if (context == nullptr) {
    problems.push_back({0, "", "the OFX reader cannot start"});
    return problems;
  }
  ofx_set_transaction_cb(context, TakeTransaction, &collected);
  libofx_proc_file(context, path.c_str(), AUTODETECT);
  libofx_free_context(context);

  const std::vector<TransactionSpot> spots = FindTransactions(bytes);
  if (collected.transactions.empty() && !spots.empty()) {
    problems.push_back({spots.front().line, "", "the OFX transactions cannot be read"});
    return problems;
  }
  // The spots name the records only when libofx reported each transaction of the file.
  const bool spotsMatch = spots.size() == collected.transactions.size();
  RawRecord record;
  for (std::size_t i = 0; i < collected.transactions.size(); ++i) {
    const Collected::Transaction& transaction = collected.transactions[i];
    record.line = spotsMatch ? spots[i].line : 0;
    std::optional<SystemTime> date = spotsMatch ? spots[i].posted : std::nullopt;
    if (!date && transaction.posted) {
      std::tm utc{};
      gmtime_r(&*transaction.posted, &utc);
      date = CalendarDate(utc.tm_year + 1900, utc.tm_mon + 1, utc.tm_mday);
    }
    if (!date) {
      problems.push_back({record.line, "date", "no posting date (DTPOSTED)"});
      continue;
    }
    if (!transaction.amount) {
      problems.push_back({record.line, "amount", "no amount (TRNAMT)"});
      continue;
    }
    record.date = *date;
    record.negative = *transaction.amount < 0;
    char digits[32];
    std::snprintf(digits, sizeof digits, "%.2f", std::abs(*transaction.amount));
    record.amountText.assign(digits, digits + std::char_traits<char>::length(digits));
    record.grouping = 0;
    record.category.clear();
    record.memo = Text(transaction.name);
    const std::u16string memo = Text(transaction.memo);
    if (!record.memo.empty() && !memo.empty()) record.memo.push_back(u' ');
    record.memo += memo;
    take(record);
  }
  return problems;
}

}  // namespace quidora::import
