#pragma once
// vexa plot: the graph of a .vexa file as a PNG or SVG picture, drawn by the window program's
// own drawing code on the offscreen platform, without a display.
#include <iosfwd>
#include <string>
#include <vector>

namespace vexa::cli {

// Runs "plot" (args[0]) with its arguments. Returns 0, 1 for unreadable input or an output
// that cannot be written, 2 for a wrong command line (or a build without the graph).
int Plot(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
         std::ostream& err);

} // namespace vexa::cli
