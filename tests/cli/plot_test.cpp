// vexa plot: the graph of a file as a picture, without a display.
#include "cli/CliRun.h"
#include "common/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#ifdef VEXA_WITH_PLOT
#include "gui/DrawSettings.h"
#include "gui/Profile.h"

#include <QImage>
#endif

using vexa::test::ReadFile;
using vexa::test::TempDir;
using vexa::test::Vexa;
using vexa::test::WriteFile;

namespace {

std::string Example(const std::string& name) {
  return std::string(VEXA_SOURCE_DIR) + "/examples/" + name + ".vexa";
}

const char* const kExamples[] = {"strong-acid-hcl-naoh", "weak-acid-acetic-naoh",
                                 "weak-base-ammonia-hcl"};

} // namespace

#ifdef VEXA_WITH_PLOT

TEST(Plot, DrawsEveryExampleInBothViews) {
  TempDir dir;
  for (const char* name : kExamples) {
    for (bool lin : {false, true}) {
      SCOPED_TRACE(std::string(name) + (lin ? " linearised" : " classic"));
      const std::string png = dir / (std::string(name) + (lin ? "-g.png" : ".png"));
      std::vector<std::string> args = {"plot", "-o", png, Example(name)};
      if (lin) args.insert(args.begin() + 1, "--linearised");
      const auto r = Vexa(args);
      ASSERT_EQ(r.code, 0) << r.err;
      EXPECT_NE(r.err.find("Graph written to " + png), std::string::npos);
      QImage image;
      ASSERT_TRUE(image.load(QString::fromStdString(png), "PNG"));
      EXPECT_EQ(image.size(), QSize(800, 600));
      // Something besides white and the frame: the curve and the markers are in colour.
      int coloured = 0;
      for (int y = 0; y < image.height(); y += 2)
        for (int x = 0; x < image.width(); x += 2) {
          const QRgb p = image.pixel(x, y);
          coloured += qRed(p) != qGreen(p) || qGreen(p) != qBlue(p);
        }
      EXPECT_GT(coloured, 100);
    }
  }
}

TEST(Plot, SvgAndSizeAndStandardInput) {
  TempDir dir;
  const auto r = Vexa({"plot", "--size", "320x240", "-o", dir / "g.SVG", "-"},
                      ReadFile(Example("weak-acid-acetic-naoh")));
  ASSERT_EQ(r.code, 0) << r.err;
  const std::string svg = ReadFile(dir / "g.SVG");
  EXPECT_NE(svg.find("<svg"), std::string::npos);
  EXPECT_NE(svg.find("width=\"320"), std::string::npos);
  EXPECT_NE(svg.find("Titration curve (classic view)"), std::string::npos);

  ASSERT_EQ(Vexa({"plot", "--size", "320X240", "-o", dir / "g.png", Example(kExamples[0])}).code,
            0);
  QImage image(QString::fromStdString(dir / "g.png"));
  EXPECT_EQ(image.size(), QSize(320, 240));
}

TEST(Plot, UsesTheStoredDrawingColours) {
  TempDir dir;
  DrawSettings s = DrawSettings::Defaults();
  s.gridColor = 0x00FF00; // green
  WriteDrawSettings(CProfile("Dorvik Software", "VEXA"), s);
  ASSERT_EQ(Vexa({"plot", "-o", dir / "g.png", Example(kExamples[0])}).code, 0);
  QImage image(QString::fromStdString(dir / "g.png"));
  int green = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      green += image.pixel(x, y) == qRgb(0, 255, 0);
  EXPECT_GT(green, 1000);
}

