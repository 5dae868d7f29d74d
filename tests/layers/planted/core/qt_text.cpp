#include "core/amount_text.h"

#include <QString>
