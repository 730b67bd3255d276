#include "cli/Batch.h"

#include "cli/Formats.h"
#include "cli/QtSide.h"
#include "document/TableText.h"
#include "platform/AtomicFile.h"
#include "platform/CodePage.h"
#include "results/ResultsLog.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <map>
#include <mutex>
#include <ostream>
#include <sstream>
#include <thread>

namespace vexa::cli {

namespace {

namespace fs = std::filesystem;

// One row of the table to analyse.
struct Job {
  int row = 0;           // the table's line
  std::string file;      // as the table names it
  std::string path;      // the file, relative to the table's folder resolved
  std::string stem;      // the name of its page and pictures
  std::string cellError; // a cell that cannot be used: the row fails with it
  InputSettings input;
  LineSettings lines;
};

// What a row gave.
struct Done {
  std::string csv;                            // its rows of the results table
  std::vector<std::string> messages;          // what was said, in order
  std::string error;                          // empty when it succeeded
  std::vector<platform::PreparedWrite> files; // its page and pictures, prepared
};

std::string Reduce(const std::string& name) {
  std::string out;
  for (const char c : name)
    if (c != ' ' && c != '_' && c != '-')
      out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

// Reads the cells of a row into its settings, over the command line's defaults.
void ReadRow(const std::map<BatchColumn, int>& columns, const TableRow& row, Job& job) {
  const auto cell = [&](BatchColumn c) -> std::optional<std::string> {
    const auto it = columns.find(c);
    if (it == columns.end() || it->second >= static_cast<int>(row.cells.size()))
      return std::nullopt;
    const std::string& text = row.cells[static_cast<std::size_t>(it->second)].text;
    if (text.empty()) return std::nullopt;
    return text;
  };
  if (const auto v = cell(BatchColumn::kV0))
    job.input.v0 = NumberValue("v0", *v, InfoOf(SystemParameter::kInitialVolume).lowest,
                               InfoOf(SystemParameter::kInitialVolume).highest);
  if (const auto v = cell(BatchColumn::kCtit))
    job.input.ctit = NumberValue("ctit", *v, InfoOf(SystemParameter::kTitrantConcentration).lowest,
                                 InfoOf(SystemParameter::kTitrantConcentration).highest);
  if (const auto v = cell(BatchColumn::kPKw))
    job.input.pkw = NumberValue("pkw", *v, InfoOf(SystemParameter::kPKw).lowest,
                                InfoOf(SystemParameter::kPKw).highest);
  if (const auto v = cell(BatchColumn::kTitle)) job.input.title = StoredTitle("title", *v);
  if (const auto v = cell(BatchColumn::kSheet)) job.input.sheet = *v;
  if (const auto v = cell(BatchColumn::kColumns)) {
    const ImportOptions chosen = ParseColumnsValue("columns", *v);
    job.input.import.volumeColumn = chosen.volumeColumn;
    job.input.import.readingColumn = chosen.readingColumn;
  }
  if (const auto v = cell(BatchColumn::kMv))
    job.input.import.potentials = CalibrationValue("mv", *v);
  const auto method = cell(BatchColumn::kMethod);
  const auto lines = cell(BatchColumn::kLines);
  if (lines) {
    if (method && Reduce(*method) != "manual")
      throw UsageError{"method " + *method + " and lines cannot be given together"};
    job.lines.method = LineMethod::kManual;
    job.lines.lines.clear();
    std::string ranges = *lines;
    for (char& c : ranges)
      if (c == ';' || c == '+' || c == '|' || c == ',') c = ' ';
    std::istringstream words(ranges);
    for (std::string w; words >> w;)
      job.lines.lines.push_back(LineValue("lines", w));
    if (job.lines.lines.size() > static_cast<std::size_t>(TitrationSystem::kMaxLines))
      throw UsageError{"lines: at most ten lines"};
  } else if (method) {
    const std::string m = Reduce(*method);
    if (m == "stored" || m == "file" || m == "none")
      job.lines.method = LineMethod::kStored;
    else if (m == "auto" || m == "automatic")
      job.lines.method = LineMethod::kAuto;
    else if (m == "robust")
      job.lines.method = LineMethod::kRobust;
    else
      throw UsageError{"method \"" + *method + "\" is not stored, auto or robust"};
    job.lines.lines.clear();
  }
}

// Prepares one file of the row's outputs.
void Prepare(Done& done, const std::string& path, std::string_view bytes) {
  platform::FileError fe;
  done.files.emplace_back();
  if (!done.files.back().Prepare(path, bytes, &fe)) throw InputError{fe.message};
}

void RunJob(const Job& job, const BatchSettings& settings, Done& done, BatchJson* json,
            std::size_t index) {
  BatchOutcome outcome;
  outcome.row = job.row;
  outcome.file = job.file;
  std::optional<AnalysedSystem> s;
  try {
    if (!job.cellError.empty()) throw InputError{job.cellError};
    std::istringstream none;
    s.emplace(OpenSystem(job.path, none, job.input));
    PlaceLines(*s, job.lines, true);
    s->name = job.file; // the results name the file as the table does
    if (!settings.pages.empty())
      Prepare(done, (fs::path(settings.pages) / (job.stem + ".html")).string(),
              WriteResultsLog(*s->system, settings.font, s->checks ? &*s->checks : nullptr,
                              platform::Utf8ToAnsi(s->dataNote)));
    if (!settings.plots.empty()) {
      for (const bool linearised : {false, true}) {
        PlotRequest request;
        request.system = s->system.get();
        request.linearised = linearised;
        std::string png, error;
        if (!DrawPlot(request, &png, &error)) throw InputError{error};
        Prepare(done,
                (fs::path(settings.plots) / (job.stem + (linearised ? "-linearised" : "") + ".png"))
                    .string(),
                png);
      }
    }
    done.messages = s->messages;
    outcome.system = &*s;
  } catch (const UsageError& e) {
    done.error = e.message;
  } catch (const InputError& e) {
    done.error = e.message;
  } catch (const Unavailable& e) {
    done.error = e.message;
  } catch (const std::bad_alloc&) {
    done.error = "out of memory";
  }
  if (!done.error.empty()) {
    for (auto& f : done.files)
      f.Abandon();
    done.files.clear();
    outcome.system = nullptr;
    outcome.error = done.error;
    if (s) done.messages = s->messages;
  }
  done.csv = CsvRows(outcome);
  if (json) json->Set(index, outcome);
}

// The progress bar on standard error: "[#####.....]  37/100 rows".
void DrawProgress(std::ostream& err, std::size_t done, std::size_t total, std::size_t failed) {
  constexpr int kWidth = 30;
  const int filled = total ? static_cast<int>(kWidth * done / total) : kWidth;
  std::string bar = "\r[" + std::string(static_cast<std::size_t>(filled), '#') +
                    std::string(static_cast<std::size_t>(kWidth - filled), '.') + "] " +
                    std::to_string(done) + "/" + std::to_string(total) + " rows";
  if (failed) bar += ", " + std::to_string(failed) + " failed";
  err << bar << std::flush;
}

// Makes an output folder when it is missing. True when it was made here.
bool MakeFolder(const std::string& option, const std::string& folder) {
  std::error_code ec;
  const bool made = fs::create_directory(folder, ec);
  if (ec || !fs::is_directory(folder))
    throw InputError{option + " " + folder + ": not a folder the files can go into" +
                     (ec ? " (" + ec.message() + ")" : "")};
  return made;
}

} // namespace

std::optional<BatchColumn> BatchColumnNamed(const std::string& header) {
  const std::string r = Reduce(header);
  if (r == "file" || r == "path" || r == "filename") return BatchColumn::kFile;
  if (r == "v0") return BatchColumn::kV0;
  if (r == "ctit") return BatchColumn::kCtit;
  if (r == "pkw") return BatchColumn::kPKw;
  if (r == "title") return BatchColumn::kTitle;
  if (r == "method") return BatchColumn::kMethod;
  if (r == "lines") return BatchColumn::kLines;
  if (r == "columns") return BatchColumn::kColumns;
  if (r == "mv") return BatchColumn::kMv;
  if (r == "sheet") return BatchColumn::kSheet;
  return std::nullopt;
}

int RunBatch(const BatchSettings& settings, std::istream& in, std::ostream& out,
             std::ostream& err) {
  if (!settings.output.empty() && !ToStandardOutput(settings.output)) {
    for (const std::string* folder : {&settings.pages, &settings.plots})
      if (!folder->empty() && SameOutput(*folder, settings.output))
        throw UsageError{"-o and the folder " + *folder + " are the same"};
  }
  const std::string tableName = InputName(settings.table);
  const TableText text = SplitTableText(ReadInput(settings.table, in));
  if (!text.ok) throw InputError{tableName + ": " + text.error};

  // The header: the first row that is not a comment.
  const TableRow* header = nullptr;
  std::vector<const TableRow*> rows;
  for (const TableRow& row : text.rows) {
    if (row.comment) continue;
    if (!header)
      header = &row;
    else if (std::any_of(row.cells.begin(), row.cells.end(),
                         [](const TableCell& c) { return !c.text.empty(); }))
      rows.push_back(&row);
  }
  if (!header) throw InputError{tableName + ": the batch table is empty"};
  std::map<BatchColumn, int> columns;
  for (int c = 0; c < static_cast<int>(header->cells.size()); ++c) {
    const std::string& name = header->cells[static_cast<std::size_t>(c)].text;
    const auto which = BatchColumnNamed(name);
    if (!which) {
      err << "vexa: " << tableName << ":" << header->line << ": the column \"" << name
          << "\" is left out\n";
      continue;
    }
    if (!columns.emplace(*which, c).second)
      throw InputError{tableName + ":" + std::to_string(header->line) + ": two columns \"" + name +
                       "\""};
  }
  if (!columns.count(BatchColumn::kFile))
    throw InputError{tableName + ":" + std::to_string(header->line) + ": the header \"" +
                     header->text + "\" names no column \"file\" (the titrations' files)"};
  if (rows.empty()) throw InputError{tableName + ": the batch table lists no titration"};

  // The jobs, with the names of their pages and pictures.
  const fs::path base = settings.table == "-" ? fs::path() : fs::path(settings.table).parent_path();
  std::vector<Job> jobs(rows.size());
  std::map<std::string, int> stems;
  for (std::size_t k = 0; k < rows.size(); ++k) {
    Job& job = jobs[k];
    const TableRow& row = *rows[k];
    job.row = row.line;
    job.input = settings.input;
    job.lines = settings.lines;
    const int fileColumn = columns.at(BatchColumn::kFile);
    if (fileColumn < static_cast<int>(row.cells.size()))
      job.file = row.cells[static_cast<std::size_t>(fileColumn)].text;
    try {
      if (job.file.empty()) throw UsageError{"no file named in the column \"file\""};
      job.path = fs::path(job.file).is_absolute() ? job.file : (base / job.file).string();
      ReadRow(columns, row, job);
    } catch (const UsageError& e) {
      job.cellError = tableName + ":" + std::to_string(row.line) + ": " + e.message;
    }
    job.stem = TitleOfFile(job.file.empty() ? "row" : job.file);
    ++stems[job.stem];
  }
  for (Job& job : jobs)
    if (stems[job.stem] > 1) job.stem += "-row" + std::to_string(job.row);

  // Drawing needs the Qt module: loaded here, before the rows start, so that a module that
  // is not there stops the batch at once and the toolkit's thread is this one.
  if (!settings.plots.empty()) {
    std::string error;
    const QtModule* m = QtSide("--plots", &error);
    if (!m) throw InputError{error};
    m->prepare();
  }
  std::vector<std::pair<std::string, bool>> folders; // made here: removed if the batch fails
  for (const std::string* folder : {&settings.pages, &settings.plots})
    if (!folder->empty())
      folders.emplace_back(*folder,
                           MakeFolder(folder == &settings.pages ? "--pages" : "--plots", *folder));

  // The rows, in parallel. Each worker takes the next row; the results keep the table's order.
  std::vector<Done> done(jobs.size());
  std::unique_ptr<BatchJson> json;
  if (settings.format == "json") json = std::make_unique<BatchJson>(jobs.size());
  unsigned threads =
      settings.jobs ? settings.jobs : std::max(1u, std::thread::hardware_concurrency());
  threads = static_cast<unsigned>(std::min<std::size_t>(threads, jobs.size()));
  std::atomic<std::size_t> next{0}, finished{0}, failed{0};
  std::mutex lock;
  std::condition_variable changed;
  const auto work = [&] {
    for (std::size_t k; (k = next.fetch_add(1)) < jobs.size();) {
      RunJob(jobs[k], settings, done[k], json.get(), k);
      if (!done[k].error.empty()) ++failed;
      {
        std::lock_guard<std::mutex> hold(lock);
        ++finished;
      }
      changed.notify_one();
    }
  };
  std::vector<std::thread> workers;
  if (threads > 1)
    for (unsigned t = 0; t < threads; ++t)
      workers.emplace_back(work);
  if (settings.progress) {
    // This thread draws the bar while the others work.
    std::unique_lock<std::mutex> hold(lock);
    while (finished < jobs.size() && !workers.empty()) {
      DrawProgress(err, finished, jobs.size(), failed);
      changed.wait_for(hold, std::chrono::milliseconds(100));
    }
  }
  if (workers.empty()) {
    // One thread: this one works, and draws the bar after each row.
    for (std::size_t k; (k = next.fetch_add(1)) < jobs.size();) {
      RunJob(jobs[k], settings, done[k], json.get(), k);
      if (!done[k].error.empty()) ++failed;
      ++finished;
      if (settings.progress) DrawProgress(err, finished, jobs.size(), failed);
    }
  }
  for (std::thread& t : workers)
    t.join();
  if (settings.progress) {
    DrawProgress(err, finished, jobs.size(), failed);
    err << "\r\033[K" << std::flush;
  }

  // What each row said, in the table's order, written at once (standard error writes each
  // piece it is given).
  std::string said;
  for (std::size_t k = 0; k < jobs.size(); ++k) {
    for (const std::string& m : done[k].messages)
      said += "vexa: " + m + "\n";
    if (!done[k].error.empty())
      said += "vexa: row " + std::to_string(jobs[k].row) + " (" +
              (jobs[k].file.empty() ? "-" : jobs[k].file) + "): " + done[k].error + "\n";
  }
  err << said << std::flush;

  // The results table, then everything in place together.
  std::vector<Output> outputs(1);
  outputs[0].path = settings.output;
  if (json) {
    outputs[0].bytes = json->Document();
  } else {
    outputs[0].bytes = CsvHeader(true);
    for (const Done& d : done)
      outputs[0].bytes += d.csv;
  }
  std::vector<platform::PreparedWrite> files;
  bool resultsDirect = false;
  for (Done& d : done)
    for (auto& f : d.files)
      files.push_back(std::move(f));
  try {
    platform::FileError fe;
    if (!ToStandardOutput(settings.output)) {
      files.emplace_back();
      if (!files.back().Prepare(settings.output, outputs[0].bytes, &fe))
        throw InputError{fe.message};
      resultsDirect = files.back().direct();
    } else {
      out.write(outputs[0].bytes.data(), static_cast<std::streamsize>(outputs[0].bytes.size()));
      out.flush();
      if (!out) throw InputError{"cannot write to standard output"};
    }
    if (!platform::CommitAll(files, &fe)) throw InputError{fe.message};
  } catch (...) {
    for (auto& f : files)
      f.Abandon();
    for (const auto& [folder, made] : folders) {
      std::error_code ec;
      if (made) fs::remove(folder, ec);
    }
    throw;
  }
  const std::size_t bad = failed;
  err << "vexa: " << jobs.size() - bad << " of " << jobs.size() << " titrations analysed";
  if (bad) err << ", " << bad << " failed";
  if (!ToStandardOutput(settings.output) && !resultsDirect)
    err << "; results written to " << settings.output;
  err << "\n";
  return bad ? kBadInput : kOk;
}

} // namespace vexa::cli
