#include "export/csv_files.h"

#include "core/amount_text.h"
#include "export/csv_encoder.h"
#include "resources/strings/string_table.h"

namespace quidora {
namespace {

// A total or balance as the report files write it: "-" and the magnitude when negative, the
// amount text otherwise (zero is "0.00", or "0,00" with grouping 1).
FormattedText SignedAmountText(std::int64_t cents, std::uint32_t grouping) {
  return FormatAmount(cents, grouping);
}

FormattedText ReportDateText(const SystemTime& today, std::uint32_t viewType) {
  return FormatDate(DateNumberOf(today).value_or(0), viewType);
}

// "text","text",... for the program's own headings.
template <typename Out>
void QuotedLine(Out& out, std::initializer_list<std::u16string_view> fields) {
  bool first = true;
  for (std::u16string_view field : fields) {
    if (!first) out.Put(',');
    first = false;
    out.Put('"');
    out.Put(field);
    out.Put('"');
  }
  out.EndLine();
}

// "name","amount" lines of the two report files.
template <typename Out>
void NameAmountLine(Out& out, std::u16string_view name, std::int64_t cents,
                    std::uint32_t grouping) {
  out.Put('"');
  out.Put(name);
  out.Put(u"\",\"");
  out.Put(SignedAmountText(cents, grouping).view());
  out.Put('"');
  out.EndLine();
}

template <typename Out>
bool Transactions(const TransactionsFile& file, const CsvOptions& options, Out& out) {
  out.Put('"');
  out.Put(LoadString(StringId::CsvReportDate));
  out.Put(' ');
  out.Put(ReportDateText(file.reportDate, options.dateViewType).view());
  out.Put(u"\",\"");
  out.Put(LoadString(StringId::CsvAccountHeading));
  out.Put(' ');
  out.Put(file.accountName);
  out.Put('"');
  out.EndLine();
  QuotedLine(out, {LoadString(StringId::CsvDate), LoadString(StringId::CsvCategory),
                   LoadString(StringId::CsvAmount), LoadString(StringId::CsvMemo)});
  for (const MoneyRecord& record : file.records) {
    if (!out.ok()) break;
    out.Put('"');
    out.Put(record.DateText(options.dateViewType).view());
    out.Put(u"\",\"");
    out.Put(record.Category());
    out.Put(u"\",\"");
    if (record.type != kIncome) out.Put('-');
    out.Put(record.AmountText(options.grouping).view());
    out.Put(u"\",\"");
    out.PutMemo(record.Memo());
    out.Put('"');
    out.EndLine();
  }
  return out.Finish();
}

template <typename Out>
bool CategoryReport(const CategoryReportFile& file, const CsvOptions& options, Out& out) {
  out.Put('"');
  out.Put(LoadString(StringId::CsvReportDate));
  out.Put(' ');
  out.Put(ReportDateText(file.reportDate, options.dateViewType).view());
  out.Put('"');
  out.EndLine();
  QuotedLine(out, {LoadString(StringId::CsvCategory), LoadString(StringId::CsvAmount)});
  for (const CategoryRecord& category : file.categories) {
    NameAmountLine(out, category.Name(), category.total, options.grouping);
  }
  return out.Finish();
}

template <typename Out>
bool BalanceReport(const BalanceReportFile& file, const CsvOptions& options, Out& out) {
  const FormattedText start = FormatDate(file.startDateNumber, options.dateViewType);
  if (file.startDateNumber != file.endDateNumber) {
    out.Put(LoadString(StringId::CsvBalanceFrom));
    out.Put(' ');
    out.Put(start.view());
    out.Put(' ');
    out.Put(LoadString(StringId::CsvBalanceTill));
    out.Put(' ');
    out.Put(FormatDate(file.endDateNumber, options.dateViewType).view());
    out.Put(' ');
    out.Put(LoadString(StringId::CsvBalanceBothDates));
  } else {
    out.Put(LoadString(StringId::CsvBalanceOn));
    out.Put(' ');
    out.Put(start.view());
  }
  out.EndLine();
  QuotedLine(out, {LoadString(StringId::CsvAccount), LoadString(StringId::CsvBalance)});
  for (const AccountRecord& account : file.accounts) {
    NameAmountLine(out, account.Name(), account.balance, options.grouping);
  }
  out.EndLine();
  out.Put(LoadString(StringId::CsvTotalBalance));
  out.Put(' ');
  out.Put(SignedAmountText(file.total, options.grouping).view());
  out.EndLine();
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
