// A problem the user must hear about even when nobody watches the screen: a message box (the
// string-table text, a space and the file or folder concerned, with the stop icon) and the same
// line on the error stream, "quidora: <text> <subject>".
#pragma once

#include <filesystem>
#include <iosfwd>
#include <string_view>

#include "core/message_service.h"
#include "resources/strings/string_table.h"

namespace quidora {

void TellUser(MessageService& messages, std::ostream& errors, StringId text,
              const std::filesystem::path& subject, std::string_view reason = {});

// Only the error stream: what the user should know but need not answer.
void NoteOnErrors(std::ostream& errors, std::string_view line);

}  // namespace quidora
