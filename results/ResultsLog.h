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
// checks, the "Checks" section of the second automatic method follows the lines' table. A
// data note (Windows-1251 text, such as how pH was computed from potentials) is a row of its
// own under the parameters; without one the page is as it always was.
std::string WriteResultsLog(const TitrationSystem& sys, int fontPercent = 100,
                            const RobustAnalysis* checks = nullptr,
                            const std::string& dataNote = {});

// What the page shows of a line beside A, B and Veq: the concentration of the titrated
// substance with its half-width, and the pH jump, computed as the page computes them.
struct LineFigures {
  double csub = 0;
  double deltaC = 0;
  double deltaPH = 0;
};
LineFigures FiguresOf(const TitrationSystem& sys, int index);

// The text with & < > " replaced by their HTML entities; every other byte unchanged.
std::string HtmlEscape(const std::string& text);

} // namespace vexa
