#pragma once
// The vexa command-line tool: report, import and export over the engine. The commands read
// their inputs whole, build every output in memory and write each output atomically at the
// end, so an error never leaves a file behind.
#include <iosfwd>
#include <string>
#include <vector>

namespace vexa::cli {

enum ExitCode { kOk = 0, kBadInput = 1, kBadUsage = 2 };

// Runs the tool on its arguments (without the program name). Standard input is read for an
// input named "-"; results go to out, messages to err.
int Run(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
        std::ostream& err);

} // namespace vexa::cli
