// Numbers as the grid reads and shows them.
#include "table/Numbers.h"

#include <gtest/gtest.h>

#include <clocale>

namespace {

TEST(ParseNumber, TakesOnlyAWholeDecimalNumber) {
  double v = -1;
  EXPECT_TRUE(ParseNumber(QString(), v));
  EXPECT_EQ(v, 0.0);
  for (const auto& [text, expected] :
       std::initializer_list<std::pair<const char*, double>>{{"7.5", 7.5},
                                                             {"  12", 12},
                                                             {"+3", 3},
                                                             {"-1", -1},
                                                             {".5", 0.5},
                                                             {"5.", 5},
                                                             {"1e3", 1000},
                                                             {"2.5E-2", 0.025},
                                                             {"-0", 0},
                                                             {"1,5", 1.5},
                                                             {"-0,25e1", -2.5}}) {
    v = -99;
    EXPECT_TRUE(ParseNumber(QString::fromLatin1(text), v)) << text;
    EXPECT_EQ(v, expected) << text;
  }
  v = 0;
  ASSERT_TRUE(ParseNumber(QStringLiteral("-0"), v));
  EXPECT_FALSE(std::signbit(v));
  for (const char* text : {"1,2,3", "1,5.0", ",", "7.5 ", "abc", "1e", "  ", ".", "-", "inf", "nan", "0x10",
                           "1e999", "1.2.3", "5 6", "1e-999"}) {
    v = 42;
    EXPECT_FALSE(ParseNumber(QString::fromLatin1(text), v)) << text;
    EXPECT_EQ(v, 42) << text;
  }
}

TEST(FormatNumber, UsesOnlySafeFormatsAndAPoint) {
  EXPECT_EQ(FormatNumber(QStringLiteral("%.2f"), 7.5049), "7.50");
  EXPECT_EQ(FormatNumber(QStringLiteral("%g"), 0.1), "0.1");
  EXPECT_EQ(FormatNumber(QStringLiteral("%12.8f"), 2.302585092994), "  2.30258509");
  EXPECT_EQ(FormatNumber(QStringLiteral("%e"), 1e-7), "1.000000e-07");
  // Anything but one conversion of a double falls back to "%g".
  EXPECT_EQ(FormatNumber(QStringLiteral("%s"), 1.5), "1.5");
  EXPECT_EQ(FormatNumber(QStringLiteral("%n %n"), 1.5), "1.5");
  EXPECT_EQ(FormatNumber(QStringLiteral("%d"), 1.5), "1.5");
  EXPECT_EQ(FormatNumber(QString(), 2), "2");
  // A long result is not cut.
  EXPECT_EQ(FormatNumber(QStringLiteral("%.200f"), 1).size(), 202);
  // A decimal comma in the user's locale still gives a point.
  if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8")) {
    EXPECT_EQ(FormatNumber(QStringLiteral("%g"), 0.5), "0.5");
    std::setlocale(LC_NUMERIC, "C");
  }
}

} // namespace
