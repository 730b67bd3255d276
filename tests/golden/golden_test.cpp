// Every golden case: its input imported, reported with the lines placed automatically, and
// exported, each output compared byte for byte with the file kept in the case's folder.
#include "cli/CliRun.h"
#include "common/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::string Read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void Write(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

// The words of an options line, with "double quotes" holding blanks.
std::vector<std::string> Words(const std::string& line) {
  std::vector<std::string> words;
  std::string word;
  bool quoted = false, any = false;
  for (char c : line) {
    if (c == '"') {
      quoted = !quoted;
      any = true;
    } else if (!quoted && (c == ' ' || c == '\t' || c == '\n' || c == '\r')) {
      if (any) words.push_back(word);
      word.clear();
      any = false;
    } else {
      word += c;
      any = true;
    }
  }
  if (any) words.push_back(word);
  return words;
}

// Compares an output with the file kept for it; with VEXA_ACCEPT_GOLDEN set, keeps the output.
void Expect(const fs::path& kept, const std::string& actual) {
  if (std::getenv("VEXA_ACCEPT_GOLDEN")) {
    Write(kept, actual);
    return;
  }
  ASSERT_TRUE(fs::exists(kept)) << kept << " is missing (VEXA_ACCEPT_GOLDEN=1 makes it)";
  const std::string expected = Read(kept);
  if (expected == actual) return;
  std::size_t at = 0;
  while (at < expected.size() && at < actual.size() && expected[at] == actual[at])
    ++at;
  ADD_FAILURE() << kept << " differs from the output at byte " << at << " (" << expected.size()
                << " bytes kept, " << actual.size()
                << " made); if the change is meant, run with VEXA_ACCEPT_GOLDEN=1 and review the "
                   "diff";
}

TEST(Golden, EveryCaseGivesTheOutputsKeptForIt) {
  std::vector<fs::path> cases;
  for (const auto& entry : fs::directory_iterator(VEXA_GOLDEN_DIR))
    if (entry.is_directory() && fs::exists(entry.path() / "input.csv")) cases.push_back(entry.path());
  std::sort(cases.begin(), cases.end());
  ASSERT_GE(cases.size(), 3u);
  for (const fs::path& dir : cases) {
    SCOPED_TRACE(dir.filename().string());
    vexa::test::TempDir work;
    const std::string system = work / "system.vexa";
    std::vector<std::string> args = {"import"};
    if (fs::exists(dir / "options"))
      for (const std::string& w : Words(Read(dir / "options")))
        args.push_back(w);
    args.insert(args.end(), {"-o", system, (dir / "input.csv").string()});
    const auto imported = vexa::test::Vexa(args);
    ASSERT_EQ(imported.code, 0) << imported.err;
    Expect(dir / "expected.vexa", Read(system));

    const auto report = vexa::test::Vexa({"report", "--auto-lines", system});
    ASSERT_EQ(report.code, 0) << report.err;
    Expect(dir / "expected.html", report.out);

    const auto exported = vexa::test::Vexa({"export", system});
    ASSERT_EQ(exported.code, 0) << exported.err;
    Expect(dir / "expected-export.csv", exported.out);
  }
}

} // namespace
