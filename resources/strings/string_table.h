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
  ColumnDate = 40011,
  ColumnCategory = 40012,
  ColumnAmount = 40013,
  MenuTools = 40017,
  CannotContinue = 40023,
  MenuNew = 40038,
  MenuAccounts = 40059,
  UndoFull = 40075,
  ColumnAccount = 40102,
  ColumnCreated = 40103,
  AccountLimit = 40106,

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

  // Start-up and exit: each is followed by a space and the file or folder concerned.
  AnotherCopyUsesData = 41100,
  DataFolderCannotBeLocked,
  DataFolderTooLong,
  SettingsNotSaved,
};

constexpr std::u16string_view LoadString(StringId id) {
  switch (id) {
    case StringId::Title: return u"Quidora";
    case StringId::ClassName: return u"Quidora";
    case StringId::Maker: return u"Vesko";
    case StringId::CategoryHeading: return u"Category";
    case StringId::ColumnDate: return u"Date";
    case StringId::ColumnCategory: return u"Category";
    case StringId::ColumnAmount: return u"Amount";
    case StringId::MenuTools: return u"Tools";
    case StringId::CannotContinue: return u"The Quidora program cannot continue !";
    case StringId::MenuNew: return u"New";
    case StringId::MenuAccounts: return u"Accounts";
    case StringId::UndoFull:
      return u"The Undo can hold only 12 records. Deleting this record will add it to the end and "
             u"discard the first record. Do you want to delete it anyway?";
    case StringId::ColumnAccount: return u"Account";
    case StringId::ColumnCreated: return u"Created";
    case StringId::AccountLimit:
      return u"Current version of Quidora supports only 15 accounts. You reached this maximum "
             u"number! Solution: You can delete one of the old accounts...";
    case StringId::InvalidName:
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
    case StringId::AnotherCopyUsesData:
      return u"Another copy of Quidora is already using this data folder:";
    case StringId::DataFolderCannotBeLocked:
      return u"Quidora cannot lock its data folder, so it cannot be sure that no other copy "
             u"uses it:";
    case StringId::DataFolderTooLong:
      return u"The path of Quidora's data folder is longer than 400 bytes:";
    case StringId::SettingsNotSaved: return u"Quidora could not save its settings in";
  }
  return {};
}

}  // namespace quidora
