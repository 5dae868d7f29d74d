// Pins what every test process depends on: UTC, a UTF-8 locale and a private runtime folder.
#pragma once

namespace quidora::testing {
void PinTestEnvironment();
}
