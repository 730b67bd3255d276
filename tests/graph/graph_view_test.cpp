// The graph view in the running window program, driven headless: showing and hiding, the view
// commands, the line commands and the line box, the mouse and the keys, saving the picture,
// and the Preferences command.
#include "app/LeftView.h"
#include "app/MainFrame.h"
#include "app/TitrationApp.h"
#include "common/TempDir.h"
#include "document/Doc.h"
#include "resources/Ids.h"
#include "gui/Profile.h"
#include "framework/UiSeam.h"
#include "support/ScriptedUiSeam.h"
#include "graph/GraphView.h"
#include "platform/Registry.h"
#include "preferences/PreferencesDlg.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>

#include <cmath>
#include <QTreeWidget>

#include <memory>

namespace {

using vexa::TitrationSystem;

QString Q(const std::string& s) {
  return QString::fromStdString(s);
}

// A titration of n points with a sharp rise in the middle, and `lines` lines.
void MakeSystemFile(const std::string& path, int n, int lines) {
  TitrationSystem sys;
  sys.SetTitle("Test acid");
  sys.SetPointCount(n);
  for (int i = 0; i < n; ++i) {
    sys.volume[i] = i * 0.5;
    sys.pH[i] = i < n / 2 ? 3 + 0.1 * i : 10 + 0.1 * i;
  }
  sys.RecomputeLinearised();
  for (int i = 1; i < lines; ++i)
    sys.AddLine();
  for (int j = 0; j < lines; ++j) {
    sys.lines[static_cast<std::size_t>(j)].firstPoint = 2 * j;
    sys.lines[static_cast<std::size_t>(j)].endPoint = 2 * j + 2;
  }
  std::string error;
  ASSERT_TRUE(vexa::SaveSystemFile(sys, path, &error)) << error;
}

class GraphViewTest : public testing::Test {
protected:
  void Start(int points = 12, int lines = 1) {
    dir = std::make_unique<vexa::test::TempDir>();
    QDir().mkpath(Q(dir->path() + "/prog"));
    programFolder = Q(dir->path() + "/prog/");
    MakeSystemFile(*dir / "t.vexa", points, lines);
    SetUi(&ui);
    app = std::make_unique<CTitrationApp>();
    app->options.registerWithShell = false;
    app->options.singleInstance = false;
    ASSERT_EQ(app->Startup({Q(*dir / "t.vexa")}), CTitrationApp::Start::Run);
    frame = app->MainFrm();
    ASSERT_TRUE(frame);
    frame->resize(1000, 700);
    QApplication::processEvents();
    view = dynamic_cast<CRView7*>(frame->View(2));
    ASSERT_TRUE(view);
  }
  void TearDown() override {
    if (app) app->ExitInstance();
    app.reset();
    SetUi(nullptr);
    SetColorChooser(nullptr);
    programFolder.clear();
    dir.reset();
  }
  // Shows the graph through the category tree.
  void ShowGraph() {
    QTreeWidgetItem* root = frame->LeftView()->Tree()->topLevelItem(0);
    frame->LeftView()->Tree()->setCurrentItem(root->child(1));
    QApplication::processEvents();
    ASSERT_TRUE(view->isVisible());
  }
  void Linearised() {
    ShowGraph();
    frame->SendCommand(ids::ID_VIEW_VEXA);
    QApplication::processEvents();
  }
  TitrationSystem& Sys() { return app->Doc()->System(); }
  vexa::ApproxLine& Line(int j) { return Sys().lines[static_cast<std::size_t>(j)]; }
  bool Modified() { return app->Doc()->IsModified(); }
  void Key(int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QTest::keyClick(view, static_cast<Qt::Key>(key), mods);
  }
  QPoint PointPos(int i) {
    return QPoint(view->Plot().Column(Sys().volume[i]), view->Plot().Row(Sys().g[i]));
  }
  void Hover(QPoint p) {
    QTest::mouseMove(view, p);
    QApplication::processEvents();
  }
  CCmdUI State(int id) { return frame->QueryCommandUI(id); }
  void SaveShot(const char* name) {
    const QByteArray folder = qgetenv("VEXA_SHOTS_DIR");
    if (!folder.isEmpty()) frame->grab().save(QString::fromLocal8Bit(folder) + "/" + name);
  }

