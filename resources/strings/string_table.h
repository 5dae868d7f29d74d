// The device program's string table. Every text the program shows to a user comes from here,
// exactly as written. Numbered entries keep the program's resource numbers; the others get
// numbers from 41000 up. Header-only and Qt-free so that every layer, core included, can use it
// without linking anything.
#pragma once

#include <cstdint>
#include <string_view>

namespace quidora {

enum class StringId : std::uint32_t {
  Title = 1,       // "Quidora": window title and caption of every message box
  ClassName = 2,   // "Quidora"
  Maker = 4,       // "Vesko": first word of the registry key paths
  CategoryHeading = 40004,
  ViewOptionsHeading = 40005,
  ColumnDate = 40011,
  ColumnCategory = 40012,
  ColumnAmount = 40013,
  BalanceColumnAccount = 40014,
  BalanceColumnBalance = 40015,
  MenuTools = 40017,
  CannotContinue = 40023,
  StartsAfterEnds = 40028,
  MenuNew = 40038,
  ReportColumnCategory = 40047,
  ReportColumnAmount = 40048,
  MenuAccounts = 40059,
  UndoFull = 40075,
  ExportInvalidName = 40076,  // the same text as InvalidName
  ColumnAccount = 40102,
  ColumnCreated = 40103,
  AccountLimit = 40106,
  NoTransactionsInRange = 40108,
  ExportCannotDelete = 40029,
  ExportCannotCreate = 40030,
  ExportNoBusinessFolder = 40031,
  ExportNoPersonalFolder = 40032,
  ExportFileExists = 40041,
  ExportWriteFailed = 40044,
  CsvDate = 40109,
  CsvCategory = 40110,
  CsvAmount = 40111,
  CsvMemo = 40112,
  CsvReportDate = 40113,
  CsvAccountHeading = 40114,
  CsvBalanceFrom = 40115,
  CsvBalanceTill = 40116,
  CsvBalanceBothDates = 40117,
  CsvBalanceOn = 40118,
  CsvAccount = 40119,
  CsvBalance = 40120,
  CsvTotalBalance = 40121,

  // Messages without a resource number of their own.
  InvalidName = 41000,
  AmountInvalid,
  AmountTooLargeDot,
  AmountTooLargeComma,
  AmountZeroDot,
  AmountZeroComma,
  BalanceOverflow,
  BuildingError,
  DatabaseProblem,
  AddError,
  EditError,
  DeleteError,
  SortRecordsError,
  SortCategoriesNameError,
  SortTransactionsError,
  SortAccountsError,
  DeleteRecordQuestion,
  AccountExists,
  DeleteAccountQuestion,
  AccountsHint,
  DeleteCategoryQuestion,
  BalanceFormat,
  NegativeBalanceFormat,
  AccountHeading,
  NoRecordsFound,
  RecordsWillBeDeleted,  // follows the count of records found and a space
  DeleteByRangeHeading,
  ExportDone,
  ProgramError,  // a report's total text when its amount text is missing

  // Why the store was refused at start, after the building-error text; %s is a file or folder.
  VolumeNotAFile,
  VolumeNoAccess,
  VolumeReadOnly,
  VolumeEmpty,
  VolumeNotAStore,
  VolumeDamaged,
  VolumeNewer,
  VolumeNoSpace,
  VolumePathTooLong,
  VolumeMissing,
  VolumeUnusable,

  // Start-up and exit: each is followed by a space and the file or folder concerned.
  AnotherCopyUsesData = 41100,
  DataFolderCannotBeLocked,
  DataFolderTooLong,
  SettingsNotSaved,

