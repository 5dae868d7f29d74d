// Texts cross the line between the Qt-free layers (std::u16string, 16-bit units as stored) and
// the widgets (QString) here, and only here.
#pragma once

#include <QString>
#include <string>
#include <string_view>

#include "resources/strings/string_table.h"

namespace quidora::ui {

inline QString ToQString(std::u16string_view text) {
  return QString(reinterpret_cast<const QChar*>(text.data()), static_cast<qsizetype>(text.size()));
}

inline std::u16string ToU16String(const QString& text) {
  return std::u16string(reinterpret_cast<const char16_t*>(text.utf16()),
                        static_cast<std::size_t>(text.size()));
}

// A string-table entry as a QString.
inline QString LoadQString(StringId id) {
  return ToQString(LoadString(id));
}

}  // namespace quidora::ui
