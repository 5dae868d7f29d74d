// The bytes of the three comma-separated-values files: the transactions file, the category
// report file and the balance report file.
//
// Every line ends with CR LF; nothing comes before the first line or after the last line's end.
// Fields are written as they are, between double quotes, except the memo, whose double quotes,
// apostrophes and grave accents become spaces, as do both characters of a CR LF pair inside it
// (so a spreadsheet sees one field on one line). Nothing else is escaped. The one line without
// quotes is the balance report file's heading, which holds no comma.
//
// These functions only format: they know nothing of folders or of the user. The writers of
// export_writers.h put them into a file safely; a command-line tool or a benchmark can hand them
// any ByteSink.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "core/account_record.h"
#include "core/category_record.h"
#include "core/date.h"
#include "core/money_record.h"

namespace quidora {

// The `ExportFileType` setting: 1 writes UTF-16 little-endian without a byte-order mark, any
// other value one Windows-1252 byte per 16-bit unit ("?" for what the code page cannot hold,
// each half of a surrogate pair included).
inline constexpr std::uint32_t kExportAscii = 0;
inline constexpr std::uint32_t kExportUnicode = 1;

struct CsvOptions {
  std::uint32_t encoding = kExportAscii;  // `ExportFileType`
  std::uint32_t dateViewType = 0;         // `DateTypeView`: the date texts
  std::uint32_t grouping = 0;             // `MoneyTypeView`: the amount texts
};

// Where the formatted bytes go, in pieces of up to a few hundred kilobytes.
class ByteSink {
 public:
  virtual ~ByteSink() = default;
  // False when the bytes could not be taken; the writer then stops.
  virtual bool Write(std::string_view bytes) = 0;
};

// Collects everything in memory.
class StringSink final : public ByteSink {
 public:
  bool Write(std::string_view bytes) override {
    bytes_.append(bytes);
    return true;
  }
  const std::string& bytes() const { return bytes_; }
  std::string Take() { return std::move(bytes_); }

 private:
  std::string bytes_;
};

// Every money record of one account, in the order the account view holds them.
struct TransactionsFile {
  SystemTime reportDate;                 // today, as the clock gave it
  std::u16string_view accountName;       // the current account
  std::span<const MoneyRecord> records;  // head to tail
};

// The category totals of the last transactions report, in the order of its last sort; a
// category with a zero total is written too.
struct CategoryReportFile {
  SystemTime reportDate;
  std::span<const CategoryRecord> categories;
};

// The account balances of the last accounts balance report, in the order of its last sort, with
// its date range and the total of all accounts.
struct BalanceReportFile {
  std::uint32_t startDateNumber = 0;
  std::uint32_t endDateNumber = 0;
  std::span<const AccountRecord> accounts;
  std::int64_t total = 0;  // cents, signed
};

// Each writes the whole file into `sink`; false as soon as the sink refuses bytes.
bool WriteTransactionsCsv(const TransactionsFile& file, const CsvOptions& options, ByteSink& sink);
bool WriteCategoryReportCsv(const CategoryReportFile& file, const CsvOptions& options,
                            ByteSink& sink);
bool WriteBalanceReportCsv(const BalanceReportFile& file, const CsvOptions& options,
                           ByteSink& sink);

// The whole file in memory.
std::string TransactionsCsv(const TransactionsFile& file, const CsvOptions& options);
std::string CategoryReportCsv(const CategoryReportFile& file, const CsvOptions& options);
std::string BalanceReportCsv(const BalanceReportFile& file, const CsvOptions& options);

}  // namespace quidora
