#pragma once
// The results as data: CSV (one row per line of a system) and JSON (one object per system),
// the same fields in both. The JSON document is described by cli/vexa-report.schema.json.
//
// Numbers are written in the shortest form that reads back as the same double, so a reader
// gets exactly the values the results page prints (rounded there to six digits). A number
// that does not exist (the ΔV of a line through two points, a failed fit's values) is an
// empty field in CSV and null in JSON; an infinite or undefined one is "inf" or "nan" in CSV
// and null in JSON.
#include "cli/Systems.h"

#include <memory>
#include <string>
#include <vector>

namespace vexa::cli {

// The outcome of one row of a batch table: its system, or why it failed.
struct BatchOutcome {
  int row = 0;      // the row of the batch table, counted from 1 as its lines are
  std::string file; // as the table names it
  std::string error;
  const AnalysedSystem* system = nullptr; // null when the row failed
};

// CSV: the header, then the rows of each system. A batch adds the table's row number first.
std::string CsvHeader(bool batch);
std::string CsvRows(const AnalysedSystem& s);
std::string CsvRows(const BatchOutcome& outcome);

// JSON: one document of the systems, ending in a line end.
std::string JsonDocument(const std::vector<const AnalysedSystem*>& systems);

// The JSON document of a batch, filled row by row: each row's entry is made while its system
// is at hand (from any thread, each row once), the document at the end.
class BatchJson {
public:
  explicit BatchJson(std::size_t rows);
  ~BatchJson();
  BatchJson(const BatchJson&) = delete;
  BatchJson& operator=(const BatchJson&) = delete;
  void Set(std::size_t index, const BatchOutcome& outcome);
  std::string Document() const;

private:
  struct Entries;
  std::unique_ptr<Entries> entries_;
};

// The status of a line in words: "fitted", "two points: no error estimates", or the page's
// own message for a failed fit.
std::string LineStatusText(int status);

} // namespace vexa::cli
