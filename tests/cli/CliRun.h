#pragma once
// Runs the command-line tool in-process, as a shell would, and keeps what it said.
#include "cli/Commands.h"

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

namespace vexa::test {

struct CliResult {
  int code;
  std::string out, err;
};

inline CliResult Vexa(const std::vector<std::string>& args, const std::string& input = {}) {
#ifdef VEXA_QT_MODULE_FILE
  // The module is not beside the test program: say where the build put it.
  ::setenv("VEXA_QT_MODULE", VEXA_QT_MODULE_FILE, 0);
#endif
  std::istringstream in(input);
  std::ostringstream out, err;
  const int code = vexa::cli::Run(args, in, out, err);
  return {code, out.str(), err.str()};
}

} // namespace vexa::test
