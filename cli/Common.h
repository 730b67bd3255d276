#pragma once
// What the commands of vexa share: their two kinds of failure, the outputs they write all
// together or not at all, and the reading of inputs and option values.
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace vexa::cli {

enum ExitCode { kOk = 0, kBadInput = 1, kBadUsage = 2 };

// A wrong command line: the command's usage follows the message; exit status 2.
struct UsageError {
  std::string message;
};
// Input that cannot be read or used, or an output that cannot be written; exit status 1.
struct InputError {
  std::string message;
};
// Work this build of vexa cannot do (drawing, the PDF report, spreadsheets in a build without
// its Qt module); exit status 2, as for a command it does not know.
struct Unavailable {
  std::string message;
};

// One output of a command.
struct Output {
  std::string path; // empty or "-": standard output
  std::string bytes;
  bool direct = false; // set when written: the path is a device, a FIFO or a descriptor
};

bool ToStandardOutput(const std::string& path);

// True when two output paths reach the same file, so that one output would replace the
// other. Special files (/dev/null) may be named twice.
bool SameOutput(const std::string& a, const std::string& b);

// Puts every output in place, or none: each file is first written beside its target and
// synced, then standard output is written, and only then are the files renamed into place.
// Marks the outputs that went to a device, a FIFO or a descriptor such as /dev/stdout.
void WriteOutputs(std::vector<Output>& outputs, std::ostream& out);

// The bytes of an input: a file, or standard input for "-".
std::string ReadInput(const std::string& path, std::istream& in);

// The name of an input in messages: the path, or "standard input".
std::string InputName(const std::string& path);

// A number given as an option's value; a decimal comma is accepted ("50,5"). Throws
// UsageError naming the option when it is not a number within lo ... hi.
double NumberValue(const std::string& option, const std::string& text, double lo, double hi);

// The numbers of the points of a line: "FIRST-END", counted from 1.
struct LineRange {
  int first = 0;
  int end = 0;
};
// Throws UsageError naming the option when the text is not FIRST-END with two different
// point numbers from 1.
LineRange LineValue(const std::string& option, const std::string& text);

// Shortest text that reads back as the same double ("0.1", "5.0012", "1e-05"); "nan", "inf".
std::string ExactNumber(double v);

// The title given on the command line (UTF-8), as the document stores it (Windows-1251).
// Throws UsageError when a character cannot be stored or it is too long.
std::string StoredTitle(const std::string& option, const std::string& utf8);

} // namespace vexa::cli
