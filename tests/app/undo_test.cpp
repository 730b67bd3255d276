// The document's history in the running program: every kind of change undone and done again,
// the menu naming the step, and the modified flag following the saved state.
#include "document/SystemDialogs.h"
#include "graph/GraphView.h"
#include "support/AppFixture.h"
#include "table/PointsView.h"
#include "table/TableView.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>

namespace {

using namespace ids;

// A clipboard of the test's own.
class TextClipboard : public GridClipboard {
public:
  bool Open() override { return true; }
  bool Empty() override { return true; }
  bool SetText(const QString& t) override {
    text = t;
    return true;
  }
  bool HasText() override { return !text.isEmpty(); }
  QString Text() override { return text; }
  void Close() override {}
  QString text;
};

class UndoTest : public AppTest {
protected:
  void SetUp() override {
    AppTest::SetUp();
    SetClipboard(&clipboard);
  }
  void TearDown() override {
    SetClipboard(nullptr);
    AppTest::TearDown();
  }
  vexa::TitrationSystem& Sys() { return Doc()->System(); }
  // A saved system of n points, V = i, pH = 3 + i; the table in sight.
  CRView1* Table(int n) {
    Sys().SetPointCount(n);
    for (int i = 0; i < n; ++i) {
      Sys().volume[i] = i;
      Sys().pH[i] = 3 + i;
    }
    Sys().RecomputeLinearised();
    Doc()->UndoStack().clear();
    Doc()->SetModifiedFlag(false);
    Choose(1);
    auto* view = dynamic_cast<CRView1*>(frame->View(1));
    view->OnUpdate(nullptr, 0);
    view->setFocus();
    return view;
  }
  QString UndoText() { return frame->QueryCommandUI(ID_EDIT_UNDO).text; }
  bool CanUndo() { return frame->QueryCommandUI(ID_EDIT_UNDO).enabled; }
  bool CanRedo() { return frame->QueryCommandUI(ID_EDIT_REDO).enabled; }
  void Undo() { frame->SendCommand(ID_EDIT_UNDO); }
  void Redo() { frame->SendCommand(ID_EDIT_REDO); }
  std::vector<double> Volumes() {
    return std::vector<double>(Sys().volume.data(), Sys().volume.data() + Sys().pointCount);
  }

