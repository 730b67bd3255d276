#include "cli/Formats.h"

#include "platform/CodePage.h"
#include "resources/PageTemplates.h"
#include "results/ResultsLog.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <cstdint>

#ifndef VEXA_VERSION
#define VEXA_VERSION "0.5.0"
#endif

namespace vexa::cli {

namespace {

using Json = nlohmann::ordered_json;

// The figures of one line, in the order of the CSV columns; nullopt where there is none.
struct LineRecord {
  int number = 0, first = 0, end = 0, status = 0;
  std::optional<double> a, b, deltaA, deltaB, rho, veq, deltaV, relativeError, csub, deltaC,
      deltaPH;
};

LineRecord RecordOf(const TitrationSystem& sys, int k) {
  const ApproxLine& line = sys.lines[static_cast<std::size_t>(k)];
  LineRecord r;
  r.number = k + 1;
  // As the page prints them: the stored point numbers plus one, in their stored order.
  r.first =
      static_cast<int>(static_cast<std::uint32_t>(static_cast<std::int64_t>(line.firstPoint) + 1));
  r.end =
      static_cast<int>(static_cast<std::uint32_t>(static_cast<std::int64_t>(line.endPoint) + 1));
  r.status = line.status;
  if (line.status != kLineFitted && line.status != kLineTwoPoints) return r;
  const LineFigures f = FiguresOf(sys, k);
  r.a = line.a;
  r.b = line.b;
  r.veq = line.veq;
  r.csub = f.csub;
  r.deltaPH = f.deltaPH;
  if (line.status == kLineFitted) {
    r.deltaA = line.deltaA;
    r.deltaB = line.deltaB;
    r.deltaV = line.deltaVeq;
    r.deltaC = f.deltaC;
    r.rho = line.rhoXY;
    r.relativeError = TitrationSystem::RelativeError(line);
  }
  return r;
}

int LinesInUse(const TitrationSystem& sys) {
  return std::clamp(sys.lineCount, 0, TitrationSystem::kMaxLines);
}

Json Number(std::optional<double> v) {
  if (!v || !std::isfinite(*v)) return nullptr;
  return *v;
}

std::string Field(std::optional<double> v) {
  return v ? ExactNumber(*v) : std::string();
}

// A CSV field: quoted when it holds a separator, a quote or a line end.
std::string Quoted(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string out = "\"";
  for (const char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

std::string Joined(const std::vector<std::string>& texts) {
  std::string out;
  for (const auto& t : texts)
    out += (out.empty() ? "" : " | ") + t;
  return out;
}

const char* AgreementName(Agreement a) {
  switch (a) {
  case Agreement::NotTested: return "not tested";
  case Agreement::Agree: return "agree";
  case Agreement::Disagree: return "disagree";
  }
  return "";
}

// The robust method's estimate: the combined Veq, the one line's, the nearer one's; none.
std::optional<double> Finite(double v) {
  return std::isfinite(v) ? std::optional<double>(v) : std::nullopt;
}

Json ChecksJson(const RobustAnalysis& c) {
  Json j;
  j["summary"] = RobustSummary(c);
  j["titrant_is_base"] = c.titrantIsBase;
  Json lines = Json::array();
  for (const BranchLine& l : c.lines) {
    Json line;
    line["branch"] = l.branch == Branch::AcidExcess ? "acid excess" : "base excess";
    line["titrant_excess"] = l.titrantExcess;
    line["line"] = l.lineIndex >= 0 ? Json(l.lineIndex + 1) : Json(nullptr);
    line["first"] = l.firstPoint + 1;
    line["end"] = l.endPoint + 1;
    line["a"] = Number(l.a);
    line["b"] = Number(l.b);
    line["veq"] = Number(l.veq);
    line["half_width"] = Number(l.halfWidth);
    line["relative_error"] = Number(l.relativeError);
    line["degrees_of_freedom"] = l.degreesOfFreedom;
    line["straightness_tested"] = l.straightnessTested;
    line["slope_checked"] = l.slopeChecked;
    line["warnings"] = l.warnings;
    lines.push_back(std::move(line));
  }
  j["lines"] = std::move(lines);
  j["agreement"] = AgreementName(c.agreement);
  const bool agree = c.agreement == Agreement::Agree;
  j["combined_veq"] = agree ? Number(c.combinedVeq) : Json(nullptr);
  j["combined_half_width"] = agree ? Number(c.combinedHalfWidth) : Json(nullptr);
  j["veq"] = Number(Finite(c.veq));
  j["half_width"] = Number(Finite(c.halfWidth));
  j["weak_analyte"] = c.weakAnalyte;
  j["noise_ph"] = Number(c.noisePH);
  j["rounding_ph"] = Number(c.roundingPH);
  Json ends = Json::array();
  for (const EndPoint& e : c.endPoints)
    ends.push_back({{"volume", Number(e.volume)},
                    {"ph", Number(e.pH)},
                    {"slope", Number(e.slope)},
                    {"jump", Number(e.jump)},
                    {"before", e.before + 1},
                    {"after", e.after + 1}});
  j["end_points"] = std::move(ends);
  if (c.buffer.present)
    j["buffer"] = {{"function", c.buffer.acid ? "V*10^(-pH)" : "V*10^(pH-pKw)"},
                   {"first", c.buffer.firstPoint + 1},
                   {"end", c.buffer.endPoint + 1},
                   {"veq", Number(c.buffer.veq)},
                   {"half_width", Number(c.buffer.halfWidth)},
                   {"relative_error", Number(c.buffer.relativeError)}};
  else
    j["buffer"] = nullptr;
  j["warnings"] = c.warnings;
  return j;
}

Json SystemJson(const AnalysedSystem& s) {
  const TitrationSystem& sys = *s.system;
  Json j;
  j["file"] = s.name;
  j["status"] = "ok";
  j["title"] = platform::AnsiToUtf8(sys.Title());
  j["parameters"] = {
      {"v0", Number(sys.initialVolume)}, {"pkw", Number(sys.pKw)}, {"ctit", Number(sys.cTit)}};
  j["points"] = sys.pointCount;
  if (s.calibration)
    j["ph_from_potentials"] = {{"column", s.potentialColumn},
                               {"e0_mv", Number(s.calibration->e0)},
                               {"slope_mv", Number(s.calibration->slope)}};
  else
    j["ph_from_potentials"] = nullptr;
  j["method"] = MethodName(s.method);
  Json lines = Json::array();
  for (int k = 0; k < LinesInUse(sys); ++k) {
    const LineRecord r = RecordOf(sys, k);
    lines.push_back({{"number", r.number},
                     {"first", r.first},
                     {"end", r.end},
                     {"status", r.status},
                     {"status_text", LineStatusText(r.status)},
                     {"a", Number(r.a)},
                     {"b", Number(r.b)},
                     {"delta_a", Number(r.deltaA)},
                     {"delta_b", Number(r.deltaB)},
                     {"rho", Number(r.rho)},
                     {"veq", Number(r.veq)},
                     {"delta_v", Number(r.deltaV)},
                     {"relative_error", Number(r.relativeError)},
                     {"csub", Number(r.csub)},
                     {"delta_c", Number(r.deltaC)},
                     {"delta_ph", Number(r.deltaPH)}});
  }
  j["lines"] = std::move(lines);
  j["warnings"] = s.messages;
  j["checks"] = s.checks ? ChecksJson(*s.checks) : Json(nullptr);
  return j;
}

Json Envelope(Json systems) {
  Json doc;
  doc["program"] = "vexa";
  doc["version"] = VEXA_VERSION;
  doc["systems"] = std::move(systems);
  return doc;
}

std::string Dump(const Json& doc) {
  // Texts that are not UTF-8 (a damaged name) are written with replacement characters.
  return doc.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}

constexpr const char* kColumns =
    "file,title,v0,pkw,ctit,points,method,e0_mv,slope_mv,line,first,end,status,status_text,a,b,"
    "delta_a,delta_b,rho,veq,delta_v,relative_error,csub,delta_c,delta_ph,robust_veq,"
    "robust_delta_v,agreement,combined_veq,combined_delta_v,end_points,buffer_veq,"
    "buffer_delta_v,warnings,error";

// The fields of a system that every one of its rows repeats, before the line's own.
std::string SystemFields(const AnalysedSystem& s) {
  const TitrationSystem& sys = *s.system;
  std::string row = Quoted(s.name) + "," + Quoted(platform::AnsiToUtf8(sys.Title())) + "," +
                    ExactNumber(sys.initialVolume) + "," + ExactNumber(sys.pKw) + "," +
                    ExactNumber(sys.cTit) + "," + std::to_string(sys.pointCount) + "," +
                    MethodName(s.method) + ",";
  if (s.calibration)
    row += ExactNumber(s.calibration->e0) + "," + ExactNumber(s.calibration->slope) + ",";
  else
    row += ",,";
  return row;
}

// The fields after the line's: the checks, the warnings.
std::string CheckFields(const AnalysedSystem& s) {
  std::string row;
  if (s.checks) {
    const RobustAnalysis& c = *s.checks;
    std::string ends;
    for (const EndPoint& e : c.endPoints)
      ends += (ends.empty() ? "" : " ") + ExactNumber(e.volume);
    const bool agree = c.agreement == Agreement::Agree;
    row += Field(Finite(c.veq)) + "," + Field(Finite(c.halfWidth)) + "," +
           Quoted(AgreementName(c.agreement)) + "," +
           (agree ? ExactNumber(c.combinedVeq) : std::string()) + "," +
           (agree ? ExactNumber(c.combinedHalfWidth) : std::string()) + "," + ends + "," +
           (c.buffer.present ? ExactNumber(c.buffer.veq) : std::string()) + "," +
           (c.buffer.present ? ExactNumber(c.buffer.halfWidth) : std::string()) + ",";
  } else {
    row += ",,,,,,,,";
  }
  return row + Quoted(Joined(s.messages)) + ",";
}

} // namespace

std::string LineStatusText(int status) {
  switch (status) {
  case kLineFitted: return "fitted";
  case kLineTwoPoints: return "two points: no error estimates";
  case kLineFitFailed: return page::kFitFailed.text;
  case kLineFewPoints: return page::kTooFewPoints.text;
  default: return page::kUnexpectedError.text;
  }
}

std::string CsvHeader(bool batch) {
  return std::string(batch ? "row," : "") + kColumns + "\n";
}

std::string CsvRows(const AnalysedSystem& s) {
  const TitrationSystem& sys = *s.system;
  const std::string head = SystemFields(s);
  const std::string tail = CheckFields(s);
  std::string out;
  for (int k = 0; k < LinesInUse(sys); ++k) {
    const LineRecord r = RecordOf(sys, k);
    out += head + std::to_string(r.number) + "," + std::to_string(r.first) + "," +
           std::to_string(r.end) + "," + std::to_string(r.status) + "," +
           Quoted(LineStatusText(r.status)) + "," + Field(r.a) + "," + Field(r.b) + "," +
           Field(r.deltaA) + "," + Field(r.deltaB) + "," + Field(r.rho) + "," + Field(r.veq) + "," +
           Field(r.deltaV) + "," + Field(r.relativeError) + "," + Field(r.csub) + "," +
           Field(r.deltaC) + "," + Field(r.deltaPH) + "," + tail + "\n";
  }
  return out;
}

std::string CsvRows(const BatchOutcome& outcome) {
  const std::string row = std::to_string(outcome.row) + ",";
  if (outcome.system) {
    std::string rows = CsvRows(*outcome.system), out;
    for (std::size_t pos = 0; pos < rows.size();) {
      const std::size_t end = rows.find('\n', pos);
      out += row + rows.substr(pos, end - pos + 1);
      pos = end + 1;
    }
    return out;
  }
  // An error row: the file, and the reason in the last column.
  std::string out = row + Quoted(outcome.file);
  const std::string_view columns(kColumns);
  for (std::size_t k = 0, n = std::count(columns.begin(), columns.end(), ','); k < n; ++k)
    out += ",";
  return out + Quoted(outcome.error) + "\n";
}

std::string JsonDocument(const std::vector<const AnalysedSystem*>& systems) {
  Json list = Json::array();
  for (const AnalysedSystem* s : systems)
    list.push_back(SystemJson(*s));
  return Dump(Envelope(std::move(list)));
}

struct BatchJson::Entries {
  std::vector<Json> list;
};

BatchJson::BatchJson(std::size_t rows) : entries_(std::make_unique<Entries>()) {
  entries_->list.resize(rows);
}

BatchJson::~BatchJson() = default;

void BatchJson::Set(std::size_t index, const BatchOutcome& o) {
  Json j;
  j["row"] = o.row;
  if (o.system) {
    const Json system = SystemJson(*o.system);
    for (const auto& [key, value] : system.items())
      j[key] = value;
  } else {
    j["file"] = o.file;
    j["status"] = "error";
    j["error"] = o.error;
  }
  entries_->list[index] = std::move(j);
}

std::string BatchJson::Document() const {
  Json list = Json::array();
  for (const Json& j : entries_->list)
    list.push_back(j);
  return Dump(Envelope(std::move(list)));
}

} // namespace vexa::cli
