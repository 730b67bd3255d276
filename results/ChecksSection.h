#pragma once
// The "Checks" section of the results page: a second table after the lines' table, in the
// style of the page (Windows-1251 text, CR LF line ends), showing what the robust line search
// and the checks found.
#include "analysis/RobustLines.h"

#include <string>

namespace vexa {

// The section's HTML, from its table opening to its table closing.
std::string WriteChecksSection(const RobustAnalysis& analysis, int fontPercent = 100);

} // namespace vexa
