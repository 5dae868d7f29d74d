// OFX and QFX bank statements (SGML 1.x and XML 2.x), read by libofx. Each transaction gives its
// posting date (the date the file writes, whatever its time and zone), its amount (negative: an
// expense) and, as the memo, the payee's name (NAME) and the memo (MEMO) joined by one space.
// The character set the file declares is honoured. OFX records carry no category.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "import/import_types.h"

namespace quidora::import {

bool LooksLikeOfx(std::string_view bytes);

std::vector<Problem> ParseOfx(const std::string& path, std::string_view bytes,
                              const std::function<void(RawRecord&)>& take);

}  // namespace quidora::import
