#include "document/PointTable.h"

#include <gtest/gtest.h>

#include <cstdio>

using vexa::ParsePointTable;
using vexa::TableError;
using vexa::TablePoint;

namespace {

std::vector<TablePoint> Parse(const std::string& text) {
  std::vector<TablePoint> points;
  TableError error;
  EXPECT_TRUE(ParsePointTable(text, points, &error)) << error.line << ": " << error.message;
  return points;
}

TableError Fail(const std::string& text) {
  std::vector<TablePoint> points;
  TableError error;
  EXPECT_FALSE(ParsePointTable(text, points, &error)) << text;
  return error;
}

} // namespace

TEST(PointTable, SeparatorsHeadersCommentsAndDecimalCommas) {
  const auto comma = Parse("# V0 = 50 ml\nV_ml,pH\n0,2.5\n\n1.5 , 3\r\n");
  ASSERT_EQ(comma.size(), 2u);
  EXPECT_EQ(comma[1].volume, 1.5);
  EXPECT_EQ(comma[1].pH, 3);

  const auto semicolon = Parse("\xEF\xBB\xBFV;pH\n0,5;7,25\n1;8;\n");
  ASSERT_EQ(semicolon.size(), 2u);
  EXPECT_EQ(semicolon[0].volume, 0.5);
  EXPECT_EQ(semicolon[0].pH, 7.25);

  const auto tab = Parse("1,25\t9,5\n2\t10");
  ASSERT_EQ(tab.size(), 2u);
  EXPECT_EQ(tab[0].volume, 1.25);

  const auto blanks = Parse("  0.0   2.1\n1e-1 2.2\n+3 4\n");
  ASSERT_EQ(blanks.size(), 3u);
  EXPECT_EQ(blanks[1].volume, 0.1);
  EXPECT_EQ(blanks[2].volume, 3);
}

TEST(PointTable, BadLinesAreNamed) {
  EXPECT_EQ(Fail("V,pH\n1,2\n3,x\n").line, 3);
  EXPECT_EQ(Fail("1,2\nV,pH\n").line, 2); // only the first line may be a header
  EXPECT_EQ(Fail("1,2,3\n").line, 1);
  EXPECT_EQ(Fail("1\n").line, 1);
  const TableError negative = Fail("0,1\n-1,2\n");
  EXPECT_EQ(negative.line, 2);
  EXPECT_NE(negative.message.find(">= 0"), std::string::npos);
  EXPECT_EQ(Fail("1,inf\n").line, 1);
  EXPECT_EQ(Fail("nan,1\n").line, 1);
  EXPECT_EQ(Fail("0x10,1\n").line, 1);
  EXPECT_EQ(Fail("1e999,1\n").line, 1);
  EXPECT_EQ(Fail("1,5 2\n").line, 1); // a decimal comma needs ';' or a tab
  EXPECT_EQ(Fail("").line, 0);
  EXPECT_EQ(Fail("# only a comment\nV,pH\n").line, 0);
}

namespace {

using vexa::ImportPointTable;
using vexa::PointTableImport;
using vexa::SystemParameter;

PointTableImport Import(const std::string& text) {
  PointTableImport r = ImportPointTable(text);
  EXPECT_TRUE(r.ok) << r.error.line << ": " << r.error.message;
  return r;
}

PointTableImport Refused(const std::string& text) {
  PointTableImport r = ImportPointTable(text);
  EXPECT_FALSE(r.ok) << text;
  EXPECT_TRUE(r.points.empty());
  return r;
}

} // namespace

