#include "results/ChecksSection.h"

#include "results/ResultsLog.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>

namespace vexa {

namespace {

#if defined(__GNUC__)
__attribute__((format(printf, 2, 3)))
#endif
void Append(std::string& page, const char* format, ...) {
  char text[1024];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  page += text;
}

const char* BranchCaption(Branch branch) {
  return branch == Branch::AcidExcess ? "acid excess" : "base excess";
}

void RedRow(std::string& page, const std::string& text) {
  Append(page, "<tr><td colspan=2><font color=red><b>%s</b></font></td></tr>\r\n",
         HtmlEscape(text).c_str());
}

} // namespace

std::string WriteChecksSection(const RobustAnalysis& analysis, int fontPercent) {
  std::string page;
  Append(page, "<table width=100%% border=1 cols=2 style=\"font-size: %d%%\">\r\n", fontPercent);
  page += "<tr BGCOLOR=aqua><td colspan=2><b>Checks</b></td></tr>\r\n";

  for (std::size_t k = 0; k < analysis.lines.size(); ++k) {
    const BranchLine& line = analysis.lines[k];
    const int first = line.firstPoint + 1, end = line.endPoint + 1;
    Append(page,
           "<tr><td>Line # %zu (%s%s)</td><td>V<sub>eq</sub> = %g &plusmn; %g (%.3g%%; "
           "%d/%d(%d))</td></tr>\r\n",
           k + 1, BranchCaption(line.branch), line.titrantExcess ? ", titrant" : "", line.veq,
           line.halfWidth, line.relativeError, first, end, end - first + 1);
  }
  if (analysis.lines.empty()) RedRow(page, "No straight line found");

  switch (analysis.agreement) {
  case Agreement::Agree:
    page += "<tr><td>Consistency of the lines</td><td>the two lines agree</td></tr>\r\n";
    Append(page,
           "<tr><td>Combined V<sub>eq</sub> &plusmn; &Delta;V</td><td>%g &plusmn; %g</td></tr>\r\n",
           analysis.combinedVeq, analysis.combinedHalfWidth);
    break;
  case Agreement::Disagree:
    page += "<tr><td>Consistency of the lines</td><td><font color=red><b>the two lines "
            "disagree</b></font></td></tr>\r\n";
    break;
  case Agreement::NotTested:
    page +=
        "<tr><td>Consistency of the lines</td><td>not tested: fewer than two lines</td></tr>\r\n";
    break;
  }

  for (std::size_t k = 0; k < analysis.endPoints.size(); ++k) {
    const EndPoint& e = analysis.endPoints[k];
    Append(page,
           "<tr><td>End point # %zu (maximum of |dpH/dV|)</td><td>V = %g, pH = %g, "
           "dpH/dV = %g</td></tr>\r\n",
           k + 1, e.volume, e.pH, e.slope);
  }
  if (analysis.endPoints.empty())
    page += "<tr><td>End point (maximum of |dpH/dV|)</td><td>none</td></tr>\r\n";

  if (analysis.buffer.present) {
    const BufferEstimate& b = analysis.buffer;
    const int first = b.firstPoint + 1, end = b.endPoint + 1;
    Append(page,
           "<tr><td>Buffer-region function %s</td><td>V<sub>eq</sub> = %g &plusmn; %g (%.3g%%; "
           "%d/%d(%d))</td></tr>\r\n",
           b.acid ? "V*10<sup>-pH</sup>" : "V*10<sup>pH-pK<sub>w</sub></sup>", b.veq, b.halfWidth,
           b.relativeError, first, end, end - first + 1);
  }

  for (const std::string& warning : analysis.warnings)
    RedRow(page, warning);
  page += "<tr><td colspan=2>The intervals of the checks are two-sided, for 0.05 risk "
          "level.</td></tr>\r\n";
  page += "</table>\r\n";
  return page;
}

} // namespace vexa
