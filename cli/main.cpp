// quidora-cli: reads a Quidora store from a terminal or a script, never changing it.
#include <cstdlib>
#include <iostream>
#include <string_view>
#include <vector>

#include "cli/program.h"

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  const std::vector<std::string_view> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  return quidora::cli::RunProgram(
      args, [](const char* name) { return std::getenv(name); }, std::cout, std::cerr);
}