TEST(PointTableImport, ParametersStatedInACommentLine) {
  // As the shipped examples state them.
  const auto r = Import("# Acetic acid 0.01 mol/l (Ka = 1.75e-5) titrated with NaOH. V0 = 50 ml, "
                        "Ctit = 0.1 mol/l, pKw = 14\n"
                        "# Stoichiometric equivalence volume 5.00 ml\n"
                        "V_ml;pH\n0,00;3,385\n0,25;3,653\n");
  ASSERT_EQ(r.points.size(), 2u);
  const auto& v0 = r.parameter(SystemParameter::kInitialVolume);
  const auto& ctit = r.parameter(SystemParameter::kTitrantConcentration);
  const auto& pkw = r.parameter(SystemParameter::kPKw);
  ASSERT_TRUE(v0 && ctit && pkw);
  EXPECT_EQ(v0->value, 50);
  EXPECT_EQ(ctit->value, 0.1);
  EXPECT_EQ(pkw->value, 14);
  EXPECT_EQ(ctit->line, 1);
  EXPECT_EQ(v0->text, "V0 = 50 ml");
  EXPECT_EQ(ctit->text, "Ctit = 0.1 mol/l");
  EXPECT_EQ(pkw->text, "pKw = 14");
  EXPECT_TRUE(r.warnings.empty());

  // Other spellings and units; a decimal comma when a digit follows it; a sentence's full
  // stop; the parameters spread over several comment lines, before or after the points.
  const auto units = Import("#v0=0,025 L; CTIT = 100 mmol/l\n1,2\n#pK_w = 13.8.\n");
  EXPECT_EQ(units.parameter(SystemParameter::kInitialVolume)->value, 25);
  EXPECT_DOUBLE_EQ(units.parameter(SystemParameter::kTitrantConcentration)->value, 0.1);
  EXPECT_EQ(units.parameter(SystemParameter::kPKw)->value, 13.8);
  EXPECT_EQ(units.parameter(SystemParameter::kPKw)->line, 3);
  EXPECT_EQ(
      Import("# Ctit = 0.5 M\n1,2\n").parameter(SystemParameter::kTitrantConcentration)->value,
      0.5);
  // A word after the value that is no unit is prose; the same value stated twice is fine.
  const auto prose = Import("# pKw = 13.5 at 40 C, V0 = 20 exactly\n# pKw = 13.5\n1,2\n");
  EXPECT_EQ(prose.parameter(SystemParameter::kPKw)->value, 13.5);
  EXPECT_EQ(prose.parameter(SystemParameter::kInitialVolume)->value, 20);
  // Names that only contain ours, and comments without any, state nothing.
  const auto none = Import("# Ka = 1e-5, XV0 = 3, V01 = 4, mV0 = 5\n# V0 is 50\n1,2\n");
  for (const auto p : vexa::kSystemParameters)
    EXPECT_FALSE(none.parameter(p));
}

TEST(PointTableImport, WrongParametersAreRefusedAtTheirLine) {
  const auto range = Refused("1,2\n# V0 = 5000 ml\n");
  EXPECT_EQ(range.error.line, 2);
  EXPECT_EQ(range.error.message, "V0 = 5000 ml: V0 must be between 0 and 3000 ml");
  EXPECT_EQ(Refused("# pKw = 11.99\n1,2\n").error.message,
            "pKw = 11.99: pKw must be between 12 and 16");
  EXPECT_EQ(Refused("# Ctit = -0.1 mol/l\n1,2\n").error.line, 1);
  EXPECT_EQ(Refused("# V0 = 0.1 mol/l\n1,2\n").error.message,
            "V0 cannot be in mol/l (its unit is ml)");
  EXPECT_EQ(Refused("# Ctit = about 0.1\n1,2\n").error.message,
            "Ctit = is not followed by a number");
  const auto twice = Refused("# Ctit = 0.1 mol/l\n1,2\n# Ctit = 0.01 mol/l\n");
  EXPECT_EQ(twice.error.line, 3);
  EXPECT_EQ(twice.error.message, "Ctit = 0.01 mol/l contradicts Ctit = 0.1 mol/l on line 1");
}

