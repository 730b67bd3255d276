#pragma once
// Runs the command-line tool in-process, as a shell would, and keeps what it said.
#include "cli/Commands.h"

#include <sstream>
#include <string>
#include <vector>

namespace vexa::test {

struct CliResult {
  int code;
  std::string out, err;
};

inline CliResult Vexa(const std::vector<std::string>& args, const std::string& input = {}) {
  std::istringstream in(input);
  std::ostringstream out, err;
  const int code = vexa::cli::Run(args, in, out, err);
  return {code, out.str(), err.str()};
}

} // namespace vexa::test
