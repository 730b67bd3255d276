// Printing in the running program: each view's Export PDF, the whole report, the preview, the
// page setup kept in the settings store, and printing from the command line without a printer.
// The PDFs are read back with poppler's pdfinfo and pdftotext.
#include "gui/Profile.h"
#include "support/AppFixture.h"
#include "table/PointsView.h"

#include <QPageLayout>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QProcess>

#include <cmath>

namespace {

using namespace ids;

// What a poppler tool prints for a file; the test fails when the tool is missing.
QString Poppler(const QString& tool, const QStringList& args) {
  QProcess p;
  p.start(tool, args);
  if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
    ADD_FAILURE() << tool.toStdString() << " (poppler-utils) is needed by this test";
    return {};
  }
  return QString::fromUtf8(p.readAllStandardOutput());
}

int Pages(const QString& pdf) {
  for (const QString& line : Poppler(QStringLiteral("pdfinfo"), {pdf}).split(QLatin1Char('\n')))
    if (line.startsWith(QStringLiteral("Pages:"))) return line.mid(6).trimmed().toInt();
  return -1;
}

QString Text(const QString& pdf) {
  return Poppler(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
}

class PrintTest : public AppTest {
protected:
  void SetUp() override {
    // A4 with 15 mm margins, as a user would have set up the page.
    const CProfile p = ProgramProfile();
    p.WriteProfileInt("Settings\\Print", "PageSize", QPageSize::A4);
    p.WriteProfileInt("Settings\\Print", "Orientation", QPageLayout::Portrait);
    p.WriteProfileInt("Settings\\Print", "MarginMicrons", 15000);
    AppTest::SetUp();
  }
  // n points of a titration with one fitted line, the title given.
  void Fill(int n) {
    auto& sys = Doc()->System();
    sys.SetTitle("Acetic acid");
    sys.SetPointCount(n);
    for (int i = 0; i < n; ++i) {
      sys.volume[i] = 0.1 * i;
      sys.pH[i] = 3 + 8.0 * i / n;
    }
    sys.RecomputeLinearised();
    sys.lines[0].firstPoint = 0;
    sys.lines[0].endPoint = n / 3;
    sys.RefitAllLines();
  }
  // Export PDF from the view in sight (or the report), into the test's folder.
  QString Export(int command, const char* name) {
    const QString path = Q(Path(name));
    ui.fileAnswers = {path};
    frame->SendCommand(command);
    EXPECT_TRUE(QFile::exists(path)) << name;
    return path;
  }
};

TEST_F(PrintTest, TheWholePointsTablePrintsOverAsManyPagesAsItNeedsWithItsHeader) {
  Fill(200);
  Choose(1);
  const QString pdf = Export(ID_FILE_EXPORT_PDF, "table.pdf");
  ASSERT_EQ(ui.fileRequests.size(), 1u);
  EXPECT_TRUE(ui.fileRequests[0].fileName.endsWith(QStringLiteral("-points.pdf")));
  // A4, 15 mm margins: 52 rows a page (see the report's page furniture), so 4 pages.
  EXPECT_EQ(Pages(pdf), 4);
  const QString text = Text(pdf);
  EXPECT_EQ(text.count(QStringLiteral("Page ")), 4);
  EXPECT_TRUE(text.contains(QStringLiteral("Page 4 of 4")));
  // Every row is there, the last one too.
  EXPECT_TRUE(text.contains(QStringLiteral("200"))) << text.right(400).toStdString();
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(PrintTest, TheGraphPrintsInsteadOfAnsweringUnderConstruction) {
  Fill(30);
  Choose(2);
  const QString pdf = Export(ID_FILE_EXPORT_PDF, "graph.pdf");
  EXPECT_EQ(Pages(pdf), 1);
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_TRUE(Text(pdf).contains(QStringLiteral("Acetic acid")));
  frame->SendCommand(ID_VIEW_VEXA);
  const QString lin = Export(ID_FILE_EXPORT_PDF, "graph-g.pdf");
  EXPECT_EQ(Pages(lin), 1);
}

TEST_F(PrintTest, TheResultsAndTheWholeReportCarryTheNumbersOfThePage) {
  Fill(30);
  Choose(3);
  const QString results = Export(ID_FILE_EXPORT_PDF, "results.pdf");
  EXPECT_EQ(Pages(results), 1);
  char veq[32];
  std::snprintf(veq, sizeof veq, "%g", Doc()->System().lines[0].veq);
  EXPECT_TRUE(Text(results).contains(QString::fromLatin1(veq))) << veq;
  // The report: results, both graphs and the table, wherever the user is.
  Choose(1);
  const QString report = Export(ID_REPORT_EXPORT_PDF, "report.pdf");
  EXPECT_GE(Pages(report), 3);
  const QString text = Text(report);
  EXPECT_TRUE(text.contains(QString::fromLatin1(veq)));
  EXPECT_TRUE(text.contains(QStringLiteral("Acetic acid")));
  // On the help page, Print is the report.
  Choose(0);
  const QString help = Export(ID_FILE_EXPORT_PDF, "from-help.pdf");
  EXPECT_EQ(Pages(help), Pages(report));
}

TEST_F(PrintTest, PreviewShowsThePagesAndPageSetupIsRemembered) {
  Fill(200);
  Choose(1);
  int previewPages = -1;
  ui.dialogDriver = [&](QDialog* d) {
    auto* widget = d->findChild<QPrintPreviewWidget*>();
    ASSERT_NE(widget, nullptr);
    widget->updatePreview();
    previewPages = widget->pageCount();
    d->reject();
  };
  frame->SendCommand(ID_FILE_PRINT_PREVIEW);
  EXPECT_EQ(previewPages, 4);
  // The whole report's preview: results, both graphs, the table.
  ui.dialogDriver = [&](QDialog* d) {
    auto* widget = d->findChild<QPrintPreviewWidget*>();
    ASSERT_NE(widget, nullptr);
    widget->updatePreview();
    previewPages = widget->pageCount();
    d->resize(900, 800);
    SaveShot(d, "report-preview.png");
    d->reject();
  };
  frame->SendCommand(ID_REPORT_PREVIEW);
  EXPECT_EQ(previewPages, 1 + 1 + 4); // results, both graphs on one page, the table
  // A page set up as Letter, landscape, is there after a restart.
  QPrinter* printer = app->Printer();
  QPageLayout layout = printer->pageLayout();
  layout.setPageSize(QPageSize(QPageSize::Letter));
  layout.setOrientation(QPageLayout::Landscape);
  printer->setPageLayout(layout);
  app->SavePageSetup();
  Stop();
  Start({});
  EXPECT_EQ(app->Printer()->pageLayout().pageSize().id(), QPageSize::Letter);
  EXPECT_EQ(app->Printer()->pageLayout().orientation(), QPageLayout::Landscape);
}

class PrintStartTest : public PrintTest {
protected:
  void SetUp() override {}
};

TEST_F(PrintStartTest, PrintingFromTheCommandLineWithoutAPrinterSaysSo) {
  vexa::TitrationSystem sys;
  sys.SetPointCount(3);
  std::string error;
  vexa::test::TempDir files;
  ASSERT_TRUE(vexa::SaveSystemFile(sys, files / "p.vexa", &error)) << error;
  Start({QStringLiteral("/p"), Q(files / "p.vexa")}, false, CTitrationApp::Start::Done);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_TRUE(ui.messages[0].text.startsWith(QStringLiteral("No printer is set up")))
      << ui.messages[0].text.toStdString();
}

} // namespace