TEST(Plot, WrongCommandLinesAreRefused) {
  TempDir dir;
  const std::string in = Example(kExamples[0]);
  const std::vector<std::vector<std::string>> bad = {
      {"plot", in},                          // no output
      {"plot", "-o", dir / "g.jpg", in},     // not PNG or SVG
      {"plot", "-o", dir / "g.png"},         // no input
      {"plot", "-o", dir / "g.png", in, in}, // two inputs
      {"plot", "--size", "800", "-o", dir / "g.png", in},
      {"plot", "--size", "10x10", "-o", dir / "g.png", in},
      {"plot", "--size", "9000x600", "-o", dir / "g.png", in},
      {"plot", "--size", "-8x600", "-o", dir / "g.png", in},
      {"plot", "--size", "800x600", "--size", "800x600", "-o", dir / "g.png", in},
      {"plot", "--linear", "-o", dir / "g.png", in},
      {"plot", "-o"},
  };
  for (const auto& args : bad) {
    const auto r = Vexa(args);
    EXPECT_EQ(r.code, 2) << args.size() << " " << r.err;
    EXPECT_NE(r.err.find("usage: vexa plot"), std::string::npos) << r.err;
  }
  EXPECT_FALSE(std::filesystem::exists(dir / "g.png"));
}

TEST(Plot, StandardOutputAndTheFormatOption) {
  TempDir dir;
  const std::string in = Example(kExamples[1]);
  // "-" is standard output: PNG unless --format says SVG, and no "written to" line mixed in.
  const auto png = Vexa({"plot", "--size", "200x150", "-o", "-", in});
  ASSERT_EQ(png.code, 0) << png.err;
  EXPECT_EQ(png.out.substr(0, 8), "\x89PNG\r\n\x1a\n");
  QImage image;
  ASSERT_TRUE(image.loadFromData(reinterpret_cast<const uchar*>(png.out.data()),
                                 static_cast<int>(png.out.size()), "PNG"));
  EXPECT_EQ(image.size(), QSize(200, 150));
  const auto svg = Vexa({"plot", "--format", "svg", "-o", "-", in});
  ASSERT_EQ(svg.code, 0) << svg.err;
  EXPECT_NE(svg.out.find("<svg"), std::string::npos);
  EXPECT_EQ(svg.out.find("Graph written to"), std::string::npos);
  // --format names the format of a file without the extension; it may not contradict one.
  ASSERT_EQ(Vexa({"plot", "--format", "svg", "-o", dir / "graph", in}).code, 0);
  EXPECT_NE(ReadFile(dir / "graph").find("<svg"), std::string::npos);
  EXPECT_EQ(Vexa({"plot", "--format", "png", "-o", dir / "g.svg", in}).code, 2);
  EXPECT_EQ(Vexa({"plot", "--format", "gif", "-o", "-", in}).code, 2);
  EXPECT_FALSE(std::filesystem::exists(dir / "g.svg"));
}

TEST(Plot, BadInputWritesNothing) {
  TempDir dir;
  WriteFile(dir / "bad.vexa", "VEXA but not really");
  WriteFile(dir / "old.png", "keep me");
  auto r = Vexa({"plot", "-o", dir / "old.png", dir / "bad.vexa"});
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("not a VEXA file"), std::string::npos) << r.err;
  EXPECT_EQ(ReadFile(dir / "old.png"), "keep me");
  r = Vexa({"plot", "-o", dir / "g.png", dir / "missing.vexa"});
  EXPECT_EQ(r.code, 1);
  EXPECT_FALSE(std::filesystem::exists(dir / "g.png"));
  // An output folder that does not exist.
  r = Vexa({"plot", "-o", dir / "no/such/g.png", Example(kExamples[0])});
  EXPECT_EQ(r.code, 1);
  EXPECT_FALSE(r.err.empty());
}

#else