  std::unique_ptr<vexa::test::TempDir> dir;
  ScriptedUiSeam ui;
  std::unique_ptr<CTitrationApp> app;
  CMainFrame* frame = nullptr;
  CRView7* view = nullptr;
};

// ------------------------------------------------------------------ showing and the modes

TEST_F(GraphViewTest, ShowingRefitsEveryLineAndTheModeCommandsCheckAndEnable) {
  Start(12, 2);
  Line(0).a = 0;
  Line(1).endPoint = 40; // beyond the points: clamped when shown
  ShowGraph();
  EXPECT_EQ(view->GetCategoryNameId(), 57615);
  EXPECT_EQ(view->MenuIndex(), 2);
  EXPECT_EQ(Line(0).status, 0);
  EXPECT_NE(Line(0).a, 0);
  EXPECT_EQ(Line(1).endPoint, 0);
  EXPECT_EQ(view->HoverPoint(), -1);
  EXPECT_FALSE(view->IsLinearised());
  EXPECT_TRUE(State(ids::ID_VIEW_CLASSIC).checked);
  EXPECT_FALSE(State(ids::ID_VIEW_VEXA).checked);
  EXPECT_FALSE(frame->LineCombo()->isEnabled()); // classic view
  EXPECT_FALSE(State(ids::ID_ADD_LINE).enabled);
  EXPECT_FALSE(State(ids::ID_SET_AUTO_LINES).enabled);
  SaveShot("graph-classic.png");

  frame->SendCommand(ids::ID_VIEW_VEXA);
  EXPECT_TRUE(view->IsLinearised());
  EXPECT_TRUE(State(ids::ID_VIEW_VEXA).checked);
  EXPECT_FALSE(State(ids::ID_VIEW_CLASSIC).checked);
  EXPECT_TRUE(frame->LineCombo()->isEnabled());
  EXPECT_TRUE(State(ids::ID_ADD_LINE).enabled);
  EXPECT_TRUE(State(ids::ID_DELETE_LINE).enabled);
  EXPECT_TRUE(State(ids::ID_SELECT_LINE1 + 1).enabled);
  EXPECT_FALSE(State(ids::ID_SELECT_LINE1 + 2).enabled);
  EXPECT_TRUE(State(ids::ID_SELECT_LINE1).checked);
  EXPECT_FALSE(State(ids::ID_SELECT_LINE1 + 1).checked);
  // The window shows the picture: white background, black frame.
  QApplication::processEvents();
  const QImage shown = view->WindowImage();
  ASSERT_EQ(shown.size(), view->size());
  EXPECT_EQ(
      shown.pixel(view->Plot().plotLeft, (view->Plot().plotTop + view->Plot().plotBottom) / 3),
      qRgb(0, 0, 0));

  // Hidden: the bitmap goes and the box is disabled.
  EXPECT_TRUE(view->Plot().cacheBitmap);
  QTreeWidgetItem* root = frame->LeftView()->Tree()->topLevelItem(0);
  frame->LeftView()->Tree()->setCurrentItem(root->child(0));
  QApplication::processEvents();
  EXPECT_FALSE(view->isVisible());
  EXPECT_FALSE(view->Plot().cacheBitmap);
  EXPECT_FALSE(frame->LineCombo()->isEnabled());
  // Shown again in the linearised view: the box is enabled.
  ShowGraph();
  EXPECT_TRUE(frame->LineCombo()->isEnabled());
}

TEST_F(GraphViewTest, ResizeRelaysAndPrintingAsksForThePrinter) {
  Start();
  ShowGraph();
  view->resize(1000, 700);
  QApplication::processEvents();
  EXPECT_EQ(view->Plot().plotLeft, 100);
  EXPECT_EQ(view->Plot().plotBottom, 630);
  EXPECT_EQ(view->Plot().font.height, -17);
  ui.messages.clear();
  frame->SendCommand(ids::ID_FILE_PRINT);
  // The graph prints: the print dialog comes (cancelled here), no message.
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(ui.printDialogs, 1);
}

// ------------------------------------------------------------------ the keys

TEST_F(GraphViewTest, ArrowKeysMoveThePointsAndStopAtTheEnds) {
  Start(12, 1);
  ShowGraph();
  Line(0).firstPoint = 0;
  Line(0).endPoint = 3;
  app->Doc()->SetModifiedFlag(false);
  const vexa::ApproxLine before = Line(0);
  Key(Qt::Key_Left); // at 0: nothing happens, no refit, not modified
  EXPECT_EQ(Line(0), before);
  EXPECT_FALSE(Modified());

  Key(Qt::Key_Right);
  EXPECT_EQ(Line(0).firstPoint, 1);
  EXPECT_EQ(Line(0).status, 0); // points 1 ... 3 refitted
  EXPECT_TRUE(Modified());

  Line(0).endPoint = 11;
  app->Doc()->SetModifiedFlag(false);
  Key(Qt::Key_Up); // at N−1 already
  EXPECT_EQ(Line(0).endPoint, 11);
  EXPECT_FALSE(Modified());
  Key(Qt::Key_Down);
  EXPECT_EQ(Line(0).endPoint, 10);
  EXPECT_TRUE(Modified());

  app->Doc()->SetModifiedFlag(false);
  Key(Qt::Key_A); // any other key
  EXPECT_FALSE(Modified());
}

TEST_F(GraphViewTest, TabKeepsTheKeyboardOnTheGraph) {
  Start(12, 1);
  ShowGraph();
  view->setFocus();
  QApplication::processEvents();
  Line(0).endPoint = 3;
  Key(Qt::Key_Tab);
  Key(Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_EQ(QApplication::focusWidget(), view);
  // The arrows that follow still move the line's points: the category stays the graph.
  Key(Qt::Key_Down);
  EXPECT_EQ(Line(0).endPoint, 2);
  EXPECT_EQ(frame->RightPaneView(), view);
}

TEST_F(GraphViewTest, AutomaticPlacementThatKeepsNoLineSaysSoUnderTheGraph) {
  Start(12, 1);
  // A pH that jumps up and down: no line comes near a relative error of 10 %.
  const double ph[] = {3, 11, 4, 10, 3.5, 12, 2.5, 9, 4, 11.5, 3, 10};
  for (int i = 0; i < 12; ++i)
    Sys().pH[i] = ph[i];
  Sys().RecomputeLinearised();
  Linearised();
  ui.answers = {IDYES};
  frame->SendCommand(ids::ID_SET_AUTO_LINES);
  EXPECT_EQ(Sys().lineCount, 1);
  EXPECT_EQ(Line(0).status, vexa::kLineFewPoints);
  EXPECT_TRUE(view->Plot().notice.startsWith(
      QStringLiteral("No line reached a relative error below 10 %; the best, over points ")))
      << view->Plot().notice.toStdString();
  EXPECT_EQ(frame->StatusText(), view->Plot().notice);
  // The notice is drawn on the graph, above the line's status text.
  CRecordingDC dc;
  view->Plot().DrawLinearised(&dc, Sys(), DrawSettings::Defaults(), CSize{view->width(), view->height()});
  bool drawn = false;
  for (const DrawCall& call : dc.Calls("TextOut"))
    drawn = drawn || call.text == view->Plot().notice;
  EXPECT_TRUE(drawn);
  // A placement that keeps lines says nothing of the kind: 0.01 M acid, 50 ml, titrated with
  // 0.1 M base, the equivalence at 5 ml.
  for (int i = 0; i < 12; ++i) {
    const double v = i, excess = (0.5 - 0.1 * v) / (50 + v);
    Sys().volume[i] = v;
    Sys().pH[i] = excess > 0 ? -std::log10(excess) : excess < 0 ? 14 + std::log10(-excess) : 7;
  }
  Sys().RecomputeLinearised();
  ui.answers = {IDYES};
  frame->SendCommand(ids::ID_SET_AUTO_LINES);
  EXPECT_TRUE(view->Plot().notice.isEmpty());
}

TEST_F(GraphViewTest, CtrlDigitSelectsALineOnlyWhenItExists) {
  Start(12, 3);
  Linearised();
  app->Doc()->SetModifiedFlag(false);
  Key(Qt::Key_0, Qt::ControlModifier); // line 10 of 3: ignored
  EXPECT_EQ(view->CurrentLine(), 0);
  EXPECT_FALSE(Modified());
  Key(Qt::Key_3, Qt::ControlModifier);
  EXPECT_EQ(view->CurrentLine(), 2);
  EXPECT_EQ(frame->LineCombo()->currentIndex(), 2);
  EXPECT_TRUE(Modified()); // the key refits
  app->Doc()->SetModifiedFlag(false);
  Key(Qt::Key_2); // without Ctrl: nothing
  EXPECT_EQ(view->CurrentLine(), 2);
  EXPECT_FALSE(Modified());
  // Works in the classic view too.
  frame->SendCommand(ids::ID_VIEW_CLASSIC);
  Key(Qt::Key_1, Qt::ControlModifier);
  EXPECT_EQ(view->CurrentLine(), 0);
}

TEST_F(GraphViewTest, InsertAsksAndRefitsTheNewLine) {
  Start(12, 1);
  Linearised();
  app->Doc()->SetModifiedFlag(false);
  ui.answers = {IDNO};
  Key(Qt::Key_Insert);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, "You sure you want to add new line?");
  EXPECT_EQ(ui.messages[0].type, MB_YESNO | MB_ICONQUESTION);
  EXPECT_EQ(Sys().lineCount, 1);
  EXPECT_TRUE(Modified()); // refitted all the same

  ui.answers = {IDYES};
  Key(Qt::Key_Insert);
  EXPECT_EQ(Sys().lineCount, 2);
  EXPECT_EQ(view->CurrentLine(), 1);
  EXPECT_EQ(Line(1).status, vexa::kLineFewPoints);
  EXPECT_EQ(frame->LineCombo()->count(), 2);
  EXPECT_EQ(frame->LineCombo()->currentIndex(), 1);

  // With ten lines Insert asks nothing.
  for (int i = 2; i < 10; ++i)
    frame->SendCommand(ids::ID_ADD_LINE);
  EXPECT_EQ(Sys().lineCount, 10);
  EXPECT_FALSE(State(ids::ID_ADD_LINE).enabled);
  ui.messages.clear();
  Key(Qt::Key_Insert);
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(Sys().lineCount, 10);
}

TEST_F(GraphViewTest, DeletingLineZeroOfThreeKeepsCurrentZero) {
  Start(12, 3);
  Linearised();
  const vexa::ApproxLine second = Line(1);
  ui.answers = {IDNO};
  Key(Qt::Key_Delete);
  EXPECT_EQ(ui.messages.back().text, "You sure you want to delete current line?");
  EXPECT_EQ(Sys().lineCount, 3);
  ui.answers = {IDYES};
  Key(Qt::Key_Delete);
  EXPECT_EQ(Sys().lineCount, 2);
  EXPECT_EQ(view->CurrentLine(), 0);
  EXPECT_EQ(Line(0).firstPoint, second.firstPoint);
  EXPECT_EQ(Line(0).endPoint, second.endPoint);
  EXPECT_EQ(frame->LineCombo()->count(), 2);
  // The last of three: the one before it becomes current.
  frame->SendCommand(ids::ID_ADD_LINE);
  ASSERT_EQ(view->CurrentLine(), 2);
  ui.answers = {IDYES};
  frame->SendCommand(ids::ID_DELETE_LINE);
  EXPECT_EQ(Sys().lineCount, 2);
  EXPECT_EQ(view->CurrentLine(), 1);
  EXPECT_EQ(frame->LineCombo()->currentIndex(), 1);
  // From the menu, the last line: the current one moves back.
  frame->SendCommand(ids::ID_SELECT_LINE1 + 1);
  ui.answers = {IDYES};
  frame->SendCommand(ids::ID_DELETE_LINE);
  EXPECT_EQ(Sys().lineCount, 1);
  EXPECT_EQ(view->CurrentLine(), 0);
  EXPECT_FALSE(State(ids::ID_DELETE_LINE).enabled);
  ui.messages.clear();
  Key(Qt::Key_Delete); // one line: no question
  EXPECT_TRUE(ui.messages.empty());
}

// ------------------------------------------------------------------ the line commands

TEST_F(GraphViewTest, LineCommandsAndTheLineBox) {
  Start(24, 1);
  Linearised();
  // Add line: the new line is current, not fitted.
  frame->SendCommand(ids::ID_ADD_LINE);
  EXPECT_EQ(Sys().lineCount, 2);
  EXPECT_EQ(view->CurrentLine(), 1);
  EXPECT_EQ(Line(1).status, vexa::kLineFewPoints);
  EXPECT_EQ(frame->LineCombo()->itemText(1), "# 2");
  EXPECT_TRUE(ui.messages.empty());
  // Choosing the first entry of the box selects line 1.
  frame->LineCombo()->setCurrentIndex(0);
  emit frame->LineCombo()->activated(0);
  EXPECT_EQ(view->CurrentLine(), 0);
  EXPECT_TRUE(State(ids::ID_SELECT_LINE1).checked);
  // Automatic lines, after the question.
  ui.answers = {IDNO};
  frame->SendCommand(ids::ID_SET_AUTO_LINES);
  EXPECT_EQ(Sys().lineCount, 2);
  EXPECT_EQ(ui.messages.back().text,
            "Note: The <auto line> option delete all existing lines.\nYou sure you want to execute "
            "this command?");
  ui.answers = {IDYES};
  frame->SendCommand(ids::ID_SELECT_LINE1 + 1);
  frame->SendCommand(ids::ID_SET_AUTO_LINES);
  EXPECT_EQ(view->CurrentLine(), 0);
  EXPECT_EQ(frame->LineCombo()->count(), Sys().lineCount);
  EXPECT_EQ(frame->LineCombo()->currentIndex(), 0);
  SaveShot("graph-lines.png");
}

TEST_F(GraphViewTest, ExamplesWithAutomaticLines) {
  struct Case {
    const char* name;
    double veq;
  };
  for (const Case c : {Case{"strong-acid-hcl-naoh", 5}, Case{"weak-acid-acetic-naoh", 5},
                       Case{"weak-base-ammonia-hcl", 10}}) {
    SCOPED_TRACE(c.name);
    Start();
    ASSERT_TRUE(app->OpenDocumentFile(
        QStringLiteral(VEXA_SOURCE_DIR "/examples/%1.vexa").arg(QString::fromLatin1(c.name))));
    QApplication::processEvents();
    ShowGraph();
    SaveShot((std::string(c.name) + "-classic.png").c_str());
    frame->SendCommand(ids::ID_VIEW_VEXA);
    ui.answers = {IDYES};
    frame->SendCommand(ids::ID_SET_AUTO_LINES);
    QApplication::processEvents();
    ASSERT_GE(Sys().lineCount, 1);
    EXPECT_NEAR(Line(0).veq, c.veq, 0.1);
    SaveShot((std::string(c.name) + "-vexa.png").c_str());
    frame->SendCommand(ids::ID_VIEW_CLASSIC);
    QApplication::processEvents();
    SaveShot((std::string(c.name) + "-classic-auto.png").c_str());
    TearDown();
  }
}

// ------------------------------------------------------------------ the mouse

TEST_F(GraphViewTest, HoverRingAndPointInTheStatusBar) {
  Start(12, 1);
  Linearised();
  const QImage before = view->WindowImage();
  const QPoint p = PointPos(5);
  Hover(p + QPoint(3, 0));
  EXPECT_EQ(view->HoverPoint(), 5);
  EXPECT_EQ(frame->StatusText(), "Point 5");
  // The disk around the point is inverted: a pixel just inside the ring, white before.
  const QPoint inside = p + QPoint(0, app->drawSettings.markerSize - 2);
  ASSERT_EQ(before.pixel(inside), qRgb(255, 255, 255));
  EXPECT_EQ(view->WindowImage().pixel(inside), qRgb(0, 0, 0));
  SaveShot("graph-hover.png");
  // A key redraws the graph; the hovered point keeps its ring.
  Key(Qt::Key_Up);
  EXPECT_EQ(view->HoverPoint(), 5);
  EXPECT_EQ(view->WindowImage().pixel(inside), qRgb(0, 0, 0));
  // Away from every point: the ring goes, the idle prompt is back.
  Hover(QPoint((view->Plot().plotLeft + view->Plot().plotRight) / 2, view->Plot().plotTop + 5));
  EXPECT_EQ(view->HoverPoint(), -1);
  EXPECT_EQ(frame->StatusText(), "For Help, press F1");
  EXPECT_EQ(view->WindowImage().pixel(inside), qRgb(255, 255, 255));
}

TEST_F(GraphViewTest, PickRadiusIsTwiceTheMarkerSizeCappedAt1000) {
  Start(12, 1);
  app->drawSettings.markerSize = 16;
  Linearised();
  const QPoint p = PointPos(11); // the last point, alone at the end
  Hover(p + QPoint(-31, 7));     // 1010: below 4 × 256 but not below 1000
  EXPECT_EQ(view->HoverPoint(), -1);
  Hover(p + QPoint(-31, 6)); // 997
  EXPECT_EQ(view->HoverPoint(), 11);
  // In the classic view the mouse does not hover.
  frame->SendCommand(ids::ID_VIEW_CLASSIC);
  Hover(QPoint(1, 1));
  EXPECT_EQ(view->HoverPoint(), 11);
}

TEST_F(GraphViewTest, ClickSetsTheEndPointAndCtrlClickTheFirst) {
  Start(12, 1);
  Linearised();
  Line(0).firstPoint = 0;
  Line(0).endPoint = 0;
  app->Doc()->SetModifiedFlag(false);
  // A click where nothing is hovered does nothing.
  QTest::mouseClick(view, Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
  EXPECT_FALSE(Modified());

  Hover(PointPos(3));
  QTest::mousePress(view, Qt::LeftButton, Qt::NoModifier, PointPos(3));
  QTest::mouseRelease(view, Qt::LeftButton, Qt::NoModifier, PointPos(3));
  EXPECT_EQ(Line(0).endPoint, 3);
  EXPECT_EQ(Line(0).status, 0);
  EXPECT_EQ(view->HoverPoint(), -1);
  EXPECT_TRUE(Modified());

  Hover(PointPos(1) + QPoint(1, 1));
  QTest::mousePress(view, Qt::LeftButton, Qt::ControlModifier, PointPos(1));
  QTest::mouseRelease(view, Qt::LeftButton, Qt::ControlModifier, PointPos(1));
  EXPECT_EQ(Line(0).firstPoint, 1);
  EXPECT_EQ(Line(0).endPoint, 3);
}

// ------------------------------------------------------------------ export and preferences

TEST_F(GraphViewTest, SaveGraphWritesThePictureAtTheWindowSize) {
  Start(12, 1);
  Linearised();
  QMenu* menu = view->ContextMenu();
  ASSERT_TRUE(menu);
  EXPECT_TRUE(menu->actions().contains(frame->FindAction(ids::ID_SAVE_GRAPH)));
  EXPECT_EQ(frame->FindAction(ids::ID_SAVE_GRAPH)->text(), "Save graph...");

  ui.fileAnswers = {Q(*dir / "graph.png"), Q(*dir / "graph.svg")};
  frame->SendCommand(ids::ID_SAVE_GRAPH);
  QImage image(Q(*dir / "graph.png"));
  EXPECT_EQ(image.size(), view->size());
  EXPECT_EQ(ui.fileRequests.back().defaultExtension, "png");
  frame->SendCommand(ids::ID_SAVE_GRAPH);
  QFile svg(Q(*dir / "graph.svg"));
  ASSERT_TRUE(svg.open(QIODevice::ReadOnly));
  EXPECT_TRUE(svg.readAll().contains("Titration curve (Vexa view)"));
  // Cancelled: nothing written.
  frame->SendCommand(ids::ID_SAVE_GRAPH);
  EXPECT_EQ(QDir(Q(dir->path())).entryList({"*.png", "*.svg"}).size(), 2);
}

TEST_F(GraphViewTest, SaveGraphStartsInTheDocumentsFolder) {
  Start(12, 1);
  ShowGraph();
  frame->SendCommand(ids::ID_SAVE_GRAPH); // cancelled
  ASSERT_EQ(ui.fileRequests.size(), 1u);
  EXPECT_EQ(ui.fileRequests[0].fileName, QDir(Q(dir->path())).filePath("titration-graph.png"));
  frame->SendCommand(ids::ID_VIEW_VEXA);
  frame->SendCommand(ids::ID_SAVE_GRAPH);
  EXPECT_EQ(ui.fileRequests.back().fileName, QDir(Q(dir->path())).filePath("vexa-graph.png"));
  // A new system has no folder yet: the name alone (the view stays linearised).
  frame->SendCommand(ids::ID_FILE_NEW);
  QApplication::processEvents();
  ShowGraph();
  frame->SendCommand(ids::ID_SAVE_GRAPH);
  EXPECT_EQ(ui.fileRequests.back().fileName, "vexa-graph.png");
}

TEST_F(GraphViewTest, PreferencesCancelWritesNothingOkWritesAllTen) {
  Start(12, 1);
  Linearised();
  const CProfile& profile = app->Profile();
  auto stored = [&] { return profile.GetProfileInt("Settings\\Draw", "marker_size", -1); };
  ASSERT_EQ(stored(), -1);
  EXPECT_TRUE(State(ids::ID_PREFERENCES).enabled);

  // A new filling colour, then Cancel: nothing changes, nothing is written.
  SetColorChooser([](QWidget*, COLORREF& c) {
    c = RGB(1, 2, 3);
    return true;
  });
  ui.dialogDriver = [](QDialog* dlg) {
    auto* p = dynamic_cast<CPreferencesDlg*>(dlg);
    ASSERT_TRUE(p);
    p->OnColorButton(ids::IDC_FILL_COLOR);
    EXPECT_EQ(p->markerFillColor, RGB(1, 2, 3));
    QTest::mouseClick(dlg->findChild<QPushButton*>("IDCANCEL"), Qt::LeftButton);
  };
  const DrawSettings before = app->drawSettings;
  frame->SendCommand(ids::ID_PREFERENCES);
  EXPECT_EQ(ui.modalRuns, 1);
  EXPECT_EQ(app->drawSettings, before);
  EXPECT_EQ(stored(), -1);
  EXPECT_EQ(profile.GetProfileInt("Settings\\Draw", "grid_color", -1), -1);

  // OK without a change: all ten written.
  ui.dialogDriver = [](QDialog* dlg) {
    QTest::mouseClick(dlg->findChild<QPushButton*>("IDOK"), Qt::LeftButton);
  };
  frame->SendCommand(ids::ID_PREFERENCES);
  EXPECT_EQ(app->drawSettings, before);
  const char* names[] = {"grid_color",  "border_color", "deriv_color",       "plot_color",
                         "begin_color", "end_color",    "marker_fill_color", "marker_outline_color",
                         "marker_type", "marker_size"};
  for (const char* name : names)
    EXPECT_NE(profile.GetProfileInt("Settings\\Draw", name, -12345), -12345) << name;
  EXPECT_EQ(stored(), before.markerSize);

  // OK with a new size: the graph is drawn with it at once.
  ui.dialogDriver = [](QDialog* dlg) {
    auto* p = dynamic_cast<CPreferencesDlg*>(dlg);
    p->SizeEdit()->setText("12");
    QTest::mouseClick(dlg->findChild<QPushButton*>("IDOK"), Qt::LeftButton);
  };
  frame->SendCommand(ids::ID_PREFERENCES);
  EXPECT_EQ(app->drawSettings.markerSize, 12);
  EXPECT_EQ(stored(), 12);
}

} // namespace