TEST(PointTableImport, TheHeaderChoosesTheColumns) {
  // pH first: the columns follow their names, not their order.
  const auto swapped = Import("pH,V_ml\n3.1,0\n3.5,0.5\n");
  ASSERT_EQ(swapped.points.size(), 2u);
  EXPECT_EQ(swapped.points[1].volume, 0.5);
  EXPECT_EQ(swapped.points[1].pH, 3.5);
  EXPECT_EQ(swapped.headerLine, 1);
  EXPECT_EQ(swapped.volumeColumn, 1);
  EXPECT_EQ(swapped.pHColumn, 0);
  EXPECT_EQ(swapped.columns, (std::vector<std::string>{"pH", "V_ml"}));

  // Names as instruments write them.
  for (const char* header :
       {"V", "v_ml", "Volume", "ml", "V (ml)", "V/ml", "V_{tit}", "Volume [mL]"}) {
    const auto r = Import(std::string(header) + "\tpH\n1\t2\n");
    EXPECT_EQ(r.points.size(), 1u) << header;
  }

  // The export's own table: G is derived and left out without a word; another column is
  // left out with a warning.
  const auto exported = Import("V_ml,pH,G\n0,3.1,0.03\n1,3.5,0.02\n");
  ASSERT_EQ(exported.points.size(), 2u);
  EXPECT_EQ(exported.points[1].pH, 3.5);
  EXPECT_TRUE(exported.warnings.empty());
  const auto extra = Import("t_s;V;pH;T\n10;0;3,1;25\n20;1;3,5;25,1\n");
  ASSERT_EQ(extra.points.size(), 2u);
  EXPECT_EQ(extra.points[1].volume, 1);
  ASSERT_EQ(extra.warnings.size(), 2u);
  EXPECT_EQ(extra.warnings[0].line, 1);
  EXPECT_EQ(extra.warnings[0].message, "the column \"t_s\" is left out");

  // A row must hold the columns read, and no more than the header names.
  EXPECT_EQ(Refused("V,pH,G\n1,2,3\n1\n").error.line, 3);
  EXPECT_EQ(Refused("V,pH\n1,2,3\n").error.message,
            "expected 2 values as the header names, found 3");
  // A value left out of an ignored column does not matter.
  EXPECT_EQ(Import("V;pH;note\n1;2;\n").points.size(), 1u);
}

TEST(PointTableImport, AHeaderMustNameBothColumns) {
  const auto neither = Refused("# V0 = 50 ml\nTitration of acetic acid\n1,2\n");
  EXPECT_EQ(neither.error.line, 2);
  EXPECT_EQ(neither.error.message,
            "the header \"Titration of acetic acid\" names neither a volume column (V, V_ml, "
            "volume, ml) nor a pH column (pH)");
  EXPECT_EQ(Refused("time,pH\n1,2\n").error.message,
            "the header \"time,pH\" names no volume column (V, V_ml, volume, ml)");
  EXPECT_EQ(Refused("V,E_mV\n1,2\n").error.message,
            "the header \"V,E_mV\" names no pH column (pH)");
  EXPECT_EQ(Refused("V,ml,pH\n1,2,3\n").error.message,
            "the header names two volume columns: \"V\" and \"ml\"");
}

// --- tables as instruments and spreadsheets write them ---

namespace {

using vexa::ImportOptions;
using vexa::ImportRemedy;
using vexa::TablePoint;

std::string ReadBytes(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return {};
  std::string bytes;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;)
    bytes.append(buffer, n);
  std::fclose(f);
  return bytes;
}

std::string ShapeFile(const std::string& name) {
  return std::string(VEXA_SOURCE_DIR) + "/tests/data/import/" + name;
}

// The points every shaped file holds: every other point of the strong-acid example.
std::vector<TablePoint> ExpectedPoints() {
  const auto all = ImportPointTable(
      ReadBytes(std::string(VEXA_SOURCE_DIR) + "/examples/strong-acid-hcl-naoh.csv"));
  std::vector<TablePoint> points;
  for (std::size_t i = 0; i < all.points.size(); i += 2)
    points.push_back(all.points[i]);
  return points;
}

std::vector<std::string> Messages(const PointTableImport& r) {
  std::vector<std::string> messages;
  for (const auto& w : r.warnings)
    messages.push_back(std::to_string(w.line) + ": " + w.message);
  return messages;
}

} // namespace

TEST(PointTableShapes, EveryShapedFileGivesTheSamePoints) {
  const auto expected = ExpectedPoints();
  ASSERT_EQ(expected.size(), 21u);
  for (const char* name :
       {"extra-columns.csv", "units-line.csv", "several-headers.txt", "preamble.csv", "quoted.csv",
        "semicolon-decimal-comma.csv", "tab-decimal-comma.txt", "utf8.csv", "utf8-bom.csv",
        "utf16le-bom.csv", "utf16be-bom.csv", "lf.csv", "crlf.csv", "cr.csv"}) {
    SCOPED_TRACE(name);
    const std::string bytes = ReadBytes(ShapeFile(name));
    ASSERT_FALSE(bytes.empty());
    const PointTableImport r = ImportPointTable(bytes);
    ASSERT_TRUE(r.ok) << r.error.line << ": " << r.error.message;
    ASSERT_EQ(r.points.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
      EXPECT_EQ(r.points[i].volume, expected[i].volume) << i;
      EXPECT_EQ(r.points[i].pH, expected[i].pH) << i;
    }
  }
}