  TextClipboard clipboard;
};

TEST_F(UndoTest, TheMenuNamesTheStepAndTheKeysAreThere) {
  EXPECT_FALSE(CanUndo());
  EXPECT_FALSE(CanRedo());
  EXPECT_EQ(UndoText(), QStringLiteral("&Undo"));
  auto keys = [&](int id) {
    QStringList out;
    for (const QKeySequence& k : frame->FindAction(id)->shortcuts())
      out << k.toString();
    return out;
  };
  EXPECT_TRUE(keys(ID_EDIT_UNDO).contains(QStringLiteral("Ctrl+Z")));
  EXPECT_TRUE(keys(ID_EDIT_REDO).contains(QStringLiteral("Ctrl+Y")));
  EXPECT_TRUE(keys(ID_EDIT_REDO).contains(QStringLiteral("Ctrl+Shift+Z")));
  CRView1* view = Table(3);
  clipboard.text = QStringLiteral("1\t2\r\n3\t4\r\n5\t6\r\n7\t8\r\n9\t10\r\n11\t12\r\n");
  frame->SendCommand(ID_EDIT_PASTE);
  EXPECT_EQ(UndoText(), QStringLiteral("&Undo paste of 12 cells"));
  // The menu shows the step's name before the key.
  frame->UpdateAllActions();
  EXPECT_EQ(frame->FindAction(ID_EDIT_UNDO)->text(), QStringLiteral("&Undo paste of 12 cells\tCtrl+Z"));
  (void)view;
}

TEST_F(UndoTest, APasteThatGrewTheTableIsUndoneWholeAndTheFlagFollowsTheSavedState) {
  Table(3);
  const auto saved = Volumes();
  clipboard.text = QStringLiteral("V;pH\n1,5;2\n3,5;4\n5,5;6\n7,5;8\n");
  frame->SendCommand(ID_EDIT_PASTE);
  EXPECT_EQ(Sys().pointCount, 4); // a header skipped, one row added
  EXPECT_EQ(Sys().volume[3], 7.5);
  EXPECT_TRUE(Doc()->IsModified());
  Undo();
  EXPECT_EQ(Volumes(), saved);
  EXPECT_DOUBLE_EQ(Sys().g[2], Sys().LinearisedValue(2, 5));
  EXPECT_FALSE(Doc()->IsModified()); // back at the saved state
  EXPECT_TRUE(CanRedo());
  Redo();
  EXPECT_EQ(Sys().pointCount, 4);
  EXPECT_EQ(Sys().pH[3], 8);
  EXPECT_TRUE(Doc()->IsModified());
  // Saved here, an undo makes the document modified again.
  ui.fileAnswers = {Q(Path("u.vexa"))};
  frame->SendCommand(ID_FILE_SAVE);
  EXPECT_FALSE(Doc()->IsModified());
  Undo();
  EXPECT_TRUE(Doc()->IsModified());
  Redo();
  EXPECT_FALSE(Doc()->IsModified());
}

TEST_F(UndoTest, TypingAddingAndDeletingPointsAreEachOneStep) {
  CRView1* view = Table(4);
  const auto start = Volumes();
  // Typing a value.
  view->SetCurrentCell(0, 1);
  QTest::keyClicks(view, QStringLiteral("9"));
  QTest::keyClick(view->Editor(), Qt::Key_Return);
  EXPECT_EQ(Sys().volume[1], 9);
  EXPECT_EQ(UndoText(), QStringLiteral("&Undo entry in row 2"));
  // Adding a point, adding several, deleting one.
  view->SetCurrentCell(0, 2);
  frame->SendCommand(ID_ADD_POINT);
  EXPECT_EQ(Sys().pointCount, 5);
  EXPECT_EQ(UndoText(), QStringLiteral("&Undo insertion of a point"));
  view->SetCurrentCell(0, 0);
  frame->SendCommand(ID_DELETE_POINT);
  EXPECT_EQ(Sys().pointCount, 4);
  EXPECT_EQ(UndoText(), QStringLiteral("&Undo deletion of point 1"));
  // Undone one by one, in reverse order, back to the start.
  Undo();
  EXPECT_EQ(Sys().pointCount, 5);
  EXPECT_EQ(Sys().volume[0], 0);
  Undo();
  EXPECT_EQ(Sys().pointCount, 4);
  Undo();
  EXPECT_EQ(Volumes(), start);
  EXPECT_FALSE(Doc()->IsModified());
  EXPECT_FALSE(CanUndo());
  // Done again, to the end.
  Redo();
  Redo();
  Redo();
  EXPECT_EQ(Sys().pointCount, 4);
  EXPECT_EQ(Sys().volume[0], 9); // the typed 9 moved up when point 1 went
}

TEST_F(UndoTest, ParametersAndTitleAreUndoneWithEveryGAndTheTree) {
  Table(3);
  const double g2 = Sys().g[2];
  ui.dialogDriver = [](QDialog* d) {
    dynamic_cast<CSystemParamsDlg*>(d)->PKwEdit()->setText(QStringLiteral("13"));
    Click(d, "IDOK");
  };
  frame->SendCommand(ID_SYSTEM_PARAMETERS);
  EXPECT_EQ(Sys().pKw, 13);
  EXPECT_NE(Sys().g[2], g2);
  ui.dialogDriver = [](QDialog* d) {
    dynamic_cast<CSystemTitleDlg*>(d)->TitleEdit()->setText(QStringLiteral("Vinegar"));
    Click(d, "IDOK");
  };
  frame->SendCommand(ID_SYSTEM_TITLE);
  EXPECT_EQ(RootText(), QStringLiteral("Vinegar"));
  EXPECT_EQ(UndoText(), QStringLiteral("&Undo title"));
  Undo();
  EXPECT_EQ(RootText(), QStringLiteral("Untitled system"));
  EXPECT_EQ(UndoText(), QStringLiteral("&Undo system parameters"));
  Undo();
  EXPECT_EQ(Sys().pKw, 14);
  EXPECT_EQ(Sys().g[2], g2);
  EXPECT_FALSE(Doc()->IsModified());
}

TEST_F(UndoTest, LineChangesOnTheGraphAreUndone) {
  Table(12);
  Choose(2);
  auto* graph = dynamic_cast<CRView7*>(frame->View(2));
  frame->SendCommand(ID_VIEW_VEXA);
  graph->setFocus();
  Sys().lines[0].firstPoint = 0;
  Sys().lines[0].endPoint = 5;
  Sys().RefitAllLines();
  Doc()->UndoStack().clear();
  Doc()->SetModifiedFlag(false);
  const auto before = Sys().lines;
  // Three key presses on one line are one step.
  QTest::keyClick(graph, Qt::Key_Down);
  QTest::keyClick(graph, Qt::Key_Down);
  QTest::keyClick(graph, Qt::Key_Right);
  EXPECT_EQ(Sys().lines[0].endPoint, 3);
  EXPECT_EQ(Sys().lines[0].firstPoint, 1);
  EXPECT_EQ(UndoText(), QStringLiteral("&Undo move of line 1"));
  Undo();
  EXPECT_EQ(Sys().lines[0].endPoint, 5);
  EXPECT_EQ(Sys().lines[0].firstPoint, 0);
  EXPECT_FALSE(CanUndo());
  EXPECT_FALSE(Doc()->IsModified());
  // Adding a line and placing the lines automatically; the line box follows.
  frame->SendCommand(ID_ADD_LINE);
  EXPECT_EQ(Sys().lineCount, 2);
  EXPECT_EQ(frame->LineCombo()->count(), 2);
  ui.answers = {IDYES};
  frame->SendCommand(ID_SET_AUTO_LINES);
  EXPECT_EQ(UndoText(), QStringLiteral("&Undo automatic lines"));
  Undo();
  EXPECT_EQ(Sys().lineCount, 2);
  Undo();
  EXPECT_EQ(Sys().lineCount, 1);
  EXPECT_EQ(frame->LineCombo()->count(), 1);
  EXPECT_EQ(graph->CurrentLine(), 0);
  EXPECT_EQ(Sys().lines[0].endPoint, before[0].endPoint);
  Redo();
  EXPECT_EQ(Sys().lineCount, 2);
  EXPECT_EQ(frame->LineCombo()->count(), 2);
}

TEST_F(UndoTest, ANewOrOpenedSystemStartsWithAnEmptyHistory) {
  Table(3);
  frame->SendCommand(ID_ADD_POINT);
  EXPECT_TRUE(CanUndo());
  ui.answers = {IDNO}; // do not save
  frame->SendCommand(ID_FILE_NEW);
  EXPECT_FALSE(CanUndo());
  EXPECT_FALSE(Doc()->IsModified());
}

} // namespace
