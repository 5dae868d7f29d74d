// The storage layer's messages: a string-table text, optionally followed by a space and the
// name of the database concerned.
#pragma once

#include <filesystem>
#include <string_view>

#include "core/message_service.h"
#include "platform/object_store.h"
#include "resources/strings/string_table.h"

namespace quidora {

class Databases;

// "<text> <database name>" with the exclamation icon.
void ShowNamed(MessageService& ui, StringId text, std::u16string_view databaseName);

// A failed write of a record operation: ShowNamed, unless the store was found damaged during
// the run and refuses every write, which is then what the user hears, with the store's file.
void ShowWriteFailure(Databases& store, MessageService& ui, StringId text,
                      std::u16string_view databaseName);
// The database-problem message: a beep, then the text with the stop icon.
void ShowDatabaseProblem(MessageService& ui);

// "<building-error text> <what is wrong, naming `subject`>" with the stop icon, and the same line
// on standard error, where it outlives the box.
// A refusal of a store that a backup can replace (damaged, empty, not a store) goes on with
// the newest good backup in `dataFolder`, when there is one, and how to bring it back.
void ShowVolumeRefusal(MessageService& ui, platform::VolumeProblem problem,
                       const std::filesystem::path& subject,
                       const std::filesystem::path& dataFolder = {});
// The text of that message.
std::u16string VolumeRefusalText(platform::VolumeProblem problem,
                                 const std::filesystem::path& subject,
                                 const std::filesystem::path& dataFolder = {});
// "A backup from <time> exists. To bring it back, ..." for the newest backup of `dataFolder`
// that verifies; empty when there is none.
std::u16string RestoreHintText(const std::filesystem::path& dataFolder);

}  // namespace quidora