TEST(PointTableShapes, WhatEachShapeSays) {
  const auto extra = ImportPointTable(ReadBytes(ShapeFile("extra-columns.csv")));
  EXPECT_EQ(extra.volumeColumn, 1);
  EXPECT_EQ(extra.pHColumn, 2);
  EXPECT_EQ(Messages(extra), (std::vector<std::string>{"1: the column \"t (s)\" is left out",
                                                       "1: the column \"T (\xC2\xB0"
                                                       "C)\" is left out"}));

  const auto units = ImportPointTable(ReadBytes(ShapeFile("units-line.csv")));
  EXPECT_EQ(units.headerLine, 1);
  EXPECT_EQ(units.unitsLine, 2);

  const auto several = ImportPointTable(ReadBytes(ShapeFile("several-headers.txt")));
  EXPECT_EQ(several.headerLine, 5);
  EXPECT_EQ(Messages(several), (std::vector<std::string>{"5: the column \"Time\" is left out"}));
  for (const auto p : vexa::kSystemParameters)
    EXPECT_FALSE(several.parameter(p));

  // The preamble states the sample volume and the titrant concentration, and says where.
  const auto preamble = ImportPointTable(ReadBytes(ShapeFile("preamble.csv")));
  const auto& v0 = preamble.parameter(SystemParameter::kInitialVolume);
  const auto& ctit = preamble.parameter(SystemParameter::kTitrantConcentration);
  ASSERT_TRUE(v0 && ctit);
  EXPECT_EQ(v0->value, 50);
  EXPECT_EQ(v0->line, 3);
  EXPECT_EQ(v0->text, "Sample volume;50;ml");
  EXPECT_TRUE(v0->preamble);
  EXPECT_EQ(ctit->value, 0.1);
  EXPECT_EQ(ctit->line, 4);
  EXPECT_FALSE(preamble.parameter(SystemParameter::kPKw));
  EXPECT_TRUE(preamble.warnings.empty());
}

TEST(PointTableShapes, PreamblesInTheirVariousForms) {
  // Units in the name, in the value's cell, converted; one cell "name: value"; names that
  // are not parameters; a comment that agrees.
  const auto r = Import("Initial volume (l);0,025\nTitrant conc;100 mmol/l\npKw: 13,8\n"
                        "Temperature;25;C\nSample;0.5 g\n# V0 = 25 ml\nV;pH\n1;2\n");
  EXPECT_EQ(r.parameter(SystemParameter::kInitialVolume)->value, 25);
  EXPECT_DOUBLE_EQ(r.parameter(SystemParameter::kTitrantConcentration)->value, 0.1);
  EXPECT_EQ(r.parameter(SystemParameter::kPKw)->value, 13.8);
  EXPECT_EQ(r.parameter(SystemParameter::kPKw)->text, "pKw: 13,8");
  // A unit after the name, as spreadsheets head their rows.
  const auto named = Import("V0, ml;20\nTitrant concentration / mmol/l;100\nV;pH\n1;2\n");
  EXPECT_EQ(named.parameter(SystemParameter::kInitialVolume)->value, 20);
  EXPECT_DOUBLE_EQ(named.parameter(SystemParameter::kTitrantConcentration)->value, 0.1);
  // A parameter's value that is no number is left out with a word.
  const auto word = Import("Sample volume;about 50\nV;pH\n1;2\n");
  EXPECT_FALSE(word.parameter(SystemParameter::kInitialVolume));
  ASSERT_EQ(word.warnings.size(), 1u);
  EXPECT_EQ(word.warnings[0].line, 1);
  // Wrong units, limits and contradictions are refused at their line.
  EXPECT_EQ(Refused("Sample volume;50;mol/l\nV;pH\n1;2\n").error.message,
            "\"Sample volume;50;mol/l\": V0 cannot be in mol/l (its units are ml, cm3, "
            "cm\xC2\xB3, l, dm3, litre, litres, liter, liters, ul, \xC2\xB5l, \xCE\xBCl)");
  EXPECT_EQ(Refused("Titrant concentration;0.1;N\nV;pH\n1;2\n").error.line, 1);
  EXPECT_EQ(Refused("x\nTitrant concentration;20\nV;pH\n1;2\n").error.message,
            "Titrant concentration;20: Ctit must be between 0 and 10 mol/l");
  const auto contradiction = Refused("# Ctit = 0.1 M\nTitrant concentration;0.2\nV;pH\n1;2\n");
  EXPECT_EQ(contradiction.error.line, 2);
  EXPECT_EQ(contradiction.error.message,
            "Titrant concentration;0.2 contradicts Ctit = 0.1 M on line 1");
  // Rows after the header are never a preamble.
  EXPECT_EQ(Refused("V;pH\n1;2\nSample volume;50\n").error.line, 3);
}