  // Backups: %s is the time of the newest good backup; the exit's text is followed by a space
  // and the store's file.
  BackupFromTime = 41200,
  StoreDamagedAtExit,
  // Followed by a space and the store's file.
  StoreFoundDamaged,
};

constexpr std::u16string_view LoadString(StringId id) {
  switch (id) {
    case StringId::Title: return u"Quidora";
    case StringId::ClassName: return u"Quidora";
    case StringId::Maker: return u"Vesko";
    case StringId::CategoryHeading: return u"Category";
    case StringId::ViewOptionsHeading: return u"Date and Currency view options";
    case StringId::ColumnDate: return u"Date";
    case StringId::ColumnCategory: return u"Category";
    case StringId::ColumnAmount: return u"Amount";
    case StringId::BalanceColumnAccount: return u"Account";
    case StringId::BalanceColumnBalance: return u"Balance";
    case StringId::MenuTools: return u"Tools";
    case StringId::CannotContinue: return u"The Quidora program cannot continue !";
    case StringId::StartsAfterEnds: return u"Starts date must be earlier than Ends date!";
    case StringId::MenuNew: return u"New";
    case StringId::ReportColumnCategory: return u"Category";
    case StringId::ReportColumnAmount: return u"Amount";
    case StringId::MenuAccounts: return u"Accounts";
    case StringId::UndoFull:
      return u"The Undo can hold only 12 records. Deleting this record will add it to the end and "
             u"discard the first record. Do you want to delete it anyway?";
    case StringId::ColumnAccount: return u"Account";
    case StringId::ColumnCreated: return u"Created";
    case StringId::NoTransactionsInRange: return u"No transactions found in date range specified.";
    case StringId::AccountLimit:
      return u"Current version of Quidora supports only 15 accounts. You reached this maximum "
             u"number! Solution: You can delete one of the old accounts...";
    case StringId::ExportCannotDelete:
      return u"Cannot delete File. The source or destination file may be in use.";
    case StringId::ExportCannotCreate: return u"Program failed to create file.";
    case StringId::ExportNoBusinessFolder:
      return u"Folder Business doesn't exist on you PocketPC. Please, restore original folder "
             u"structure on you PocketPC, and try again.";
    case StringId::ExportNoPersonalFolder:
      return u"Folder Personal doesn't exist on you PocketPC. Please, restore original folder "
             u"structure on you PocketPC, and try again.";
    case StringId::ExportFileExists:
      return u"File already exists - do you want replace existing file?";
    case StringId::ExportWriteFailed: return u"Program failed to write Money records in file.";
    case StringId::CsvDate: return u"Date";
    case StringId::CsvCategory: return u"Category";
    case StringId::CsvAmount: return u"Amount";
    case StringId::CsvMemo: return u"Memo";
    case StringId::CsvReportDate: return u"Report Date:";
    case StringId::CsvAccountHeading: return u"Account:";
    case StringId::CsvBalanceFrom: return u"Total Balance of all accounts from";
    case StringId::CsvBalanceTill: return u"till";
    case StringId::CsvBalanceBothDates: return u"(including both these dates)";
    case StringId::CsvBalanceOn: return u"Total Balance of all accounts on";
    case StringId::CsvAccount: return u"Account";
    case StringId::CsvBalance: return u"Balance";
    case StringId::CsvTotalBalance: return u"Total Balance:";
    case StringId::InvalidName:
    case StringId::ExportInvalidName:
      return u"Please, enter a unique name that is alphabetic character within the ranges A - Z "
             u"or a - z or decimal digit (0 - 9).";
    case StringId::AmountInvalid:
      return u"Please specify a valid amount. Check currency options in the Tools\\View Options "
             u"menu item.";
    case StringId::AmountTooLargeDot: return u"You can enter not more than 1,000,000.00 ";
    case StringId::AmountTooLargeComma: return u"You can enter not more than 1.000.000,00 ";
    case StringId::AmountZeroDot: return u"You can not enter 0.0 amount";
    case StringId::AmountZeroComma: return u"You can not enter 0,0 amount";
    case StringId::BalanceOverflow:
      return u"Balance amount exceeds the largest amount possible in Quidora program. In order to "
             u"finish your task we advice you export all your Money records in a file via "
             u"Tools\\Export Records... menu item. This file can be processed by most "
             u"spreadsheets \n(such as Microsoft Excel).";
    case StringId::BuildingError: return u"Error during building database:";
    case StringId::DatabaseProblem: return u"There are problems with Quidora database !";
    case StringId::AddError: return u"Error during adding record to database:";
    case StringId::EditError: return u"Error during edit operation in database:";
    case StringId::DeleteError: return u"Error during deleting record in database:";
    case StringId::SortRecordsError: return u"Error: records cannot be sorted !";
    case StringId::SortCategoriesNameError: return u"Error: categories name sorting";
    case StringId::SortTransactionsError: return u"Error: transactions sorting";
    case StringId::SortAccountsError: return u"Error: accounts sorting";
    case StringId::DeleteRecordQuestion: return u"Selected record will be deleted. Continue?";
    case StringId::AccountExists: return u"This Account already exists, please choose another.";
    case StringId::DeleteAccountQuestion:
      return u"Selected Account will be permanently deleted. Continue?";
    case StringId::AccountsHint: return u"To edit account tap on its name ! ";
    case StringId::DeleteCategoryQuestion:
      return u"Selected item will be permanently deleted. Continue?";
    case StringId::BalanceFormat: return u"Balance: %s";
    case StringId::NegativeBalanceFormat: return u"Balance: -%s";
    case StringId::AccountHeading: return u"Account:";
    case StringId::NoRecordsFound: return u"No Records found !";
    case StringId::RecordsWillBeDeleted: return u"records will be deleted. Continue?";
    case StringId::DeleteByRangeHeading: return u"Delete Records by Range of Dates";
    case StringId::ExportDone: return u"OK !";
    case StringId::ProgramError: return u"Program error";
    case StringId::VolumeNotAFile: return u"%s is not a file";
    case StringId::VolumeNoAccess: return u"%s cannot be opened: permission denied";
    case StringId::VolumeReadOnly: return u"%s is read-only";
    case StringId::VolumeEmpty: return u"%s is empty, not a Quidora store";
    case StringId::VolumeNotAStore: return u"%s is not a Quidora store";
    case StringId::VolumeDamaged: return u"%s is damaged";
    case StringId::VolumeNewer: return u"%s was written by a newer version of Quidora";
    case StringId::VolumeNoSpace: return u"%s cannot be written: no space left on the disk";
    case StringId::VolumePathTooLong: return u"the path %s is too long";
    case StringId::VolumeMissing: return u"%s does not exist";
    case StringId::VolumeUnusable: return u"%s cannot be opened";
    case StringId::AnotherCopyUsesData:
      return u"Another copy of Quidora is already using this data folder:";
    case StringId::DataFolderCannotBeLocked:
      return u"Quidora cannot lock its data folder, so it cannot be sure that no other copy "
             u"uses it:";
    case StringId::DataFolderTooLong:
      return u"The path of Quidora's data folder is longer than 400 bytes:";
    case StringId::SettingsNotSaved: return u"Quidora could not save its settings in";
    case StringId::BackupFromTime:
      return u"A backup from %s exists. To bring it back, close Quidora and run: "
             u"quidora-cli restore --latest";
    case StringId::StoreDamagedAtExit:
      return u"Quidora found its store damaged while backing it up, so no backup was made of";
    case StringId::StoreFoundDamaged:
      return u"Quidora found its store damaged and will write nothing more to";
  }
  return {};
}

}  // namespace quidora
