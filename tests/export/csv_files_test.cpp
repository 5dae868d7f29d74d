// The bytes of the three files, against golden files written from the file rules (both
// encodings, both groupings, all four date view types, both balance headings).
#include "export/csv_files.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/record_list.h"

namespace quidora {
namespace {

std::string Golden(const std::string& name) {
  std::ifstream in(std::string(QUIDORA_EXPORT_GOLDEN) + "/" + name, std::ios::binary);
  EXPECT_TRUE(in.good()) << "missing golden file " << name;
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Equal bytes, or where they first differ.
::testing::AssertionResult SameBytes(const std::string& expected, const std::string& actual) {
  if (expected == actual) return ::testing::AssertionSuccess();
  std::size_t at = 0;
  while (at < expected.size() && at < actual.size() && expected[at] == actual[at]) ++at;
  return ::testing::AssertionFailure()
         << "sizes " << expected.size() << " / " << actual.size() << ", first difference at byte "
         << at << ": ..." << actual.substr(at < 20 ? 0 : at - 20, 40);
}

// The lines and fields of a file as a spreadsheet reads them: commas outside quotes separate.
std::vector<std::vector<std::string>> Rows(const std::string& file) {
  std::vector<std::vector<std::string>> rows(1, std::vector<std::string>(1));
  bool quoted = false;
  for (std::size_t i = 0; i < file.size(); ++i) {
    if (file[i] == '"') {
      quoted = !quoted;
    } else if (!quoted && file.compare(i, 2, "\r\n") == 0) {
      rows.emplace_back(1);
      ++i;
    } else if (!quoted && file[i] == ',') {
      rows.back().emplace_back();
    } else {
      rows.back().back() += file[i];
    }
  }
  rows.pop_back();  // what follows the last line's end
  return rows;
}

SystemTime Day(int year, int month, int day) {
  SystemTime date;
  date.year = static_cast<std::uint16_t>(year);
  date.month = static_cast<std::uint16_t>(month);
  date.day = static_cast<std::uint16_t>(day);
  return date;
}

std::uint32_t Number(int year, int month, int day) {
  return *DateNumberOf(Day(year, month, day));
}

void AddRecord(MoneyList& list, SystemTime date, std::u16string_view category, std::uint32_t type,
               std::int32_t cents, std::u16string_view memo) {
  MoneyRecord record;
  record.SetDate(date);
  record.SetCategory(category);
  record.type = type;
  record.amount = cents;
  record.SetAmount(cents);
  record.SetMemo(memo);
  list.Append(std::move(record));
}

struct Lists {
  MoneyList money;
  CategoryList categories;
  AccountList accounts;
};

// Memos with quotes, apostrophes, grave accents, a CR LF pair and lone CR and LF; texts outside
// Windows-1252 and outside the basic plane; negative, zero and the lowest totals.
void Fill(Lists& lists) {
  AddRecord(lists.money, Day(2005, 10, 3), u"Food", kExpense, 1250, u"say \"hi\" twice");
  AddRecord(lists.money, Day(2005, 10, 5), u"Salary", kIncome, 123456, u"it's `ok`\r\nnext line");
  AddRecord(lists.money, Day(1999, 12, 31), u"Caf\u00e9 \u20ac", kExpense, 5,
            u"\u65e5\u672c \U0001F600 \u03a9");
  AddRecord(lists.money, Day(2010, 1, 1), u"Car", kIncome, 100000000, u"");
  AddRecord(lists.money, Day(2008, 2, 29), u"Food", kExpense, 99, u"a\r\r\nb\nc");

  const std::pair<std::u16string_view, std::int32_t> categories[] = {
      {u"Salary", 123456},
      {u"Food", -1349},
      {u"Car", 0},
      {u"Z\u00f6e \U0001F381", INT32_MIN},
      {u"Gift", 7}};
  for (const auto& [name, total] : categories) {
    CategoryRecord category;
    category.SetName(name);
    category.total = total;
    lists.categories.Append(std::move(category));
  }
  const std::pair<std::u16string_view, std::int32_t> accounts[] = {
      {u"Bank", 0}, {u"Cash", -102500}, {u"Trip \U0001D11E \u03a9", 100000}};
  for (const auto& [name, balance] : accounts) {
    AccountRecord account;
    account.SetName(name);
    account.balance = balance;
    lists.accounts.Append(std::move(account));
  }
}

TEST(CsvFilesTest, EachFileMatchesItsGoldenBytes) {
  Lists lists;
  Fill(lists);
  for (std::uint32_t encoding : {kExportAscii, kExportUnicode}) {
    for (std::uint32_t grouping : {0u, 1u}) {
      const CsvOptions options{encoding, (grouping == 1 ? 2u : 0u) + encoding, grouping};
      const std::string suffix = std::string(encoding == kExportUnicode ? "unicode" : "ascii") +
                                 "-grouping" + std::to_string(grouping) + ".csv";
      SCOPED_TRACE(suffix);

      const TransactionsFile transactions{
          Day(2005, 10, 31), u"Wallet \u00e6\U0001D11E", {lists.money.begin(), lists.money.end()}};
      EXPECT_TRUE(
          SameBytes(Golden("transactions-" + suffix), TransactionsCsv(transactions, options)));

      const CategoryReportFile categories{Day(2005, 10, 31),
                                          {lists.categories.begin(), lists.categories.end()}};
      EXPECT_TRUE(
          SameBytes(Golden("categories-" + suffix), CategoryReportCsv(categories, options)));

      // Grouping 1 takes the one-day heading. Both totals hold a comma.
      const BalanceReportFile balances{grouping == 1 ? Number(2005, 10, 5) : Number(2005, 10, 1),
                                       grouping == 1 ? Number(2005, 10, 5) : Number(2005, 10, 31),
                                       {lists.accounts.begin(), lists.accounts.end()},
                                       grouping == 1 ? -2500 : 123451};
      const std::string balanceFile = BalanceReportCsv(balances, options);
      EXPECT_TRUE(SameBytes(Golden("balances-" + suffix), balanceFile));
      if (encoding == kExportAscii) {
        // Read back as a spreadsheet would: no line may split inside a field.
        const auto rows = Rows(balanceFile);
        ASSERT_EQ(rows.size(), 7u);
        EXPECT_EQ(rows[6], std::vector<std::string>{grouping == 1 ? "Total Balance: -25,00"
                                                                  : "Total Balance: 1,234.51"});
      }
    }
  }
}

// ASCII text in the bytes of `encoding`.
std::string Widened(const std::string& ascii, std::uint32_t encoding) {
  if (encoding != kExportUnicode) return ascii;
  std::string bytes;
  for (char c : ascii) {
    bytes += c;
    bytes += '\0';
  }
  return bytes;
}

// Refuses every write after the first `accepted` bytes.
class FillingSink final : public ByteSink {
 public:
  explicit FillingSink(std::size_t accepted) : room_(accepted) {}
  bool Write(std::string_view bytes) override {
    if (refused) calledAfterRefusal = true;
    if (bytes.size() > room_) {
      refused = true;
      return false;
    }
    room_ -= bytes.size();
    taken.append(bytes);
    return true;
  }
  std::string taken;
  bool refused = false;
  bool calledAfterRefusal = false;

 private:
  std::size_t room_;
};

TEST(CsvFilesTest, LargeFilesCrossTheBufferWithoutLosingUnitsAndStopAtARefusingSink) {
  // Many lines of an odd byte count with a memo held outside the record and units outside the
  // code page, so the buffer goes to the sink many times in both encodings.
  MoneyList one;
  AddRecord(one, Day(2005, 10, 3), u"Food \u20ac", kExpense, 123456789,
            u"a \"long\" memo,\r\n kept outside the record \u4e2d\U0001F600");
  MoneyList many;
  constexpr std::size_t kRecords = 30000;
  for (std::size_t i = 0; i < kRecords; ++i) {
    AddRecord(many, Day(2005, 10, 3), u"Food \u20ac", kExpense, 123456789,
              u"a \"long\" memo,\r\n kept outside the record \u4e2d\U0001F600");
  }
  // One line longer than the whole buffer.
  MoneyList huge;
  AddRecord(huge, Day(2005, 10, 3), u"Food", kIncome, 1, std::u16string(300000, u'x'));
  for (std::uint32_t encoding : {kExportAscii, kExportUnicode}) {
    SCOPED_TRACE(encoding);
    const CsvOptions options{encoding, 0, 0};
    const std::string single =
        TransactionsCsv({Day(2005, 10, 31), u"A", {one.begin(), one.end()}}, options);
    const std::string heading = TransactionsCsv({Day(2005, 10, 31), u"A", {}}, options);
    ASSERT_GT(single.size(), heading.size());
    std::string expected = heading;
    for (std::size_t i = 0; i < kRecords; ++i) expected.append(single, heading.size());
    const TransactionsFile file{Day(2005, 10, 31), u"A", {many.begin(), many.end()}};
    EXPECT_TRUE(SameBytes(expected, TransactionsCsv(file, options)));

    const std::string longLine =
        TransactionsCsv({Day(2005, 10, 31), u"A", {huge.begin(), huge.end()}}, options);
    EXPECT_TRUE(SameBytes(
        heading + Widened("\"03-10-05\",\"Food\",\"0.01\",\"" + std::string(300000, 'x') + "\"\r\n",
                          encoding),
        longLine));

    FillingSink sink(expected.size() / 2);
    EXPECT_FALSE(WriteTransactionsCsv(file, options, sink));
    EXPECT_EQ(sink.taken, expected.substr(0, sink.taken.size())) << "what was taken is right";
    EXPECT_TRUE(sink.refused);
    EXPECT_FALSE(sink.calledAfterRefusal);
  }
}

}  // namespace
}  // namespace quidora
