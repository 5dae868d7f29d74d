// Same layer: allowed.
#include "core/date.h"

#include "store/settings.h"
