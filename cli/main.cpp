#include "cli/Commands.h"

#include <clocale>
#include <iostream>

int main(int argc, char** argv) {
  std::setlocale(LC_ALL, "C");
  std::ios::sync_with_stdio(false);
  std::vector<std::string> args(argv + 1, argv + argc);
  return vexa::cli::Run(args, std::cin, std::cout, std::cerr);
}
