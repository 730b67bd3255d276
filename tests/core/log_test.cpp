#include "document/TitrationSystem.h"
#include "results/ResultsLog.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

using vexa::TitrationSystem;

namespace {

const std::string kHead =
    "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1251\">"
    "<title>Log of VEXA</title><head><BODY>\r\n";
const std::string kSystemRows =
    "<tr BGCOLOR=yellow><td colspan=2>System: <b>Untitled system</b></td></tr>\r\n"
    "<tr><td colspan=2>Number of experimental points (<i>n</i>): <b>1</b></td></tr>\r\n"
    "<tr><td colspan=2>The titrant concentration (C<sub>tit</sub>), mol/l: <b>0.01</b></td></tr>\r\n"
    "<tr><td colspan=2>pK<sub>w</sub> = <b>14</b></td></tr>\r\n"
    "<tr><td colspan=2>Initial volume (V<sub>0</sub>): <b>50</b></td></tr>\r\n";
const std::string kTail = "</table>\r\n</font></body></html>\r\n"
                          "Note. All error estimates of parameters are calculated for 0.05 risk level.";

std::string Red(const std::string& text) {
  return "<tr><td colspan=2><font color=red><b>" + text + "</b></font></td></tr>\r\n";
}

} // namespace

TEST(ResultsLog, NoLinesAtAll) {
  TitrationSystem sys;
  sys.lineCount = 0;
  EXPECT_EQ(vexa::WriteResultsLog(sys, 150),
            kHead + "<table width=100% border=1 cols=2 style=\"font-size: 150%\">\r\n" + kSystemRows +
                "<tr><td colspan=2>Number of approximating lines: <b>0</b></td></tr>\r\n"
                "<tr><td colspan=2>The parameters of these lines are</td></tr>\r\n" +
                kTail);
}

TEST(ResultsLog, EveryKindOfLine) {
  TitrationSystem sys;
  sys.lineCount = 5;
  auto& full = sys.lines[0];
  full = {};
  full.status = 0;
  full.firstPoint = 7;
  full.endPoint = 2;
  full.a = 0.5;
  full.deltaA = 0.01;
  full.b = -0.1;
  full.deltaB = 0.002;
  full.veq = 5;
  full.deltaVeq = 0.1;
  full.rhoXY = -0.999;
  sys.lines[1] = full;
  sys.lines[1].status = 1;
  sys.lines[1].deltaA = sys.lines[1].deltaB = sys.lines[1].deltaVeq = 0;
  sys.lines[2].status = -1;
  sys.lines[3].status = -2;
  sys.lines[3].firstPoint = sys.lines[3].endPoint = 0;
  sys.lines[4].status = -7;

  const std::string page = vexa::WriteResultsLog(sys);
  const std::string fullRows =
      "<tr><td>A &plusmn; &Delta;A</td><td>0.5 &plusmn; 0.01</td></tr>\r\n"
      "<tr><td>B &plusmn; &Delta;B</td><td>-0.1 &plusmn; 0.002</td></tr>\r\n"
      "<tr><td>V<sub>eq</sub> &plusmn; &Delta;V</td><td>5 &plusmn; 0.1</td></tr>\r\n"
      "<tr><td>C<sub>sub</sub> &plusmn; &Delta;C, mol/l</td><td>0.001 &plusmn; 2e-05</td></tr>\r\n"
      "<tr><td>&Delta;pH</td><td>1</td></tr>\r\n";
  const std::string expected =
      kHead + "<table width=100% border=1 cols=2 style=\"font-size: 100%\">\r\n" + kSystemRows +
      "<tr><td colspan=2>Number of approximating lines: <b>5</b></td></tr>\r\n"
      "<tr><td colspan=2>The parameters of these lines are</td></tr>\r\n"
      "<tr BGCOLOR=aqua><td><b>Line # 1</b></td><td>G = A + B*V<sub>tit</sub></td></tr>\r\n"
      "<tr><td>first/end point (number)</td><td>8/3(6)</td></tr>\r\n" +
      fullRows + "<tr><td>&rho;<sub>xy</sub>(correlation coefficient)</td><td>-0.999</td></tr>\r\n" +
      "<tr BGCOLOR=aqua><td><b>Line # 2</b></td><td>G = A + B*V<sub>tit</sub></td></tr>\r\n"
      "<tr><td>first/end point (number)</td><td>8/3(6)</td></tr>\r\n"
      "<tr><td>A &plusmn; &Delta;A</td><td>0.5 &plusmn; 0</td></tr>\r\n"
      "<tr><td>B &plusmn; &Delta;B</td><td>-0.1 &plusmn; 0</td></tr>\r\n"
      "<tr><td>V<sub>eq</sub> &plusmn; &Delta;V</td><td>5 &plusmn; 0</td></tr>\r\n"
      "<tr><td>C<sub>sub</sub> &plusmn; &Delta;C, mol/l</td><td>0.001 &plusmn; 0</td></tr>\r\n"
      "<tr><td>&Delta;pH</td><td>1</td></tr>\r\n" +
      Red("Too few points for the least squares method!") +
      "<tr BGCOLOR=aqua><td><b>Line # 3</b></td><td>G = A + B*V<sub>tit</sub></td></tr>\r\n"
      "<tr><td>first/end point (number)</td><td>1/1(1)</td></tr>\r\n" +
      Red("The least squares method is failed!") +
      "<tr BGCOLOR=aqua><td><b>Line # 4</b></td><td>G = A + B*V<sub>tit</sub></td></tr>\r\n"
      "<tr><td>first/end point (number)</td><td>1/1(1)</td></tr>\r\n" +
      Red("Too few points for the least squares method!") +
      "<tr BGCOLOR=aqua><td><b>Line # 5</b></td><td>G = A + B*V<sub>tit</sub></td></tr>\r\n"
      "<tr><td>first/end point (number)</td><td>1/1(1)</td></tr>\r\n" +
      Red("Unexpected error!") + kTail;
  EXPECT_EQ(page, expected);
}

TEST(ResultsLog, TitleIsEscapedAndKeptAsBytes) {
  TitrationSystem sys;
  sys.SetTitle("HCl <0.1 M> & \"NaOH\" \xC0\xE1 'x'"); // Cyrillic bytes go in as stored
  const std::string page = vexa::WriteResultsLog(sys);
  EXPECT_NE(page.find("System: <b>HCl &lt;0.1 M&gt; &amp; &quot;NaOH&quot; \xC0\xE1 'x'</b>"),
            std::string::npos);
}

TEST(ResultsLog, UnguardedValuesPrintAsTheFormatterDoes) {
  TitrationSystem sys;
  sys.initialVolume = 0;
  auto& l = sys.lines[0];
  l.status = 0;
  l.a = 1;
  l.b = 0;
  l.veq = -INFINITY;
  l.deltaVeq = INFINITY;
  l.rhoXY = NAN;
  const std::string page = vexa::WriteResultsLog(sys);
  EXPECT_NE(page.find("<td>-inf &plusmn; inf</td>"), std::string::npos);
  EXPECT_NE(page.find("<td>&Delta;pH</td><td>-inf</td>"), std::string::npos);
  EXPECT_NE(page.find("(correlation coefficient)</td><td>nan</td>"), std::string::npos);
  // Two writes of the same system give the same bytes.
  EXPECT_EQ(page, vexa::WriteResultsLog(sys));
}