TEST(PointTableShapes, UnitsConvertVolumesAndPotentials) {
  // A volume in litres or microlitres, by the header or by the units line.
  EXPECT_EQ(Import("V (l);pH\n0,0015;2\n").points[0].volume, 1.5);
  EXPECT_DOUBLE_EQ(Import("V;pH\n\xC2\xB5l;\n1500;2\n").points[0].volume, 1.5);
  const auto odd = Import("V;pH\ndrops;-\n3;2\n");
  EXPECT_EQ(odd.points[0].volume, 3);
  EXPECT_EQ(Messages(odd), (std::vector<std::string>{
                               "2: the volume's unit \"drops\" is not one of ml, l, \xC2\xB5l: the "
                               "volumes are read as ml"}));

  ImportOptions mv;
  mv.potentials = vexa::PotentialCalibration{400, 59.16};
  const auto mvFile = ImportPointTable(ReadBytes(ShapeFile("potentials-mv.csv")), mv);
  ASSERT_TRUE(mvFile.ok) << mvFile.error.message;
  EXPECT_TRUE(mvFile.fromPotentials);
  const auto expected = ExpectedPoints();
  ASSERT_EQ(mvFile.points.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(mvFile.points[i].volume, expected[i].volume);
    EXPECT_NEAR(mvFile.points[i].pH, expected[i].pH, 0.05 / 59.16 + 1e-12) << i;
  }
  // Volts in the header, or in the units line; a pH column beside is left out.
  const auto volts = ImportPointTable("V;E [V];pH\n1;0,4;7\n", mv);
  ASSERT_TRUE(volts.ok);
  EXPECT_EQ(volts.points[0].pH, 0);
  EXPECT_EQ(Messages(volts), (std::vector<std::string>{"1: the column \"pH\" is left out"}));
  EXPECT_DOUBLE_EQ(ImportPointTable("V;E\nml;V\n1;0,1\n", mv).points[0].pH, 300 / 59.16);
  // Without a header: V then E.
  EXPECT_DOUBLE_EQ(ImportPointTable("1;-100\n", mv).points[0].pH, 500 / 59.16);
  // A pH below 0 from a potential is refused, naming the calibration.
  const auto negative = ImportPointTable("V;mV\n1;500\n", mv);
  EXPECT_FALSE(negative.ok);
  EXPECT_EQ(negative.error.column, 1);
  EXPECT_NE(negative.error.message.find("(400 - E)/59.16"), std::string::npos);
}

