#include "store/store_messages.h"

#include <string>

namespace quidora {

void ShowNamed(MessageService& ui, StringId text, std::u16string_view databaseName) {
  std::u16string message(LoadString(text));
  message += u' ';
  message += databaseName;
  ui.Show(message, MessageIcon::Exclamation);
}

void ShowDatabaseProblem(MessageService& ui) {
  ui.Beep();
  ui.Show(LoadString(StringId::DatabaseProblem), MessageIcon::Stop);
}

}  // namespace quidora
