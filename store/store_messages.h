// The storage layer's messages: a string-table text, optionally followed by a space and the
// name of the database concerned.
#pragma once

#include <filesystem>
#include <string_view>

#include "core/message_service.h"
#include "platform/object_store.h"
#include "resources/strings/string_table.h"

namespace quidora {

// "<text> <database name>" with the exclamation icon.
void ShowNamed(MessageService& ui, StringId text, std::u16string_view databaseName);
// The database-problem message: a beep, then the text with the stop icon.
void ShowDatabaseProblem(MessageService& ui);

// "<building-error text> <what is wrong, naming `subject`>" with the stop icon, and the same line
// on standard error, where it outlives the box.
void ShowVolumeRefusal(MessageService& ui, platform::VolumeProblem problem,
                       const std::filesystem::path& subject);
// The text of that message.
std::u16string VolumeRefusalText(platform::VolumeProblem problem,
                                 const std::filesystem::path& subject);

}  // namespace quidora
