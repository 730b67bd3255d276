// The results view and the help page, driven in the running program: the log written when
// shown, the font-size commands, "Save log...", the right-click menus and the page rendering.
#include "support/AppFixture.h"
#include "docview/SystemDialogs.h"
#include "analysis/RobustLines.h"
#include "graph/GraphView.h"
#include "results/HelpView.h"
#include "results/ResView.h"
#include "results/ResultsLog.h"
#include "results/WebBrowser.h"

#include <QAction>
#include <QLineEdit>
#include <QContextMenuEvent>
#include <QMenu>
#include <QScrollBar>
#include <QTest>
#include <QTextDocument>

namespace {

class ResultsTest : public AppTest {
protected:
  CResView* Results() const { return dynamic_cast<CResView*>(frame->View(3)); }
  CRView_1* Help() const { return dynamic_cast<CRView_1*>(frame->View(0)); }
  std::string LogFile() const {
    return vexa::test::ReadFile(programFolder.toStdString() + "log.html");
  }
  // A system with two fitted lines.
  void FillSystem() {
    auto& sys = Doc()->System();
    sys.SetTitle("Acetic acid <1>");
    sys.SetPointCount(8);
    const double v[] = {0, 1, 2, 3, 4, 5, 6, 7};
    const double ph[] = {3.0, 3.2, 3.5, 3.9, 4.4, 9.0, 11.0, 11.4};
    for (int i = 0; i < 8; ++i) {
      sys.volume[i] = v[i];
      sys.pH[i] = ph[i];
    }
    sys.RecomputeLinearised();
    sys.lines[0].firstPoint = 0;
    sys.lines[0].endPoint = 3;
    sys.AddLine();
    sys.lines[1].firstPoint = 5;
    sys.lines[1].endPoint = 7;
    sys.RefitAllLines();
  }
};

TEST_F(ResultsTest, TheLogIsWrittenEachTimeTheViewIsShown) {
  FillSystem();
  EXPECT_FALSE(QFile::exists(programFolder + QStringLiteral("log.html")));
  Choose(3);
  EXPECT_EQ(LogFile(), vexa::WriteResultsLog(Doc()->System(), 100));
  EXPECT_TRUE(
      Results()->Browser()->toPlainText().contains(QStringLiteral("System: Acetic acid <1>")));
  EXPECT_TRUE(Results()->Browser()->toPlainText().contains(QStringLiteral("Line # 2")));
  SaveShot(frame, "results-100.png");
  // While shown the log stays as it was; shown again, it follows the document.
  Doc()->System().SetTitle("Renamed");
  EXPECT_EQ(LogFile().find("Renamed"), std::string::npos);
  Choose(1);
  Choose(3);
  EXPECT_NE(LogFile().find("Renamed"), std::string::npos);
}

TEST_F(ResultsTest, ThePageInSightFollowsNewParametersAndANewTitleAtOnce) {
  FillSystem();
  Choose(3);
  ASSERT_NE(LogFile().find("V<sub>0</sub>): <b>50</b>"), std::string::npos);
  const std::string oldVeq = vexa::WriteResultsLog(Doc()->System(), 100);
  ui.dialogDriver = [](QDialog* d) {
    auto* dlg = dynamic_cast<CSystemParamsDlg*>(d);
    ASSERT_NE(dlg, nullptr);
    dlg->InitialVolumeEdit()->setText(QStringLiteral("25"));
    Click(dlg, "IDOK");
  };
  frame->SendCommand(ids::ID_SYSTEM_PARAMETERS);
  // The page shows the new V0 and the lines fitted to the new G values.
  Doc()->System().RefitAllLines();
  EXPECT_EQ(LogFile(), vexa::WriteResultsLog(Doc()->System(), 100));
  EXPECT_NE(LogFile(), oldVeq);
  EXPECT_TRUE(Results()->Browser()->toPlainText().contains(QStringLiteral("(V0): 25")))
      << Results()->Browser()->toPlainText().toStdString();

  ui.dialogDriver = [](QDialog* d) {
    dynamic_cast<CSystemTitleDlg*>(d)->TitleEdit()->setText(QStringLiteral("Vinegar 2"));
    Click(d, "IDOK");
  };
  frame->SendCommand(ids::ID_SYSTEM_TITLE);
  EXPECT_TRUE(Results()->Browser()->toPlainText().contains(QStringLiteral("System: Vinegar 2")));
  EXPECT_EQ(RootText(), QStringLiteral("Vinegar 2"));
}

TEST_F(ResultsTest, ANewTitleIsDrawnOnTheGraphInSight) {
  FillSystem();
  Choose(2);
  auto* graph = frame->View(2);
  const QImage before = graph->grab().toImage();
  ui.dialogDriver = [](QDialog* d) {
    dynamic_cast<CSystemTitleDlg*>(d)->TitleEdit()->setText(QStringLiteral("A much longer title"));
    Click(d, "IDOK");
  };
  frame->SendCommand(ids::ID_SYSTEM_TITLE);
  EXPECT_NE(graph->grab().toImage(), before);
}

TEST_F(ResultsTest, FindLinesPlacesLinesAndThePageShowsItsChecksUntilTheLinesChange) {
  ASSERT_NE(app->OpenDocumentFile(QStringLiteral(VEXA_SOURCE_DIR "/examples/strong-acid-hcl-naoh.vexa")),
            nullptr);
  Choose(2);
  auto* graph = dynamic_cast<CRView7*>(frame->View(2));
  frame->SendCommand(ids::ID_VIEW_VEXA);
  EXPECT_TRUE(frame->QueryCommandUI(ids::ID_FIND_LINES).enabled);
  ui.answers = {IDYES};
  frame->SendCommand(ids::ID_FIND_LINES);
  auto& sys = Doc()->System();
  ASSERT_GE(sys.lineCount, 1);
  EXPECT_EQ(sys.lines[0].status, vexa::kLineFitted);
  ASSERT_TRUE(Doc()->FoundChecks());
  const QString summary = QString::fromStdString(vexa::RobustSummary(*Doc()->FoundChecks()));
  EXPECT_EQ(graph->Plot().notice, summary);
  EXPECT_EQ(frame->StatusText(), summary);
  frame->resize(1100, 750);
  QApplication::processEvents();
  SaveShot(frame, "find-lines-graph.png");
  // The page ends with the checks; the lines' table is the page as always.
  Choose(3);
  EXPECT_EQ(LogFile(), vexa::WriteResultsLog(sys, 100, Doc()->FoundChecks().get()));
  EXPECT_TRUE(Results()->Browser()->toPlainText().contains(QStringLiteral("Checks")));
  SaveShot(frame, "find-lines-results.png");
  // A line moved by hand takes the checks away; undoing the move brings them back.
  Choose(2);
  graph->setFocus();
  QTest::keyClick(graph, Qt::Key_Down);
  EXPECT_FALSE(Doc()->FoundChecks());
  EXPECT_TRUE(graph->Plot().notice.isEmpty());
  frame->SendCommand(ids::ID_EDIT_UNDO);
  EXPECT_TRUE(Doc()->FoundChecks());
  Choose(3);
  EXPECT_TRUE(Results()->Browser()->toPlainText().contains(QStringLiteral("Checks")));
  // Undoing Find lines itself: the lines of the file again, and a page without checks.
  frame->SendCommand(ids::ID_EDIT_UNDO);
  EXPECT_FALSE(Doc()->FoundChecks());
  EXPECT_EQ(LogFile(), vexa::WriteResultsLog(sys, 100));
}

TEST_F(ResultsTest, RestoringTheWindowKeepsThePageAsItIs) {
  // Only choosing the view writes the log; the window coming back from its icon does not (the
  // page would lose its scroll position).
  FillSystem();
  Choose(3);
  const QString log = programFolder + QStringLiteral("log.html");
  ASSERT_TRUE(QFile::remove(log));
  frame->showMinimized();
  QApplication::processEvents();
  frame->showNormal();
  QApplication::processEvents();
  EXPECT_TRUE(Results()->isVisible());
  EXPECT_FALSE(QFile::exists(log));
  Choose(1);
  Choose(3);
  EXPECT_TRUE(QFile::exists(log));
}

TEST_F(ResultsTest, FontCommandsRewriteTheLogAndCarryTheirCheckMarks) {
  FillSystem();
  Choose(3);
  const int ids[] = {ids::ID_FONT_MINUS3, ids::ID_FONT_MINUS2, ids::ID_FONT_MINUS1,
                     ids::ID_FONT_NORMAL, ids::ID_FONT_PLUS1,  ids::ID_FONT_PLUS2,
                     ids::ID_FONT_PLUS3};
  const int percents[] = {25, 50, 75, 100, 150, 200, 300};
  auto checked = [&] {
    std::vector<int> on;
    for (int id : ids)
      if (frame->QueryCommandUI(id).checked) on.push_back(id);
    return on;
  };
  EXPECT_EQ(checked(), std::vector<int>{ids::ID_FONT_NORMAL});
  for (int i = 0; i < 7; ++i) {
    frame->SendCommand(ids[i]);
    EXPECT_EQ(Results()->FontPercent(), percents[i]);
    EXPECT_EQ(LogFile(), vexa::WriteResultsLog(Doc()->System(), percents[i]));
    EXPECT_EQ(checked(), std::vector<int>{ids[i]});
  }
  frame->SendCommand(ids::ID_FONT_PLUS2);
  frame->SendCommand(ids::ID_FONT_PLUS2);
  EXPECT_EQ(Results()->FontPercent(), 200);
  EXPECT_NE(LogFile().find("style=\"font-size: 200%\""), std::string::npos);
  // The check marks reach the menu before it opens.
  QMenu* fontMenu = frame->OperationSubMenu(3)->actions().first()->menu();
  ASSERT_NE(fontMenu, nullptr);
  frame->UpdateMenu(fontMenu);
  EXPECT_TRUE(frame->FindAction(ids::ID_FONT_PLUS2)->isChecked());
  EXPECT_FALSE(frame->FindAction(ids::ID_FONT_NORMAL)->isChecked());
  // Another view active: the results commands are off.
  Choose(2);
  EXPECT_FALSE(frame->QueryCommandUI(ids::ID_FONT_PLUS1).enabled);
  EXPECT_FALSE(frame->QueryCommandUI(ids::ID_SAVE_LOG).enabled);
}

TEST_F(ResultsTest, LargerFontsMakeALargerPage) {
  FillSystem();
  Choose(3);
  CWebBrowser* browser = Results()->Browser();
  frame->SendCommand(ids::ID_FONT_NORMAL);
  const qreal h100 = browser->document()->size().height();
  const qreal w100 = browser->document()->idealWidth();
  frame->SendCommand(ids::ID_FONT_PLUS1);
  const qreal h150 = browser->document()->size().height();
  frame->SendCommand(ids::ID_FONT_PLUS2);
  const qreal h200 = browser->document()->size().height();
  SaveShot(frame, "results-200.png");
  frame->SendCommand(ids::ID_FONT_PLUS3);
  const qreal h300 = browser->document()->size().height();
  frame->SendCommand(ids::ID_FONT_MINUS2);
  const qreal h50 = browser->document()->size().height();
  EXPECT_GT(h150, h100 * 1.2);
  EXPECT_GT(h200, h150 * 1.1);
  EXPECT_GT(h300, h200 * 1.2);
  EXPECT_LT(h50, h100 * 0.8);
  EXPECT_GT(w100, 0);
}

TEST(WebBrowser, PercentFontSizesBecomePoints) {
  EXPECT_EQ(CWebBrowser::TranslatePercentFontSizes(
                QStringLiteral("<table width=100% style=\"font-size: 150%\">"), 10),
            QStringLiteral("<table width=100% style=\"font-size: 15.0pt\">"));
  EXPECT_EQ(CWebBrowser::TranslatePercentFontSizes(QStringLiteral("a FONT-SIZE:25% b"), 8),
            QStringLiteral("a font-size: 2.0pt b"));
  EXPECT_EQ(CWebBrowser::TranslatePercentFontSizes(QStringLiteral("width=100%"), 8),
            QStringLiteral("width=100%"));
}

TEST_F(ResultsTest, SaveLogStartsInTheDocumentsFolder) {
  FillSystem();
  std::string error;
  ASSERT_TRUE(vexa::SaveSystemFile(Doc()->System(), Path("acid.vexa"), &error)) << error;
  ASSERT_TRUE(app->OpenDocumentFile(Q(Path("acid.vexa"))));
  Choose(3);
  frame->SendCommand(ids::ID_SAVE_LOG); // cancelled
  ASSERT_EQ(ui.fileRequests.size(), 1u);
  EXPECT_EQ(ui.fileRequests[0].fileName,
            QDir(Q(dir->path())).filePath(Doc()->GetTitle() + QStringLiteral("_log.html")));
}

TEST_F(ResultsTest, SaveLogCopiesTheLogAsLastShown) {
  FillSystem();
  Choose(3);
  frame->SendCommand(ids::ID_FONT_PLUS1);
  ui.fileAnswers = {Q(Path("copy"))};
  frame->SendCommand(ids::ID_SAVE_LOG);
  ASSERT_EQ(ui.fileRequests.size(), 1u);
  const FileDialogRequest& req = ui.fileRequests[0];
  EXPECT_FALSE(req.open);
  EXPECT_EQ(req.fileName, QStringLiteral("Untitled_log.html"));
  EXPECT_EQ(req.defaultExtension, QStringLiteral("html"));
  EXPECT_EQ(req.filter, QStringLiteral("HTML files (*.html)|*.html||"));
  EXPECT_TRUE(req.overwritePrompt);
  EXPECT_EQ(vexa::test::ReadFile(Path("copy.html")), vexa::WriteResultsLog(Doc()->System(), 150));
  // Saving over it asks first; No keeps the old file.
  vexa::test::WriteFile(Path("copy.html"), "old");
  ui.fileAnswers = {Q(Path("copy.html"))};
  ui.answers = {IDNO};
  frame->SendCommand(ids::ID_SAVE_LOG);
  EXPECT_EQ(vexa::test::ReadFile(Path("copy.html")), "old");
  ui.fileAnswers = {Q(Path("copy.html"))};
  ui.answers = {IDYES};
  frame->SendCommand(ids::ID_SAVE_LOG);
  EXPECT_EQ(vexa::test::ReadFile(Path("copy.html")), vexa::WriteResultsLog(Doc()->System(), 150));
  EXPECT_EQ(ui.messages.size(), 2u);
  // A place that cannot be written.
  ui.messages.clear();
  ui.fileAnswers = {Q(Path("no-such-folder/x.html"))};
  frame->SendCommand(ids::ID_SAVE_LOG);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, QStringLiteral("Don't save log file."));
  EXPECT_EQ(ui.messages[0].type & 0xF0, static_cast<unsigned>(MB_ICONERROR));
  // Cancelling does nothing.
  ui.messages.clear();
  frame->SendCommand(ids::ID_SAVE_LOG);
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(ResultsTest, AProgramFolderThatCannotBeWrittenSendsTheLogToTheCache) {
  vexa::test::WriteFile(Path("plain-file"), "x");
  programFolder = Q(Path("plain-file")) + QLatin1Char('/'); // not a folder: nothing can go there
  Choose(3);
  const QString cached = LogCacheFolder() + QStringLiteral("log.html");
  EXPECT_TRUE(cached.startsWith(QString::fromLocal8Bit(qgetenv("XDG_CACHE_HOME"))));
  EXPECT_EQ(vexa::test::ReadFile(cached.toStdString()),
            vexa::WriteResultsLog(Doc()->System(), 100));
  EXPECT_EQ(Results()->LogPath(), cached);
  EXPECT_TRUE(Results()->Browser()->toPlainText().contains(QStringLiteral("Untitled system")));
  // Save log copies the log from where it went.
  ui.fileAnswers = {Q(Path("saved.html"))};
  frame->SendCommand(ids::ID_SAVE_LOG);
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(vexa::test::ReadFile(Path("saved.html")), vexa::WriteResultsLog(Doc()->System(), 100));
}

TEST_F(ResultsTest, RightClicksOpenTheResultsMenuOnlyOnTheResultsPage) {
  Choose(0);
  QWidget* helpPage = Help()->Browser()->viewport();
  QTest::mouseClick(helpPage, Qt::RightButton, Qt::NoModifier, QPoint(20, 20));
  EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
  // The window system's context-menu request after the click opens nothing either.
  QContextMenuEvent request(QContextMenuEvent::Mouse, QPoint(20, 20),
                            helpPage->mapToGlobal(QPoint(20, 20)));
  QApplication::sendEvent(helpPage, &request);
  EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
  Choose(3);
  QWidget* page = Results()->Browser()->viewport();
  QTest::mousePress(page, Qt::RightButton, Qt::NoModifier, QPoint(20, 20));
  QMenu* popup = Results()->PopupMenu();
  ASSERT_NE(popup, nullptr);
  EXPECT_TRUE(popup->isVisible());
  QStringList texts;
  for (QAction* a : popup->actions())
    texts << a->text();
  EXPECT_EQ(texts, (QStringList{"Font size", "Save log..."}));
  popup->close();
  QTest::mouseRelease(page, Qt::RightButton, Qt::NoModifier, QPoint(20, 20));
}

TEST_F(ResultsTest, TheHelpPageIsShownFromTheProgramFolder) {
  EXPECT_TRUE(Help()->Browser()->toPlainText().contains(QStringLiteral("How to use VEXA")));
  EXPECT_TRUE(Help()->Browser()->toPlainText().contains(QStringLiteral("Keyboard shortcuts")));
  // What it says of the mouse and the status line is what the graph does.
  const QString help = Help()->Browser()->toPlainText().simplified();
  EXPECT_TRUE(help.contains(QStringLiteral("Click it to make it the end point")));
  EXPECT_TRUE(help.contains(QStringLiteral("hold Ctrl and click it to make it the first point")));
  EXPECT_TRUE(help.contains(QStringLiteral("The right button opens the Graphics menu")));
  EXPECT_FALSE(help.contains(QStringLiteral("status bar shows its V")));
  EXPECT_TRUE(help.contains(QStringLiteral("The graph's status line")));
  // Without the page the browser shows its own error page.
  QFile::remove(programFolder + QStringLiteral("how_use.html"));
  Help()->OnInitialUpdate();
  EXPECT_TRUE(Help()->Browser()->toPlainText().contains(QStringLiteral("cannot be displayed")));
}

} // namespace
