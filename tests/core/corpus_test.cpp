// Both automatic methods over the corpus of published titrations (tests/data/corpus), the
// example titrations and simulated titrations of known truth. Prints one row per titration.
#include "analysis/RobustLines.h"
#include "core/TitrationSimulator.h"
#include "document/TitrationSystem.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Titration {
  std::string name;
  std::string kind;
  double v0 = 50, cTit = 0.1, pKw = 14;
  double veq = 0;                // the published or true equivalence volume
  double interval = 0;           // its published half-width, 0 where none was published
  std::vector<double> endPoints; // every published equivalence volume, when more than one
  std::vector<double> v, pH;
};

double Number(std::string text) {
  std::replace(text.begin(), text.end(), ',', '.');
  return std::stod(text);
}

// A corpus file: "# key: value" lines, a heading line, then "V,pH" rows.
Titration ReadCorpusFile(const std::filesystem::path& path) {
  Titration t;
  t.name = path.stem().string();
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind("# ", 0) == 0) {
      const auto colon = line.find(':');
      if (colon == std::string::npos) continue;
      const std::string key = line.substr(2, colon - 2);
      const std::string value = line.substr(colon + 2);
      if (key == "kind") t.kind = value;
      if (key == "V0") t.v0 = Number(value);
      if (key == "Ctit") t.cTit = Number(value);
      if (key == "pKw") t.pKw = Number(value);
      if (key == "Veq") t.veq = Number(value);
      if (key == "VeqInterval") t.interval = Number(value);
      if (key == "EndPoints") {
        std::istringstream list(value);
        double x;
        while (list >> x)
          t.endPoints.push_back(x);
      }
      continue;
    }
    const auto comma = line.find(',');
    if (comma == std::string::npos || line[0] == 'V') continue;
    t.v.push_back(Number(line.substr(0, comma)));
    t.pH.push_back(Number(line.substr(comma + 1)));
  }
  return t;
}

// The project's example files: two comment lines naming V0, Ctit, pKw and the stoichiometric
// equivalence volume, a heading, and rows separated by a comma, a semicolon (decimal commas)
// or a tab.
Titration ReadExample(const std::filesystem::path& path, const std::string& kind) {
  Titration t;
  t.name = "example-" + path.stem().string();
  t.kind = kind;
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind('#', 0) == 0) {
      auto after = [&](const std::string& key) {
        const auto at = line.find(key);
        return at == std::string::npos ? std::string() : line.substr(at + key.size());
      };
      if (!after("V0 = ").empty()) t.v0 = std::stod(after("V0 = "));
      if (!after("Ctit = ").empty()) t.cTit = std::stod(after("Ctit = "));
      if (!after("pKw = ").empty()) t.pKw = std::stod(after("pKw = "));
      if (!after("equivalence volume ").empty()) t.veq = std::stod(after("equivalence volume "));
      continue;
    }
    const char sep = line.find('\t') != std::string::npos  ? '\t'
                     : line.find(';') != std::string::npos ? ';'
                                                           : ',';
    const auto at = line.find(sep);
    if (at == std::string::npos || line[0] == 'V') continue;
    t.v.push_back(Number(line.substr(0, at)));
    t.pH.push_back(Number(line.substr(at + 1)));
  }
  return t;
}

Titration Simulated(const std::string& name, const std::string& kind, const vexa::sim::Sample& s,
                    const vexa::sim::Titrant& tit, const std::vector<double>& volumes,
                    const vexa::sim::Electrode& e, double veq, unsigned seed,
                    double alkalineError = 0) {
  std::mt19937_64 rng(seed);
  const vexa::sim::Reading r = vexa::sim::Titrate(s, tit, volumes, e, rng);
  Titration t;
  t.name = name;
  t.kind = kind;
  t.v0 = s.volume;
  t.cTit = tit.concentration;
  t.veq = veq;
  t.v = r.v;
  for (double p : r.pH)
    // The glass electrode reads low in strongly alkaline solution.
    t.pH.push_back(alkalineError > 0 ? p - alkalineError * std::log10(1 + std::pow(10.0, p - 12.3))
                                     : p);
  return t;
}

