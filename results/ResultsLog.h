#pragma once
// The results page of a titration system: the exact bytes of "log.html" (Windows-1251 text,
// CR LF line ends, the closing note after the closing html tag).
#include <string>

namespace vexa {

class TitrationSystem;
struct RobustAnalysis;

// The font-size percentages the results page offers; 100 is the default.
inline constexpr int kLogFontPercents[] = {25, 50, 75, 100, 150, 200, 300};

// The page for `sys` as it stands (the lines are printed as their last fit left them). With
// checks, the "Checks" section of the second automatic method follows the lines' table.
std::string WriteResultsLog(const TitrationSystem& sys, int fontPercent = 100,
                            const RobustAnalysis* checks = nullptr);

// The text with & < > " replaced by their HTML entities; every other byte unchanged.
std::string HtmlEscape(const std::string& text);

} // namespace vexa
