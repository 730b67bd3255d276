#include "results/ResultsLog.h"

#include "resources/PageTemplates.h"
#include "results/ChecksSection.h"
#include "document/TitrationSystem.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <type_traits>

namespace vexa {

namespace {

// One template into the page. Its arguments are converted to the types its conversions take,
// which the template's own definition checked at compile time.
template <typename... Args>
void Append(std::string& html, const page::Template<Args...>& t,
            std::type_identity_t<Args>... args) {
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
#pragma GCC diagnostic ignored "-Wformat-security"
#endif
  const int size = std::snprintf(nullptr, 0, t.text, args...);
  if (size <= 0) return;
  const std::size_t at = html.size();
  html.resize(at + static_cast<std::size_t>(size) + 1);
  std::snprintf(html.data() + at, static_cast<std::size_t>(size) + 1, t.text, args...);
  html.resize(at + static_cast<std::size_t>(size));
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
}

} // namespace

std::string HtmlEscape(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
    case '&': out += "&amp;"; break;
    case '<': out += "&lt;"; break;
    case '>': out += "&gt;"; break;
    case '"': out += "&quot;"; break;
    default: out += c;
    }
  }
  return out;
}

LineFigures FiguresOf(const TitrationSystem& sys, int index) {
  const ApproxLine& line = sys.lines[static_cast<std::size_t>(index)];
  LineFigures f;
  f.csub = sys.cTit * line.veq / sys.initialVolume;
  f.deltaC = f.csub * line.deltaVeq / line.veq;
  f.deltaPH = std::log10(std::fabs(line.b) / sys.cTit);
  return f;
}

std::string WriteResultsLog(const TitrationSystem& sys, int fontPercent,
                            const RobustAnalysis* checks, const std::string& dataNote) {
  using namespace page;
  std::string html;
  html.reserve(1024 + 700 * static_cast<std::size_t>(sys.lineCount > 0 ? sys.lineCount : 0));
  Append(html, kHead);
  Append(html, kTableOpen, fontPercent);
  Append(html, kSystemRow, HtmlEscape(sys.Title()).c_str());
  Append(html, kPointCountRow, sys.pointCount);
  Append(html, kTitrantRow, sys.cTit);
  Append(html, kPKwRow, sys.pKw);
  Append(html, kInitialVolumeRow, sys.initialVolume);
  if (!dataNote.empty()) Append(html, kDataNoteRow, HtmlEscape(dataNote).c_str());
  Append(html, kLineCountRow, sys.lineCount);
  Append(html, kLinesHeadingRow);
  const int lineCount = sys.lineCount < TitrationSystem::kMaxLines ? sys.lineCount
                                                                   : TitrationSystem::kMaxLines;
  for (int k = 0; k < lineCount; ++k) {
    const ApproxLine& line = sys.lines[static_cast<std::size_t>(k)];
    Append(html, kLineRow, k + 1);
    // Point numbers are printed from 1; stored numbers of any size wrap rather than overflow.
    const auto first = static_cast<std::int64_t>(line.firstPoint);
    const auto end = static_cast<std::int64_t>(line.endPoint);
    const auto span = (first > end ? first - end : end - first) + 1;
    Append(html, kPointsRow, static_cast<int>(static_cast<std::uint32_t>(first + 1)),
           static_cast<int>(static_cast<std::uint32_t>(end + 1)),
           static_cast<int>(static_cast<std::uint32_t>(span)));
    if (line.status < 0) {
      const char* text = line.status == kLineFitFailed   ? kFitFailed.text
                         : line.status == kLineFewPoints ? kTooFewPoints.text
                                                         : kUnexpectedError.text;
      Append(html, kRedRow, text);
      continue;
    }
    const LineFigures figures = FiguresOf(sys, k);
    Append(html, kARow, line.a, line.deltaA);
    Append(html, kBRow, line.b, line.deltaB);
    Append(html, kVeqRow, line.veq, line.deltaVeq);
    Append(html, kCsubRow, figures.csub, figures.deltaC);
    Append(html, kPHJumpRow, figures.deltaPH);
    if (line.status == kLineFitted)
      Append(html, kRhoRow, line.rhoXY);
    else
      Append(html, kRedRow, kTooFewPoints.text);
  }
  Append(html, kTableClose);
  // The checks of the second automatic method follow the lines' table; without them the page
  // is as it always was.
  if (checks) html += WriteChecksSection(*checks, fontPercent);
  Append(html, kPageClose);
  Append(html, kRiskNote);
  return html;
}

} // namespace vexa