std::vector<Titration> SimulatedSet() {
  using namespace vexa::sim;
  std::vector<Titration> out;
  Electrode quiet{0.003, 0.02, 0.0001, 2, 2};
  Electrode noisy{0.03, -0.05, 0.0005, 2, 2};
  {
    Sample s{50, -0.01, {}};
    out.push_back(
        Simulated("sim-hcl-naoh", "strong", s, {0.1, true}, Steps(0, 9, 0.25), quiet, 5, 1));
    out.push_back(
        Simulated("sim-hcl-naoh-noisy", "noisy", s, {0.1, true}, Steps(0, 9, 0.25), noisy, 5, 2));
  }
  {
    Sample s{25, 0.02, {}}; // NaOH titrated with HCl, read far into the acid
    out.push_back(
        Simulated("sim-naoh-hcl", "strong", s, {0.05, false}, Steps(0, 18, 0.5), quiet, 10, 3));
  }
  {
    Sample s{50, 0, {{0.02, 0, {4.76}}}};
    out.push_back(
        Simulated("sim-acetic-naoh", "weak acid", s, {0.1, true}, Steps(0, 18, 0.4), quiet, 10, 4));
  }
  {
    Sample s{50, 0, {{0.02, 1, {9.25}}}};
    out.push_back(Simulated("sim-ammonia-hcl", "weak base", s, {0.1, false}, Steps(0, 18, 0.4),
                            quiet, 10, 5));
  }
  {
    // Phosphoric acid: three protons, the third too weak to show a jump.
    Sample s{25, 0, {{0.04, 0, {2.15, 7.20, 12.35}}}};
    out.push_back(Simulated("sim-phosphoric-naoh", "polyprotic", s, {0.1, true}, Steps(0, 24, 0.25),
                            quiet, 20, 6));
    out.back().endPoints = {10, 20};
  }
  {
    // A strong base read into strongly alkaline solution with the electrode's alkaline error.
    Sample s{20, -0.05, {}};
    out.push_back(Simulated("sim-hcl-naoh-alkaline", "very alkaline", s, {0.5, true},
                            Steps(0, 6, 0.1), quiet, 2, 7, 0.6));
  }
  {
    // Alkalinity of a bicarbonate water titrated with 0.02 M HCl, few points past the jump.
    Sample s{100, 0.0012, {{0.0012, 0, {6.35, 10.33}}}};
    std::vector<double> v = Steps(0, 6, 0.5);
    v.push_back(6.5);
    v.push_back(7.0);
    out.push_back(Simulated("sim-alkalinity", "alkalinity", s, {0.02, false}, v, quiet, 6, 8));
  }
  return out;
}

struct Outcome {
  bool robustHit = false;
  bool agreedWrongly = false;
};

std::string SpecifiedSummary(const vexa::TitrationSystem& sys) {
  std::string text;
  char cell[96];
  for (int k = 0; k < sys.lineCount; ++k) {
    const vexa::ApproxLine& l = sys.lines[static_cast<std::size_t>(k)];
    if (l.status != vexa::kLineFitted) continue;
    std::snprintf(cell, sizeof cell, "%s%.4g+/-%.2g", text.empty() ? "" : "; ", l.veq, l.deltaVeq);
    text += cell;
  }
  return text.empty() ? "no line" : text;
}

// Whether a Veq is the published one: within the published interval where there is one, else
// within 2 %; a titration with several published equivalence volumes is found at any of them.
bool Found(const Titration& t, double veq) {
  if (!std::isfinite(veq)) return false;
  if (t.interval > 0) return std::fabs(veq - t.veq) <= t.interval;
  std::vector<double> published = t.endPoints;
  if (published.empty()) published.push_back(t.veq);
  for (double p : published)
    if (std::fabs(veq - p) <= 0.02 * p) return true;
  return false;
}

Outcome RunBoth(const Titration& t, std::FILE* table) {
  vexa::TitrationSystem specified;
  vexa::sim::Load(specified, {t.v, t.pH}, t.v0, t.cTit, t.pKw);
  specified.SetAutoLines();

  vexa::TitrationSystem sys;
  vexa::sim::Load(sys, {t.v, t.pH}, t.v0, t.cTit, t.pKw);
  const vexa::RobustAnalysis a = vexa::FindLines(sys);

  Outcome o;
  o.robustHit = Found(t, a.veq);
  if (a.agreement == vexa::Agreement::Agree) {
    const auto& l1 = a.lines[0];
    const auto& l2 = a.lines[1];
    o.agreedWrongly = std::fabs(l1.veq - l2.veq) > l1.halfWidth + l2.halfWidth;
  }

  std::string lines, ends;
  char cell[128];
  for (const auto& l : a.lines) {
    std::snprintf(cell, sizeof cell, "%s%.4g+/-%.2g%s", lines.empty() ? "" : "; ", l.veq,
                  l.halfWidth, l.relativeError >= 10 ? "(!)" : "");
    lines += cell;
  }
  for (const auto& e : a.endPoints) {
    std::snprintf(cell, sizeof cell, "%s%.4g", ends.empty() ? "" : " ", e.volume);
    ends += cell;
  }
  std::string combined = "-";
  if (a.agreement == vexa::Agreement::Agree) {
    std::snprintf(cell, sizeof cell, "%.4g+/-%.2g", a.combinedVeq, a.combinedHalfWidth);
    combined = cell;
  } else if (a.agreement == vexa::Agreement::Disagree) {
    combined = "disagree";
  }
  std::string buffer = "-";
  if (a.buffer.present) {
    std::snprintf(cell, sizeof cell, "%.4g+/-%.2g", a.buffer.veq, a.buffer.halfWidth);
    buffer = cell;
  }
  std::string published;
  if (!t.endPoints.empty()) {
    for (double p : t.endPoints) {
      std::snprintf(cell, sizeof cell, "%s%g", published.empty() ? "" : "; ", p);
      published += cell;
    }
  } else {
    std::snprintf(cell, sizeof cell, t.interval > 0 ? "%g+/-%g" : "%g", t.veq, t.interval);
    published = cell;
  }
  std::fprintf(table, "| %s | %s | %s | %s | %s | %s | %s | %s | %s |\n", t.name.c_str(),
               t.kind.c_str(), published.c_str(), SpecifiedSummary(specified).c_str(),
               lines.empty() ? "no line" : lines.c_str(), combined.c_str(),
               ends.empty() ? "-" : ends.c_str(), buffer.c_str(), o.robustHit ? "yes" : "NO");
  return o;
}

