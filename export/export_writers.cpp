#include "export/export_writers.h"

#include "export/export_file.h"

namespace quidora {

std::u16string ExportDevicePath(std::u16string_view name, std::uint32_t folder) {
  std::u16string path;
  if (folder == kExportBusiness) {
    path = u"\\My Documents\\Business";
  } else if (folder == kExportPersonal) {
    path = u"\\My Documents\\Personal";
  } else {
    return path;
  }
  path += u'\\';
  path += name;
  path += u".csv";
  return path;
}

ExportResult ExportTransactions(const ExportRequest& request, const TransactionsFile& file,
                                const ExportServices& services) {
  return WriteExportFile(request, services, [&](ByteSink& sink) {
    return WriteTransactionsCsv(file, request.csv, sink);
  });
}

ExportResult ExportCategoryReport(const ExportRequest& request, const CategoryReportFile& file,
                                  const ExportServices& services) {
  if (file.categories.empty()) return ExportResult::Refused;
  return WriteExportFile(request, services, [&](ByteSink& sink) {
    return WriteCategoryReportCsv(file, request.csv, sink);
  });
}

ExportResult ExportBalanceReport(const ExportRequest& request, const BalanceReportFile& file,
                                 const ExportServices& services) {
  if (file.accounts.empty()) return ExportResult::Refused;
  return WriteExportFile(request, services, [&](ByteSink& sink) {
    return WriteBalanceReportCsv(file, request.csv, sink);
  });
}

}  // namespace quidora
