#include "help_window.h"
#include "platform/registry.h"
