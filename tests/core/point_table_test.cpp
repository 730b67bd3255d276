#include "document/PointTable.h"

#include <gtest/gtest.h>

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
