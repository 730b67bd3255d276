#pragma once
// The templates of the results page, by name. Each holds its string-table ID, its text (the
// table's entry for that ID is this same text) and, as type parameters, the arguments its
// printf conversions take: the compiler refuses a template whose conversions do not match them,
// and a call that passes anything else.
#include <cstddef>
#include <type_traits>

namespace vexa::page {

namespace detail {

// The argument type a printf conversion letter takes, as far as the page uses them.
template <typename T>
constexpr bool Takes(char conversion) {
  switch (conversion) {
  case 'd':
  case 'i': return std::is_same_v<T, int>;
  case 'e':
  case 'E':
  case 'f':
  case 'F':
  case 'g':
  case 'G': return std::is_same_v<T, double>;
  case 's': return std::is_same_v<T, const char*>;
  default: return false;
  }
}

inline constexpr std::size_t kMaxConversions = 16;

// Whether the conversions of `text`, in order, take exactly the arguments Args.
template <typename... Args>
consteval bool ConversionsTake(const char* text) {
  char letters[kMaxConversions] = {};
  std::size_t used = 0;
  for (const char* p = text; *p; ++p) {
    if (*p != '%') continue;
    ++p;
    if (*p == '%') continue;
    while (*p == '-' || *p == '+' || *p == ' ' || *p == '#' || *p == '0')
      ++p;
    while (*p >= '0' && *p <= '9')
      ++p;
    if (*p == '.') {
      ++p;
      while (*p >= '0' && *p <= '9')
        ++p;
    }
    if (used == kMaxConversions || *p == '\0') return false;
    letters[used++] = *p;
  }
  if (used != sizeof...(Args)) return false;
  (void)letters; // a template without conversions reads none of them
  std::size_t i = 0;
  return (Takes<Args>(letters[i++]) && ...);
}

} // namespace detail

template <typename... Args>
struct Template {
  int id; // in the string table; 0 for the page's fixed pieces
  const char* text;

  consteval Template(int stringId, const char* templateText) : id(stringId), text(templateText) {
    // Not a constant expression, so a mismatch stops the compilation here.
    if (!detail::ConversionsTake<Args...>(templateText)) throw "conversions do not match";
  }
};

// --- the page's fixed pieces ---
inline constexpr Template<> kHead{
    0, "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1251\">"
       "<title>Log of VEXA</title><head><BODY>\r\n"};
inline constexpr Template<int> kTableOpen{
    0, "<table width=100%% border=1 cols=2 style=\"font-size: %d%%\">\r\n"};
inline constexpr Template<const char*> kRedRow{
    0, "<tr><td colspan=2><font color=red><b>%s</b></font></td></tr>\r\n"};
inline constexpr Template<> kTableClose{0, "</table>\r\n"};
inline constexpr Template<const char*> kDataNoteRow{0, "<tr><td colspan=2>%s</td></tr>\r\n"};
inline constexpr Template<> kPageClose{0, "</font></body></html>\r\n"};

// --- the rows, from the string table ---
inline constexpr Template<const char*> kSystemRow{
    32806, "<tr BGCOLOR=yellow><td colspan=2>System: <b>%s</b></td></tr>\r\n"};
inline constexpr Template<int> kPointCountRow{
    32807, "<tr><td colspan=2>Number of experimental points (<i>n</i>): <b>%d</b></td></tr>\r\n"};
inline constexpr Template<double> kTitrantRow{
    32808, "<tr><td colspan=2>The titrant concentration (C<sub>tit</sub>), mol/l: "
           "<b>%g</b></td></tr>\r\n"};
inline constexpr Template<double> kPKwRow{
    32809, "<tr><td colspan=2>pK<sub>w</sub> = <b>%g</b></td></tr>\r\n"};
inline constexpr Template<double> kInitialVolumeRow{
    32810, "<tr><td colspan=2>Initial volume (V<sub>0</sub>): <b>%g</b></td></tr>\r\n"};
inline constexpr Template<int> kLineCountRow{
    32811, "<tr><td colspan=2>Number of approximating lines: <b>%d</b></td></tr>\r\n"};
inline constexpr Template<> kLinesHeadingRow{
    32812, "<tr><td colspan=2>The parameters of these lines are</td></tr>\r\n"};
inline constexpr Template<int> kLineRow{
    32813, "<tr BGCOLOR=aqua><td><b>Line # %d</b></td><td>G = A + B*V<sub>tit</sub></td></tr>\r\n"};
inline constexpr Template<int, int, int> kPointsRow{
    32814, "<tr><td>first/end point (number)</td><td>%d/%d(%d)</td></tr>\r\n"};
inline constexpr Template<double, double> kARow{
    32815, "<tr><td>A &plusmn; &Delta;A</td><td>%g &plusmn; %g</td></tr>\r\n"};
inline constexpr Template<double, double> kBRow{
    32816, "<tr><td>B &plusmn; &Delta;B</td><td>%g &plusmn; %g</td></tr>\r\n"};
inline constexpr Template<double, double> kVeqRow{
    32817, "<tr><td>V<sub>eq</sub> &plusmn; &Delta;V</td><td>%g &plusmn; %g</td></tr>\r\n"};
inline constexpr Template<double, double> kCsubRow{
    32818, "<tr><td>C<sub>sub</sub> &plusmn; &Delta;C, mol/l</td><td>%g &plusmn; %g</td></tr>\r\n"};
inline constexpr Template<double> kPHJumpRow{32819, "<tr><td>&Delta;pH</td><td>%g</td></tr>\r\n"};
inline constexpr Template<double> kRhoRow{
    32820, "<tr><td>&rho;<sub>xy</sub>(correlation coefficient)</td><td>%g</td></tr>\r\n"};
inline constexpr Template<> kFitFailed{32821, "The least squares method is failed!"};
inline constexpr Template<> kTooFewPoints{32822, "Too few points for the least squares method!"};
inline constexpr Template<> kUnexpectedError{32823, "Unexpected error!"};
inline constexpr Template<> kRiskNote{
    32824, "Note. All error estimates of parameters are calculated for 0.05 risk level."};

} // namespace vexa::page
