// The storage layer's messages: a string-table text, optionally followed by a space and the
// name of the database concerned.
#pragma once

#include <string_view>

#include "core/message_service.h"
#include "resources/strings/string_table.h"

namespace quidora {

// "<text> <database name>" with the exclamation icon.
void ShowNamed(MessageService& ui, StringId text, std::u16string_view databaseName);
// The database-problem message: a beep, then the text with the stop icon.
void ShowDatabaseProblem(MessageService& ui);

}  // namespace quidora
