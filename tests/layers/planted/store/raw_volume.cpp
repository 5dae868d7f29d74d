#include "platform/registry.h"
  #  include <sqlite3.h>
