// The UI library's compiled-in resources (the sound) live in a static library, whose resource
// registration the linker would drop unless something calls for it.
#pragma once

namespace quidora::ui {

void InitUiResources();

}  // namespace quidora::ui
