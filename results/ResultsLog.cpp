#include "results/ResultsLog.h"

#include "resources/Texts.h"
#include "document/TitrationSystem.h"

#include <cmath>
#include <cstdint>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

namespace vexa {

namespace {

// printf into the page; the templates come from the string table.
#if defined(__GNUC__)
__attribute__((format(printf, 2, 3)))
#endif
void Append(std::string& page, const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  const int size = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  if (size > 0) {
    const std::size_t at = page.size();
    page.resize(at + static_cast<std::size_t>(size) + 1);
    std::vsnprintf(page.data() + at, static_cast<std::size_t>(size) + 1, format, args);
    page.resize(at + static_cast<std::size_t>(size));
  }
  va_end(args);
}

constexpr const char* kHead =
    "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1251\">"
    "<title>Log of VEXA</title><head><BODY>\r\n";
constexpr const char* kTableOpen =
    "<table width=100%% border=1 cols=2 style=\"font-size: %d%%\">\r\n";
constexpr const char* kRedRow = "<tr><td colspan=2><font color=red><b>%s</b></font></td></tr>\r\n";
constexpr const char* kTableClose = "</table>\r\n";
constexpr const char* kPageClose = "</font></body></html>\r\n";

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

// The templates are the string table's own, so the compiler cannot check them here.
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
#pragma GCC diagnostic ignored "-Wformat-security"
#endif

std::string WriteResultsLog(const TitrationSystem& sys, int fontPercent) {
  std::string page;
  page.reserve(1024 + 700 * static_cast<std::size_t>(sys.lineCount > 0 ? sys.lineCount : 0));
  page += kHead;
  Append(page, kTableOpen, fontPercent);
  Append(page, ProgramString(32806), HtmlEscape(sys.Title()).c_str());
  Append(page, ProgramString(32807), sys.pointCount);
  Append(page, ProgramString(32808), sys.cTit);
  Append(page, ProgramString(32809), sys.pKw);
  Append(page, ProgramString(32810), sys.initialVolume);
  Append(page, ProgramString(32811), sys.lineCount);
  page += ProgramString(32812);
  const int lineCount = sys.lineCount < TitrationSystem::kMaxLines ? sys.lineCount
                                                                   : TitrationSystem::kMaxLines;
  for (int k = 0; k < lineCount; ++k) {
    const ApproxLine& line = sys.lines[static_cast<std::size_t>(k)];
    Append(page, ProgramString(32813), k + 1);
    // Point numbers are printed from 1; stored numbers of any size wrap rather than overflow.
    const auto first = static_cast<std::int64_t>(line.firstPoint);
    const auto end = static_cast<std::int64_t>(line.endPoint);
    const auto span = (first > end ? first - end : end - first) + 1;
    Append(page, ProgramString(32814), static_cast<int>(static_cast<std::uint32_t>(first + 1)),
           static_cast<int>(static_cast<std::uint32_t>(end + 1)),
           static_cast<int>(static_cast<std::uint32_t>(span)));
    if (line.status < 0) {
      const int text = line.status == kLineFitFailed   ? 32821
                       : line.status == kLineFewPoints ? 32822
                                                       : 32823;
      Append(page, kRedRow, ProgramString(text));
      continue;
    }
    const double csub = sys.cTit * line.veq / sys.initialVolume;
    const double deltaC = csub * line.deltaVeq / line.veq;
    const double deltaPH = std::log10(std::fabs(line.b) / sys.cTit);
    Append(page, ProgramString(32815), line.a, line.deltaA);
    Append(page, ProgramString(32816), line.b, line.deltaB);
    Append(page, ProgramString(32817), line.veq, line.deltaVeq);
    Append(page, ProgramString(32818), csub, deltaC);
    Append(page, ProgramString(32819), deltaPH);
    if (line.status == kLineFitted)
      Append(page, ProgramString(32820), line.rhoXY);
    else
      Append(page, kRedRow, ProgramString(32822));
  }
  page += kTableClose;
  page += kPageClose;
  page += ProgramString(32824);
  return page;
}

#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

} // namespace vexa
