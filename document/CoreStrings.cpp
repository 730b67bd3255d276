#include "document/CoreStrings.h"

namespace vexa {

namespace {

struct Entry {
  int id;
  const char* text;
};

constexpr Entry kStrings[] = {
    {32806, "<tr BGCOLOR=yellow><td colspan=2>System: <b>%s</b></td></tr>\r\n"},
    {32807, "<tr><td colspan=2>Number of experimental points (<i>n</i>): <b>%d</b></td></tr>\r\n"},
    {32808, "<tr><td colspan=2>The titrant concentration (C<sub>tit</sub>), mol/l: "
            "<b>%g</b></td></tr>\r\n"},
    {32809, "<tr><td colspan=2>pK<sub>w</sub> = <b>%g</b></td></tr>\r\n"},
    {32810, "<tr><td colspan=2>Initial volume (V<sub>0</sub>): <b>%g</b></td></tr>\r\n"},
    {32811, "<tr><td colspan=2>Number of approximating lines: <b>%d</b></td></tr>\r\n"},
    {32812, "<tr><td colspan=2>The parameters of these lines are</td></tr>\r\n"},
    {32813, "<tr BGCOLOR=aqua><td><b>Line # %d</b></td><td>G = A + B*V<sub>tit</sub></td></tr>\r\n"},
    {32814, "<tr><td>first/end point (number)</td><td>%d/%d(%d)</td></tr>\r\n"},
    {32815, "<tr><td>A &plusmn; &Delta;A</td><td>%g &plusmn; %g</td></tr>\r\n"},
    {32816, "<tr><td>B &plusmn; &Delta;B</td><td>%g &plusmn; %g</td></tr>\r\n"},
    {32817, "<tr><td>V<sub>eq</sub> &plusmn; &Delta;V</td><td>%g &plusmn; %g</td></tr>\r\n"},
    {32818, "<tr><td>C<sub>sub</sub> &plusmn; &Delta;C, mol/l</td><td>%g &plusmn; %g</td></tr>\r\n"},
    {32819, "<tr><td>&Delta;pH</td><td>%g</td></tr>\r\n"},
    {32820, "<tr><td>&rho;<sub>xy</sub>(correlation coefficient)</td><td>%g</td></tr>\r\n"},
    {32821, "The least squares method is failed!"},
    {32822, "Too few points for the least squares method!"},
    {32823, "Unexpected error!"},
    {32824, "Note. All error estimates of parameters are calculated for 0.05 risk level."},
    {57645, "Untitled system"},
};

} // namespace

const char* CoreString(int id) {
  for (const Entry& e : kStrings)
    if (e.id == id) return e.text;
  return "";
}

} // namespace vexa
