#include "test_environment.h"

#include <clocale>
#include <cstdlib>
#include <ctime>
#include <string>

#include <unistd.h>

namespace quidora::testing {

void PinTestEnvironment() {
  setenv("TZ", "UTC", 1);
  tzset();
  setenv("LC_ALL", "C.UTF-8", 1);
  std::setlocale(LC_ALL, "C.UTF-8");
  // A private runtime folder keeps single-instance sockets of parallel test processes apart.
  std::string templ = "/tmp/quidora-test-runtime-XXXXXX";
  if (char* dir = mkdtemp(templ.data())) {
    setenv("XDG_RUNTIME_DIR", dir, 1);
  }
}

}  // namespace quidora::testing