void Header(std::FILE* table) {
  std::fprintf(table, "| titration | kind | Veq | specified | robust lines | combined | end points "
                      "| buffer fn | found |\n|---|---|---|---|---|---|---|---|---|\n");
}

std::filesystem::path Source() {
  return std::filesystem::path(VEXA_SOURCE_DIR);
}

} // namespace

TEST(Corpus, PublishedTitrations) {
  std::vector<Titration> set;
  for (const auto& entry : std::filesystem::directory_iterator(Source() / "tests/data/corpus"))
    if (entry.path().extension() == ".csv") set.push_back(ReadCorpusFile(entry.path()));
  std::sort(set.begin(), set.end(),
            [](const Titration& l, const Titration& r) { return l.name < r.name; });
  ASSERT_GE(set.size(), 15u);

  Header(stdout);
  int hits = 0, alkalinity = 0;
  for (const Titration& t : set) {
    ASSERT_GE(t.v.size(), 4u) << t.name;
    ASSERT_GT(t.veq, 0) << t.name;
    const Outcome o = RunBoth(t, stdout);
    hits += o.robustHit;
    EXPECT_FALSE(o.agreedWrongly) << t.name;
    if (t.kind == "alkalinity") {
      ++alkalinity;
      EXPECT_TRUE(o.robustHit) << t.name << ": every alkalinity titration is found";
    }
  }
  EXPECT_GE(alkalinity, 10);
  // At least nine in ten of the published titrations.
  EXPECT_GE(10 * hits, 9 * static_cast<int>(set.size())) << hits << " of " << set.size();
}

TEST(Corpus, ExamplesAndSimulatedTitrations) {
  std::vector<Titration> set = {
      ReadExample(Source() / "examples/strong-acid-hcl-naoh.csv", "strong"),
      ReadExample(Source() / "examples/weak-acid-acetic-naoh.csv", "weak acid"),
      ReadExample(Source() / "examples/weak-base-ammonia-hcl.csv", "weak base")};
  for (Titration& t : SimulatedSet())
    set.push_back(std::move(t));

  Header(stdout);
  int hits = 0;
  for (const Titration& t : set) {
    ASSERT_GE(t.v.size(), 5u) << t.name;
    const Outcome o = RunBoth(t, stdout);
    hits += o.robustHit;
    EXPECT_TRUE(o.robustHit) << t.name;
    EXPECT_FALSE(o.agreedWrongly) << t.name;
  }
}

TEST(Corpus, PolyproticJumpsAreEachFound) {
  // The published phosphoric acid titration and the simulated one show both jumps.
  for (const Titration& t :
       {ReadCorpusFile(Source() / "tests/data/corpus/phosphoric-naoh.csv"), SimulatedSet()[5]}) {
    vexa::TitrationSystem sys;
    vexa::sim::Load(sys, {t.v, t.pH}, t.v0, t.cTit, t.pKw);
    const vexa::RobustAnalysis a = vexa::AnalyseChecks(sys);
    ASSERT_EQ(t.endPoints.size(), 2u) << t.name;
    ASSERT_EQ(a.endPoints.size(), 2u) << t.name;
    for (std::size_t k = 0; k < 2; ++k)
      EXPECT_NEAR(a.endPoints[k].volume, t.endPoints[k], 0.02 * t.endPoints[k])
          << t.name << " " << k;
  }
}

TEST(Corpus, PhosphoricAcidExcessLineMeetsTheFirstEquivalence) {
  // The first proton of phosphoric acid bends the acid-excess branch; the windows that bend
  // beyond the readings' noise are passed over, and the line that remains lies within 1 % of the
  // published first equivalence volume.
  const Titration t = ReadCorpusFile(Source() / "tests/data/corpus/phosphoric-naoh.csv");
  vexa::TitrationSystem sys;
  vexa::sim::Load(sys, {t.v, t.pH}, t.v0, t.cTit, t.pKw);
  const vexa::RobustAnalysis a = vexa::AnalyseChecks(sys);
  ASSERT_FALSE(a.lines.empty());
  EXPECT_EQ(a.lines[0].branch, vexa::Branch::AcidExcess);
  EXPECT_TRUE(a.lines[0].withinNoise);
  EXPECT_NEAR(a.lines[0].veq, t.endPoints[0], 0.01 * t.endPoints[0]);
}