TEST(Plot, ReportsThatItIsNotAvailable) {
  TempDir dir;
  const auto r = Vexa({"plot", "-o", dir / "g.png", Example(kExamples[0])});
  EXPECT_EQ(r.code, 2);
  EXPECT_NE(r.err.find("not available"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(dir / "g.png"));
}

#endif

TEST(Plot, IsListedInTheUsage) {
  const auto r = Vexa({"--help"});
  EXPECT_NE(r.out.find("vexa plot [--linearised] [--size WxH] [--format png|svg] -o "
                       "OUT.png|OUT.svg IN.vexa"),
            std::string::npos);
}

#ifdef VEXA_WITH_PLOT
TEST(Plot, PrintResolutionLinesByHandAndAutomaticPlacement) {
  TempDir dir;
  const std::string in = Example(kExamples[1]);
  // Twice the pixels a side: the same picture as the 800x600 graph drawn at 1600x1200.
  ASSERT_EQ(Vexa({"plot", "--scale", "2", "-o", dir / "fine.png", in}).code, 0);
  QImage fine(QString::fromStdString(dir / "fine.png"));
  EXPECT_EQ(fine.size(), QSize(1600, 1200));
  ASSERT_EQ(Vexa({"plot", "--size", "1600x1200", "-o", dir / "large.png", in}).code, 0);
  EXPECT_EQ(ReadFile(dir / "fine.png"), ReadFile(dir / "large.png"));
  // A scale says how the layout is made: the 1600x1200 graph drawn at 1 is another picture.
  ASSERT_EQ(Vexa({"plot", "--size", "1600x1200", "--scale", "1", "-o", dir / "wide.png", in}).code,
            0);
  EXPECT_NE(ReadFile(dir / "wide.png"), ReadFile(dir / "large.png"));
  ASSERT_EQ(Vexa({"plot", "--scale", "1,5", "--size", "400x300", "-o", dir / "a.png", in}).code, 0);
  EXPECT_EQ(QImage(QString::fromStdString(dir / "a.png")).size(), QSize(600, 450));
  const auto svg = Vexa({"plot", "--scale", "2", "--format", "svg", "-o", "-", in});
  ASSERT_EQ(svg.code, 0) << svg.err;
  EXPECT_NE(svg.out.find("viewBox=\"0 0 1600 1200\""), std::string::npos);
  for (const auto& wrong :
       std::vector<std::vector<std::string>>{{"--scale", "0.4"},
                                             {"--scale", "11"},
                                             {"--scale", "x"},
                                             {"--scale", "3", "--size", "8000x600"}}) {
    std::vector<std::string> args = {"plot"};
    args.insert(args.end(), wrong.begin(), wrong.end());
    args.insert(args.end(), {"-o", "-", in});
    EXPECT_EQ(Vexa(args).code, 2) << wrong[1];
  }
  // Lines by hand and either automatic method change what the linearised view draws.
  const auto picture = [&](const std::vector<std::string>& extra) {
    std::vector<std::string> args = {"plot", "--linearised", "-o", "-"};
    args.insert(args.end(), extra.begin(), extra.end());
    args.push_back(in);
    const auto r = Vexa(args);
    EXPECT_EQ(r.code, 0) << r.err;
    return r;
  };
  const auto stored = picture({});
  const auto byHand = picture({"--line", "2-12", "--line", "25-40"});
  const auto robust = picture({"--auto-lines=robust"});
  EXPECT_NE(byHand.out, stored.out);
  EXPECT_NE(robust.out, stored.out);
  EXPECT_NE(robust.err.find("robust lines: Veq = "), std::string::npos) << robust.err;
  EXPECT_EQ(picture({"--auto-lines"}).code, 0);
  EXPECT_EQ(Vexa({"plot", "--line", "2-50", "-o", "-", in}).code, 1);
  // A table of points is drawn as well, pH from potentials included.
  ASSERT_EQ(Vexa({"plot", "--mv", "400", "-o", dir / "mv.png",
                  std::string(VEXA_SOURCE_DIR) + "/tests/data/import/potentials-mv.csv"})
                .code,
            0);
  EXPECT_FALSE(QImage(QString::fromStdString(dir / "mv.png")).isNull());
}
#endif
