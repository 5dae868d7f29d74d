#include <string>
#include "platform/ui/device_screen.h"
