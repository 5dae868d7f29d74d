// A small settings file of the desktop side, whose name the user (or anyone who can write the
// folder) may have put anything under. Only a regular file is read or replaced: a link, FIFO,
// device or folder under the name is left as it is. Reads never wait and never take more than
// a cap; a write goes to a private temporary file in the same folder, synced, then renamed
// over the name, so the file is whole or unchanged.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace quidora::ui {

enum class DesktopEntry { Missing, Regular, Other };

// What the name holds, without following a link.
DesktopEntry DesktopEntryAt(const std::string& path);

// The whole file; nothing when it is missing, not a regular file, unreadable or larger than
// `maxBytes`.
std::optional<std::string> ReadDesktopFile(const std::string& path, std::size_t maxBytes);

// Writes `text` as the file, making its folder (private) when needed. False when the name holds
// anything but a regular file or nothing, or when any step fails; the old file is then as it
// was.
bool WriteDesktopFile(const std::string& path, std::string_view text);

}  // namespace quidora::ui