TEST(PointTableShapes, RefusalsSayWhatWouldHelp) {
  // Potentials where pH is expected.
  const auto potentials = Refused(ReadBytes(ShapeFile("potentials-mv.csv")));
  EXPECT_EQ(potentials.error.line, 1);
  EXPECT_EQ(potentials.error.remedy, ImportRemedy::kPotentials);
  // More columns than two without a header, and a header that names no known column.
  const auto three = Refused("1,2,3\n");
  EXPECT_EQ(three.error.message, "expected two values (V and pH), found 3");
  EXPECT_EQ(three.error.remedy, ImportRemedy::kColumns);
  EXPECT_EQ(Refused("Titrant (ml);pH\n1;2\n").error.remedy, ImportRemedy::kColumns);
  // An empty cell is missing, not "no number" (an .xls file keeps formulas' cells empty).
  const auto empty = Refused("V;pH\n1;\n");
  EXPECT_EQ(empty.error.message, "expected 2 values as the header names, found 1");
  const auto gap = Refused("V;pH;T\n;2;25\n");
  EXPECT_EQ(gap.error.message, "the volume is missing: its cell is empty");
  EXPECT_EQ(gap.error.column, 0);
  EXPECT_EQ(gap.error.remedy, ImportRemedy::kEmptyCell);
  // A cell that is no number names its column.
  const auto cell = Refused("V;pH\n1;2\n2;x\n");
  EXPECT_EQ(cell.error.line, 3);
  EXPECT_EQ(cell.error.column, 1);
  // With potentials asked for, a table of pH has no potential column.
  ImportOptions mv;
  mv.potentials = vexa::PotentialCalibration{};
  const auto noE = ImportPointTable("V;pH\n1;2\n", mv);
  EXPECT_FALSE(noE.ok);
  EXPECT_EQ(noE.error.message, "the header \"V;pH\" names no potential column (E, mV, potential)");
}

TEST(PointTableShapes, TheCallerChoosesTheColumns) {
  ImportOptions byName;
  byName.volumeColumn = vexa::ColumnChoice{"Titrant (ml)", 0};
  byName.readingColumn = vexa::ColumnChoice{"ph", 0};
  const auto named =
      ImportPointTable("Sample volume;25\nt;Titrant (ml);pH\n0;1;2\n5;1,5;2,5\n", byName);
  ASSERT_TRUE(named.ok) << named.error.message;
  EXPECT_EQ(named.points[1].volume, 1.5);
  EXPECT_EQ(named.points[1].pH, 2.5);
  EXPECT_EQ(named.parameter(SystemParameter::kInitialVolume)->value, 25);
  EXPECT_EQ(Messages(named), (std::vector<std::string>{"2: the column \"t\" is left out"}));
  const auto missing = ImportPointTable("V;pH\n1;2\n", byName);
  EXPECT_FALSE(missing.ok);
  EXPECT_EQ(missing.error.message,
            "no header line names the column \"Titrant (ml)\" before the points start");

  // By number: any header (or none) and extra columns.
  ImportOptions byNumber;
  byNumber.volumeColumn = vexa::ColumnChoice{"", 3};
  byNumber.readingColumn = vexa::ColumnChoice{"", 1};
  const auto numbered = ImportPointTable("a;b;c\n7;0,5;2\n8;0,75;3\n", byNumber);
  ASSERT_TRUE(numbered.ok) << numbered.error.message;
  EXPECT_EQ(numbered.points[1].volume, 3);
  EXPECT_EQ(numbered.points[1].pH, 8);
  EXPECT_EQ(numbered.headerLine, 1);
  EXPECT_EQ(ImportPointTable("7;0,5;2\n", byNumber).points.size(), 1u);
  const auto shortRow = ImportPointTable("7;0,5\n", byNumber);
  EXPECT_EQ(shortRow.error.message, "expected at least 3 values for the columns chosen, found 2");
}

TEST(PointTableShapes, SheetRowsGoThroughTheSameSteps) {
  // As a sheet gives them: numbers with a point, text with a decimal comma, a preamble,
  // empty rows and a units row.
  const auto rows = vexa::SheetRows({{"Sample volume", "50", "ml"},
                                     {"Titrant concentration", "0.1"},
                                     {},
                                     {"Volume", "pH"},
                                     {"ml"},
                                     {"0", "2.5"},
                                     {"0,5", "2.75"}});
  const auto r = vexa::ImportPointRows(rows);
  ASSERT_TRUE(r.ok) << r.error.message;
  ASSERT_EQ(r.points.size(), 2u);
  EXPECT_EQ(r.points[1].volume, 0.5);
  EXPECT_EQ(r.headerLine, 4);
  EXPECT_EQ(r.unitsLine, 5);
  EXPECT_EQ(r.parameter(SystemParameter::kTitrantConcentration)->value, 0.1);
  const auto bad = vexa::ImportPointRows(vexa::SheetRows({{"V", "pH"}, {"1", "2"}, {"2", "n/a"}}));
  EXPECT_EQ(bad.error.line, 3);
  EXPECT_EQ(bad.error.column, 1);
}
