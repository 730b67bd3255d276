#pragma once
// The vexa command-line tool: report, import, export, plot and batch over the engine. The
// commands read their inputs whole, build every output in memory and put all of them in place
// at the end, so an error never leaves a file behind.
#include "cli/Common.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace vexa::cli {

// Runs the tool on its arguments (without the program name). Standard input is read for an
// input named "-"; results go to out, messages to err. Returns the exit status.
int Run(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
        std::ostream& err);

} // namespace vexa::cli
