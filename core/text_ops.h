// Text operations shared by the dialogs that take names and by key making.
//
// Letters are those of the platform's character classification for Unicode (the C.UTF-8
// locale, used through its own locale object: the program's global locale is never changed).
// UTF-16 surrogate pairs are read as one character; a lone surrogate is not a letter.
#pragma once

#include <string>
#include <string_view>

namespace quidora {

// `text` without its leading and trailing spaces (character 32 only: tabs stay). The result
// views `text`; its length is the length of the trimmed text.
std::u16string_view TrimSpaces(std::u16string_view text);

// True when `text` is not empty and holds only letters, the digits 0-9 and spaces.
// Uniqueness is the caller's business.
bool IsValidName(std::u16string_view text);

// The form in which category names are stored: the first character in capitals, the rest in
// small letters ("fOOD" -> "Food", "café" -> "Café"). Characters without a case stay as they
// are.
std::u16string StoredCategoryName(std::u16string_view text);

}  // namespace quidora
