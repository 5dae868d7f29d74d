#include "import/parse_file.h"

#include "import/mapped_csv.h"
#include "import/ofx.h"
#include "import/own_csv.h"
#include "import/qif.h"

namespace quidora::import {

FileFormat DetectFormat(std::string_view bytes) {
  if (IsOwnTransactionsFile(bytes)) return FileFormat::Own;
  if (LooksLikeOfx(bytes)) return FileFormat::Ofx;
  if (LooksLikeQif(bytes)) return FileFormat::Qif;
  return FileFormat::Csv;
}

ParsedFile ParseFile(const std::string& path, std::string_view bytes, const ParseOptions& options,
                     const std::function<void(RawRecord&)>& take) {
  ParsedFile parsed;
  parsed.format = options.format.value_or(DetectFormat(bytes));
  switch (parsed.format) {
    case FileFormat::Own:
      parsed.problems = ParseOwnTransactions(bytes, options, take);
      break;
    case FileFormat::Ofx:
      parsed.problems = ParseOfx(path, bytes, take);
      break;
    case FileFormat::Qif:
      parsed.problems = ParseQif(bytes, options, take);
      break;
    case FileFormat::Csv:
      parsed.problems = ParseMappedCsv(bytes, options, take);
      break;
  }
  return parsed;
}

std::string_view FormatName(FileFormat format) {
  switch (format) {
    case FileFormat::Own:
      return "Quidora transactions file";
    case FileFormat::Ofx:
      return "OFX";
    case FileFormat::Qif:
      return "QIF";
    case FileFormat::Csv:
      return "CSV";
  }
  return "";
}

}  // namespace quidora::import
