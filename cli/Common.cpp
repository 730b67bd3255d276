#include "cli/Common.h"

#include "document/PointTable.h"
#include "document/TitrationSystem.h"
#include "platform/AtomicFile.h"
#include "platform/CodePage.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <istream>
#include <iterator>
#include <ostream>
#include <sys/stat.h>

namespace vexa::cli {

bool ToStandardOutput(const std::string& path) {
  return path.empty() || path == "-";
}

bool SameOutput(const std::string& a, const std::string& b) {
  if (ToStandardOutput(a) || ToStandardOutput(b)) return ToStandardOutput(a) && ToStandardOutput(b);
  struct stat st {};
  if (::stat(a.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) return false;
  std::error_code ec1, ec2;
  const auto ca = std::filesystem::weakly_canonical(a, ec1);
  const auto cb = std::filesystem::weakly_canonical(b, ec2);
  return !ec1 && !ec2 && ca == cb;
}

void WriteOutputs(std::vector<Output>& outputs, std::ostream& out) {
  std::vector<platform::PreparedWrite> files;
  files.reserve(outputs.size());
  platform::FileError fe;
  for (Output& o : outputs) {
    if (ToStandardOutput(o.path)) continue;
    files.emplace_back();
    if (!files.back().Prepare(o.path, o.bytes, &fe)) throw InputError{fe.message};
    o.direct = files.back().direct();
  }
  for (const Output& o : outputs) {
    if (!ToStandardOutput(o.path)) continue;
    out.write(o.bytes.data(), static_cast<std::streamsize>(o.bytes.size()));
    out.flush();
    if (!out) throw InputError{"cannot write to standard output"};
  }
  if (!platform::CommitAll(files, &fe)) throw InputError{fe.message};
}

std::string ReadInput(const std::string& path, std::istream& in) {
  if (path == "-") {
    std::string bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>{});
    if (in.bad()) throw InputError{"cannot read standard input"};
    return bytes;
  }
  platform::FileError fe;
  auto bytes = platform::ReadWholeFile(path, &fe);
  if (!bytes) throw InputError{fe.message};
  return std::move(*bytes);
}

std::string InputName(const std::string& path) {
  return path == "-" ? "standard input" : path;
}

double NumberValue(const std::string& option, const std::string& text, double lo, double hi) {
  double v = 0;
  if (!ParseTableNumber(text, true, v))
    throw UsageError{option + ": \"" + text + "\" is not a number"};
  if (!(v >= lo && v <= hi)) {
    char range[128];
    std::snprintf(range, sizeof range, "%g and %g", lo, hi);
    throw UsageError{option + ": " + text + " is not between " + range};
  }
  return v + 0.0;
}

LineRange LineValue(const std::string& option, const std::string& text) {
  const auto bad = [&] {
    return UsageError{option + ": \"" + text +
                      "\" is not FIRST-END, two point numbers counted from 1 (such as 3-12)"};
  };
  const auto dash = text.find('-');
  if (dash == std::string::npos) throw bad();
  LineRange r;
  const auto number = [&](std::string_view s, int& v) {
    while (!s.empty() && s.front() == ' ')
      s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ')
      s.remove_suffix(1);
    const auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    return !s.empty() && ec == std::errc() && p == s.data() + s.size() && v >= 1;
  };
  const std::string_view all(text);
  if (!number(all.substr(0, dash), r.first) || !number(all.substr(dash + 1), r.end)) throw bad();
  if (r.first == r.end)
    throw UsageError{option + ": " + text + " is one point; a line needs two at least"};
  return r;
}

std::string ExactNumber(double v) {
  if (std::isnan(v)) return "nan";
  if (std::isinf(v)) return v < 0 ? "-inf" : "inf";
  char text[64];
  const auto [end, ec] = std::to_chars(text, text + sizeof text, v);
  return ec == std::errc() ? std::string(text, end) : std::string("nan");
}

std::string StoredTitle(const std::string& option, const std::string& utf8) {
  if (const auto bad = platform::FirstUnstorableCharacter(utf8))
    throw UsageError{option + ": " + bad->Describe() +
                     " cannot be stored: a title holds only characters of the Windows-1251 "
                     "code page"};
  const std::string ansi = platform::Utf8ToAnsi(utf8);
  if (ansi.size() > TitrationSystem::kTitleBytes - 1)
    throw UsageError{option + ": the title is longer than 199 characters"};
  return ansi;
}

} // namespace vexa::cli
