#include "export/csv_files.h"

#include "core/amount_text.h"
#include "export/csv_encoder.h"
#include "resources/strings/string_table.h"

namespace quidora {
namespace {

// What separates two quoted fields.
constexpr std::string_view kBetween = "\",\"";

FormattedText ReportDateText(const SystemTime& today, std::uint32_t viewType) {
  return FormatDate(DateNumberOf(today).value_or(0), viewType);
}

// A memo among the parts of a line: written cleaned (Encoder::PutMemo).
struct Memo {
  std::u16string_view text;
};

std::size_t Units(std::u16string_view text) {
  return text.size();
}
std::size_t Units(std::string_view ascii) {
  return ascii.size();
}
std::size_t Units(char) {
  return 1;
}
std::size_t Units(Memo memo) {
  return memo.text.size();
}

template <typename Out>
char* Store(char* at, std::u16string_view text) {
  return Out::Put(at, text);
}
template <typename Out>
char* Store(char* at, std::string_view ascii) {
  return Out::Put(at, ascii);
}
template <typename Out>
char* Store(char* at, char unit) {
  return Out::Put(at, unit);
}
template <typename Out>
char* Store(char* at, Memo memo) {
  return Out::PutMemo(at, memo.text);
}

// One line and its CR LF: room for all its parts is made once, then they are stored.
template <typename Out, typename... Parts>
void Line(Out& out, const Parts&... parts) {
  char* at = out.Start((Units(parts) + ... + 2));
  ((at = Store<Out>(at, parts)), ...);
  at = Out::Put(at, '\r');
  out.Commit(Out::Put(at, '\n'));
}

template <typename Out>
bool Transactions(const TransactionsFile& file, const CsvOptions& options, Out& out) {
  const FormattedText today = ReportDateText(file.reportDate, options.dateViewType);
  Line(out, '"', LoadString(StringId::CsvReportDate), ' ', today.view(), kBetween,
       LoadString(StringId::CsvAccountHeading), ' ', file.accountName, '"');
  Line(out, '"', LoadString(StringId::CsvDate), kBetween, LoadString(StringId::CsvCategory),
       kBetween, LoadString(StringId::CsvAmount), kBetween, LoadString(StringId::CsvMemo), '"');
  for (const MoneyRecord& record : file.records) {
    if (!out.ok()) break;
    const std::string_view sign = record.type != kIncome ? "-" : "";
    Line(out, '"', record.DateText(options.dateViewType).view(), kBetween, record.Category(),
         kBetween, sign, record.AmountText(options.grouping).view(), kBetween, Memo{record.Memo()},
         '"');
  }
  return out.Finish();
}

// A total or balance as the report files write it: "-" and the magnitude when negative, the
// amount text otherwise (zero is "0.00", or "0,00" with grouping 1).
template <typename Out>
void NameAmountLine(Out& out, std::u16string_view name, std::int64_t cents,
                    std::uint32_t grouping) {
  Line(out, '"', name, kBetween, FormatAmount(cents, grouping).view(), '"');
}

template <typename Out>
bool CategoryReport(const CategoryReportFile& file, const CsvOptions& options, Out& out) {
  const FormattedText today = ReportDateText(file.reportDate, options.dateViewType);
  Line(out, '"', LoadString(StringId::CsvReportDate), ' ', today.view(), '"');
  Line(out, '"', LoadString(StringId::CsvCategory), kBetween, LoadString(StringId::CsvAmount), '"');
  for (const CategoryRecord& category : file.categories) {
    NameAmountLine(out, category.Name(), category.total, options.grouping);
  }
  return out.Finish();
}

template <typename Out>
bool BalanceReport(const BalanceReportFile& file, const CsvOptions& options, Out& out) {
  const FormattedText start = FormatDate(file.startDateNumber, options.dateViewType);
  if (file.startDateNumber != file.endDateNumber) {
    const FormattedText end = FormatDate(file.endDateNumber, options.dateViewType);
    Line(out, LoadString(StringId::CsvBalanceFrom), ' ', start.view(), ' ',
         LoadString(StringId::CsvBalanceTill), ' ', end.view(), ' ',
         LoadString(StringId::CsvBalanceBothDates));
  } else {
    Line(out, LoadString(StringId::CsvBalanceOn), ' ', start.view());
  }
  Line(out, '"', LoadString(StringId::CsvAccount), kBetween, LoadString(StringId::CsvBalance), '"');
  for (const AccountRecord& account : file.accounts) {
    NameAmountLine(out, account.Name(), account.balance, options.grouping);
  }
  Line(out);
  // Quoted: the total's own comma (a thousands or a decimal comma) would split it in two.
  Line(out, '"', LoadString(StringId::CsvTotalBalance), ' ',
       FormatAmount(file.total, options.grouping).view(), '"');
  return out.Finish();
}

template <typename File, typename Write>
bool InEncoding(const File& file, const CsvOptions& options, ByteSink& sink, Write write) {
  if (options.encoding == kExportUnicode) {
    csv::Encoder<true> out(sink);
    return write(file, options, out);
  }
  csv::Encoder<false> out(sink);
  return write(file, options, out);
}

template <typename File>
std::string InMemory(const File& file, const CsvOptions& options,
                     bool (*write)(const File&, const CsvOptions&, ByteSink&)) {
  StringSink sink;
  write(file, options, sink);
  return sink.Take();
}

}  // namespace

bool WriteTransactionsCsv(const TransactionsFile& file, const CsvOptions& options, ByteSink& sink) {
  return InEncoding(file, options, sink, [](const auto& f, const auto& o, auto& out) {
    return Transactions(f, o, out);
  });
}

bool WriteCategoryReportCsv(const CategoryReportFile& file, const CsvOptions& options,
                            ByteSink& sink) {
  return InEncoding(file, options, sink, [](const auto& f, const auto& o, auto& out) {
    return CategoryReport(f, o, out);
  });
}

bool WriteBalanceReportCsv(const BalanceReportFile& file, const CsvOptions& options,
                           ByteSink& sink) {
  return InEncoding(file, options, sink, [](const auto& f, const auto& o, auto& out) {
    return BalanceReport(f, o, out);
  });
}

std::string TransactionsCsv(const TransactionsFile& file, const CsvOptions& options) {
  return InMemory(file, options, WriteTransactionsCsv);
}

std::string CategoryReportCsv(const CategoryReportFile& file, const CsvOptions& options) {
  return InMemory(file, options, WriteCategoryReportCsv);
}

std::string BalanceReportCsv(const BalanceReportFile& file, const CsvOptions& options) {
  return InMemory(file, options, WriteBalanceReportCsv);
}

}  // namespace quidora
