#pragma once
// vexa batch: every titration a table lists, analysed in parallel, into one results table.
#include "cli/Systems.h"

#include <iosfwd>
#include <string>

namespace vexa::cli {

struct BatchSettings {
  std::string table;          // the batch table's path, "-" for standard input
  std::string format = "csv"; // csv or json
  std::string output;         // the results table; empty or "-": standard output
  std::string pages;          // a folder for each row's results page; empty: none
  std::string plots;          // a folder for each row's two graphs; empty: none
  unsigned jobs = 0;          // rows at once; 0: one per core
  int font = 100;             // the pages' font size
  bool noProgress = false;
  bool progress = false; // a progress bar (set when standard error is a terminal)
  InputSettings input;   // what a row's empty cell takes
  LineSettings lines;    // the method of a row that names none
};

// Runs the batch. Returns kOk when every row succeeded, kBadInput when one failed (its error
// row is in the results) or the table cannot be read. Throws UsageError and InputError for
// a table or an output that cannot be used at all; nothing is then written.
int RunBatch(const BatchSettings& settings, std::istream& in, std::ostream& out, std::ostream& err);

// The columns a batch table may have, by their names reduced (lower case, no blanks or "_").
// Exposed for the tests.
enum class BatchColumn { kFile, kV0, kCtit, kPKw, kTitle, kMethod, kLines, kColumns, kMv, kSheet };
std::optional<BatchColumn> BatchColumnNamed(const std::string& header);

} // namespace vexa::cli
