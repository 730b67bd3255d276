// The points table in the running window program: keys, mouse, in-place editing, the points
// commands, the clipboard, fill and number format, and the settings it keeps.
#include "support/AppFixture.h"
#include "document/TitrationSystem.h"
#include "gui/Profile.h"
#include "platform/Registry.h"
#include "table/PointsView.h"
#include "table/TableDialogs.h"
#include "resources/Ids.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QToolButton>
#include <QWheelEvent>

#include <cmath>
#include <vector>

void PrintTo(const QString& s, std::ostream* os) {
  *os << '"' << s.toStdString() << '"';
}

namespace {

using namespace ids;

// A clipboard that can refuse each step, and records what it was given.
class FakeClipboard : public GridClipboard {
public:
  bool Open() override { return open; }
  bool Empty() override { return empty; }
  bool SetText(const QString& t) override {
    if (set) text = t;
    return set;
  }
  bool HasText() override { return hasText; }
  QString Text() override { return text; }
  void Close() override { ++closed; }
  bool open = true, empty = true, set = true, hasText = true;
  int closed = 0;
  QString text;
};

class PointsTest : public AppTest {
protected:
  void SetUp() override {
    AppTest::SetUp();
    SetClipboard(&clipboard);
  }
  void TearDown() override {
    SetClipboard(nullptr);
    AppTest::TearDown();
  }

  // Shows the table with n points: V = i, pH = 3 + i.
  CRView1* ShowTable(int n) {
    auto& sys = Doc()->System();
    sys.SetPointCount(n);
    for (int i = 0; i < n; ++i) {
      sys.volume[i] = i;
      sys.pH[i] = 3 + i;
    }
    sys.RecomputeLinearised();
    Doc()->SetModifiedFlag(false);
    Choose(1);
    auto* view = dynamic_cast<CRView1*>(frame->View(1));
    view->OnUpdate(nullptr, 0);
    view->setFocus();
    QApplication::processEvents();
    return view;
  }
  vexa::TitrationSystem& Sys() { return Doc()->System(); }

  static QPoint CellPoint(CRView1* v, int column, int row) {
    return {v->ColumnLeft(column) + v->GetColWidth(column + 1) / 2,
            v->RowTop(row) + v->GetRowHeight(row + 1) / 2};
  }
  static void Send(QWidget* w, QEvent::Type type, QPoint pos, Qt::MouseButton button,
                   Qt::MouseButtons buttons) {
    QMouseEvent e(type, QPointF(pos), QPointF(w->mapToGlobal(pos)), button, buttons,
                  Qt::NoModifier);
    QApplication::sendEvent(w, &e);
  }
  static void Click(QWidget* w, QPoint pos) {
    Send(w, QEvent::MouseButtonPress, pos, Qt::LeftButton, Qt::LeftButton);
    Send(w, QEvent::MouseButtonRelease, pos, Qt::LeftButton, Qt::NoButton);
  }
  static void DoubleClick(QWidget* w, QPoint pos) {
    Click(w, pos);
    Send(w, QEvent::MouseButtonDblClick, pos, Qt::LeftButton, Qt::LeftButton);
    Send(w, QEvent::MouseButtonRelease, pos, Qt::LeftButton, Qt::NoButton);
  }
  // Drags the border at x in the header row to toX.
  static void DragBorder(QWidget* w, int x, int toX) {
    Send(w, QEvent::MouseMove, {x, 5}, Qt::NoButton, Qt::NoButton);
    Send(w, QEvent::MouseButtonPress, {x, 5}, Qt::LeftButton, Qt::LeftButton);
    Send(w, QEvent::MouseMove, {(x + toX) / 2, 5}, Qt::NoButton, Qt::LeftButton);
    Send(w, QEvent::MouseMove, {toX, 5}, Qt::NoButton, Qt::LeftButton);
    Send(w, QEvent::MouseButtonRelease, {toX, 5}, Qt::LeftButton, Qt::NoButton);
  }
  static void Wheel(QWidget* w, int delta, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QWheelEvent e(QPointF(60, 60), QPointF(w->mapToGlobal(QPoint(60, 60))), QPoint(),
                  QPoint(0, delta), Qt::NoButton, mods, Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &e);
  }
  // Types a text into the table: the first character opens the editor, the rest go to it.
  static void Type(CRView1* v, const QString& text) {
    QTest::keyClicks(v, text.left(1));
    QTest::keyClicks(v->Editor(), text.mid(1));
  }
  // Types a text into the open editor and presses Enter.
  static void TypeAndEnter(CRView1* v, const QString& text) {
    QTest::keyClicks(v->Editor(), text);
    QTest::keyClick(v->Editor(), Qt::Key_Return);
  }
  std::string StoredFormat() {
    return CProfile("Dorvik Software", "VEXA").GetProfileString("Settings\\Formats", "CRView1");
  }
  std::vector<std::uint8_t> StoredSizes() {
    std::vector<std::uint8_t> data;
    CProfile("Dorvik Software", "VEXA").GetProfileBinary("Settings\\Sizes", "CRView1", data);
    return data;
  }

  FakeClipboard clipboard;
};

// ---------------------------------------------------------------- showing the points

TEST_F(PointsTest, ShowsTheExampleWithCaptionsAndNumbers) {
  ASSERT_NE(
      app->OpenDocumentFile(QStringLiteral(VEXA_SOURCE_DIR "/examples/weak-acid-acetic-naoh.vexa")),
      nullptr);
  Choose(1);
  auto* view = dynamic_cast<CRView1*>(frame->View(1));
  ASSERT_NE(view, nullptr);
  ASSERT_TRUE(view->isVisible());
  QApplication::processEvents();
  EXPECT_EQ(view->GetCategoryNameId(), 57610);
  EXPECT_EQ(view->GetColCount(), 3);
  EXPECT_EQ(view->GetRowCount(), Sys().pointCount);
  QString text;
  EXPECT_TRUE(view->GetColHeader(0, text));
  EXPECT_EQ(text, "V_{tit}");
  EXPECT_FALSE(view->GetColHeader(1, text));
  EXPECT_EQ(text, "pH");
  EXPECT_TRUE(view->GetColHeader(2, text));
  EXPECT_EQ(text, "F_{Vexa}");
  EXPECT_FALSE(view->GetCellText(1, 0, text));
  char expected[64];
  std::snprintf(expected, sizeof expected, "%g", Sys().pH[0]);
  EXPECT_EQ(text, QString::fromLatin1(expected));
  // The first paint read the format and the widths, and wrote the defaults back.
  EXPECT_EQ(view->NumberFormat(), "%g");
  EXPECT_EQ(StoredFormat(), "%g");
  EXPECT_EQ(StoredSizes().size(), 16u);
  // The picture: white cells, a grey header row.
  const QImage& pic = view->Surface();
  ASSERT_FALSE(pic.isNull());
  const QPoint cell = CellPoint(view, 1, 1);
  EXPECT_EQ(pic.pixelColor(view->ColumnLeft(1) + 3, cell.y()), QColor(Qt::white));
  EXPECT_EQ(pic.pixelColor(view->ColumnLeft(1) + 3, view->RowHeight() / 2), QColor(212, 208, 200));
  frame->resize(900, 640);
  QApplication::processEvents();
  SaveShot(frame, "table-example.png");
}

TEST_F(PointsTest, NoDataWithoutAnyPoint) {
  CRView1* view = ShowTable(3);
  Sys().pointCount = 0;
  view->RedrawNow();
  CRecordingDC dc;
  view->OnDraw(&dc);
  const auto texts = dc.Calls("DrawText");
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0].text, "NO DATA");
  // Keys do nothing, and no command has anything to work on.
  QTest::keyClick(view, Qt::Key_Return);
  EXPECT_FALSE(view->IsEditing());
  EXPECT_FALSE(frame->QueryCommandUI(ID_DATA_FORMAT).enabled);
  EXPECT_FALSE(frame->QueryCommandUI(ID_FILL_COLUMN).enabled);
  Sys().pointCount = 3;
}

// ---------------------------------------------------------------- editing

TEST_F(PointsTest, TypingAValueStoresItRecomputesGAndMovesDown) {
  CRView1* view = ShowTable(4);
  QTest::keyClick(view, Qt::Key_Right);
  ASSERT_EQ(view->CurrentColumn(), 1);
  QTest::keyClick(view, Qt::Key_7);
  ASSERT_TRUE(view->IsEditing());
  EXPECT_EQ(view->Editor()->text(), "7");
  QTest::keyClicks(view->Editor(), ".5");
  QTest::keyClick(view->Editor(), Qt::Key_Return);
  EXPECT_FALSE(view->IsEditing());
  EXPECT_EQ(Sys().pH[0], 7.5);
  EXPECT_DOUBLE_EQ(Sys().g[0], Sys().LinearisedValue(0, 7.5));
  EXPECT_EQ(view->CurrentRow(), 1);
  EXPECT_EQ(view->CurrentColumn(), 1);
  EXPECT_TRUE(Doc()->IsModified());
  EXPECT_TRUE(view->hasFocus());
  // The G cell shows the new value at once.
  QString g;
  view->GetCellText(2, 0, g);
  char expected[64];
  std::snprintf(expected, sizeof expected, "%g", Sys().g[0]);
  EXPECT_EQ(g, QString::fromLatin1(expected));

  // A volume changes G too.
  QTest::keyClick(view, Qt::Key_Left);
  QTest::keyClick(view, Qt::Key_Return);
  ASSERT_TRUE(view->IsEditing());
  EXPECT_EQ(view->Editor()->text(), "1");
  EXPECT_EQ(view->Editor()->selectedText(), "1");
  const double before = Sys().g[1];
  view->Editor()->clear();
  TypeAndEnter(view, QStringLiteral("2.5"));
  EXPECT_EQ(Sys().volume[1], 2.5);
  EXPECT_NE(Sys().g[1], before);
  EXPECT_DOUBLE_EQ(Sys().g[1], Sys().LinearisedValue(2.5, 4));
}

TEST_F(PointsTest, RefusedTextKeepsTheEditorOpenAndEmptyStoresZero) {
  CRView1* view = ShowTable(3);
  for (const char* bad : {"-1", "1,5,0", "abc", "2 ", "inf"}) {
    QTest::keyClick(view, Qt::Key_F2);
    ASSERT_TRUE(view->IsEditing());
    view->Editor()->clear();
    TypeAndEnter(view, QString::fromLatin1(bad));
    EXPECT_TRUE(view->IsEditing()) << bad;
    EXPECT_EQ(view->Editor()->text(), QString::fromLatin1(bad));
    EXPECT_EQ(Sys().volume[0], 0) << bad;
    EXPECT_EQ(view->CurrentRow(), 0);
    EXPECT_TRUE(ui.messages.empty());
    QTest::keyClick(view->Editor(), Qt::Key_Escape);
    EXPECT_FALSE(view->IsEditing());
  }
  EXPECT_FALSE(Doc()->IsModified());
  // An empty text stores 0.
  QTest::keyClick(view, Qt::Key_Down);
  QTest::keyClick(view, Qt::Key_Return);
  view->Editor()->clear();
  QTest::keyClick(view->Editor(), Qt::Key_Return);
  EXPECT_FALSE(view->IsEditing());
  EXPECT_EQ(Sys().volume[1], 0);
  EXPECT_EQ(view->CurrentRow(), 2);
  // Committing in the last row stays there.
  QTest::keyClick(view, Qt::Key_5);
  QTest::keyClick(view->Editor(), Qt::Key_Return);
  EXPECT_EQ(Sys().volume[2], 5);
  EXPECT_EQ(view->CurrentRow(), 2);
  // Escape leaves the value alone.
  QTest::keyClick(view, Qt::Key_9);
  QTest::keyClick(view->Editor(), Qt::Key_Escape);
  EXPECT_EQ(Sys().volume[2], 5);
}

TEST_F(PointsTest, TheGColumnCannotBeEdited) {
  CRView1* view = ShowTable(3);
  QTest::keyClick(view, Qt::Key_Right);
  QTest::keyClick(view, Qt::Key_Right);
  QTest::keyClick(view, Qt::Key_Right);
  ASSERT_EQ(view->CurrentColumn(), 2);
  const double g = Sys().g[0];
  QTest::keyClick(view, Qt::Key_Return);
  QTest::keyClick(view, Qt::Key_F2);
  QTest::keyClick(view, Qt::Key_1);
  DoubleClick(view, CellPoint(view, 2, 1));
  EXPECT_FALSE(view->IsEditing());
  EXPECT_EQ(view->CurrentRow(), 1);
  EXPECT_EQ(Sys().g[0], g);
  // A double-click on the pH column opens the editor over that cell.
  DoubleClick(view, CellPoint(view, 1, 2));
  ASSERT_TRUE(view->IsEditing());
  EXPECT_EQ(view->Editor()->text(), "5");
  EXPECT_EQ(view->Editor()->geometry().topLeft(), QPoint(view->ColumnLeft(1), view->RowTop(2)));
  // A click elsewhere hides it without storing.
  view->Editor()->setText(QStringLiteral("9"));
  Click(view, CellPoint(view, 0, 0));
  EXPECT_FALSE(view->IsEditing());
  EXPECT_EQ(Sys().pH[2], 5);
  EXPECT_EQ(view->CurrentColumn(), 0);
}

TEST_F(PointsTest, ANarrowFormatStillStoresTheShownValue) {
  CRView1* view = ShowTable(3);
  Sys().volume[0] = 7.5049;
  ui.dialogDriver = [](QDialog* d) {
    auto* dlg = dynamic_cast<CNumberFormatDlg*>(d);
    ASSERT_NE(dlg, nullptr);
    EXPECT_EQ(dlg->windowTitle(), "Number format");
    EXPECT_EQ(dlg->FormatList()->currentText(), "%g");
    EXPECT_EQ(dlg->FormatList()->count(), 9);
    dlg->FormatList()->setCurrentIndex(3);
    EXPECT_EQ(dlg->SampleEdit()->text(), "2.30; 0.00; 5092994.00");
    SaveShot(dlg, "format-dialog.png");
    QTest::mouseClick(dlg->findChild<QPushButton*>(QStringLiteral("IDOK")), Qt::LeftButton);
  };
  frame->SendCommand(ID_DATA_FORMAT);
  EXPECT_EQ(view->NumberFormat(), "%.2f");
  EXPECT_EQ(StoredFormat(), "%.2f");
  QTest::keyClick(view, Qt::Key_Return);
  EXPECT_EQ(view->Editor()->text(), "7.50");
  SaveShot(frame, "table-editor.png");
  QTest::keyClick(view->Editor(), Qt::Key_Return);
  EXPECT_EQ(Sys().volume[0], 7.5);
  // Copy carries the format.
  frame->SendCommand(ID_EDIT_COPY);
  EXPECT_TRUE(clipboard.text.startsWith(QStringLiteral("7.50\t3.00\t")));
}

TEST_F(PointsTest, FormatDialogSamplesAndUnknownFormat) {
  EXPECT_EQ(CNumberFormatDlg::Sample(QStringLiteral("%f")), "2.302585; 0.000000; 5092994.000000");
  EXPECT_EQ(CNumberFormatDlg::Sample(QStringLiteral("%12.8f")),
            "  2.30258509;   0.00000010; 5092994.00000010");
  CNumberFormatDlg dlg;
  dlg.m_format = QStringLiteral("%.4f");
  dlg.OnInitDialog();
  EXPECT_EQ(dlg.FormatList()->currentIndex(), 0);
  EXPECT_EQ(dlg.m_format, "%g");
  EXPECT_EQ(dlg.SampleEdit()->text(), "2.30259; 1e-07; 5.09299e+06");
  dlg.m_format = QStringLiteral("%G");
  dlg.OnInitDialog();
  EXPECT_EQ(dlg.FormatList()->currentIndex(), 1);
  dlg.FormatList()->setCurrentIndex(6);
  EXPECT_EQ(dlg.m_format, "%e");
  // Cancel changes nothing.
  CRView1* view = ShowTable(2);
  ui.dialogDriver = [](QDialog* d) {
    dynamic_cast<CNumberFormatDlg*>(d)->FormatList()->setCurrentIndex(2);
    QTest::mouseClick(d->findChild<QPushButton*>(QStringLiteral("IDCANCEL")), Qt::LeftButton);
  };
  frame->SendCommand(ID_DATA_FORMAT);
  EXPECT_EQ(view->NumberFormat(), "%g");
}

TEST_F(PointsTest, AStoredFormatThatIsNotOneDoubleIsReplaced) {
  for (const char* stored : {"%s", "%n %n", "%d", "", "%g%g", "%.2f%%x"}) {
    Stop();
    CProfile("Dorvik Software", "VEXA").WriteProfileString("Settings\\Formats", "CRView1", stored);
    Start({});
    SetClipboard(&clipboard);
    CRView1* view = ShowTable(2);
    const bool safe = std::string(stored) == "%.2f%%x";
    EXPECT_EQ(view->NumberFormat(), safe ? QString::fromLatin1(stored) : QStringLiteral("%g"))
        << stored;
    EXPECT_EQ(StoredFormat(), safe ? std::string(stored) : std::string("%g")) << stored;
    QString text;
    view->GetCellText(1, 1, text);
    EXPECT_EQ(text, safe ? QStringLiteral("4.00%x") : QStringLiteral("4")) << stored;
  }
}

// ---------------------------------------------------------------- points commands

TEST_F(PointsTest, AddAndDeletePoints) {
  CRView1* view = ShowTable(5);
  view->SetCurrentCell(0, 3);
  frame->SendCommand(ID_ADD_POINT);
  ASSERT_EQ(Sys().pointCount, 6);
  EXPECT_EQ(Sys().volume[3], 0);
  EXPECT_EQ(Sys().pH[3], 0);
  EXPECT_EQ(Sys().volume[4], 3);
  EXPECT_EQ(view->CurrentRow(), 3);
  EXPECT_TRUE(Doc()->IsModified());
  QString header;
  view->GetRowHeader(4, header);
  EXPECT_EQ(header, "5");

  // Deleting the last point moves the current row up.
  view->SetCurrentCell(0, 5);
  frame->SendCommand(ID_DELETE_POINT);
  EXPECT_EQ(Sys().pointCount, 5);
  EXPECT_EQ(view->CurrentRow(), 4);
  view->SetCurrentCell(0, 1);
  frame->SendCommand(ID_DELETE_POINT);
  EXPECT_EQ(Sys().pointCount, 4);
  EXPECT_EQ(view->CurrentRow(), 1);
  EXPECT_EQ(Sys().volume[1], 2);
  // With one point Delete is disabled.
  EXPECT_TRUE(frame->QueryCommandUI(ID_DELETE_POINT).enabled);
  for (int i = 0; i < 3; ++i)
    frame->SendCommand(ID_DELETE_POINT);
  EXPECT_EQ(Sys().pointCount, 1);
  EXPECT_FALSE(frame->QueryCommandUI(ID_DELETE_POINT).enabled);
  frame->SendCommand(ID_DELETE_POINT);
  EXPECT_EQ(Sys().pointCount, 1);
  EXPECT_EQ(view->CurrentRow(), 0);
}

TEST_F(PointsTest, AddSeveralPointsTakesOneToAHundred) {
  CRView1* view = ShowTable(3);
  view->SetCurrentCell(1, 1);
  int refusals = 0;
  ui.dialogDriver = [&](QDialog* d) {
    auto* dlg = dynamic_cast<CAddPointsDlg*>(d);
    ASSERT_NE(dlg, nullptr);
    EXPECT_EQ(dlg->windowTitle(), "Add several points");
    EXPECT_EQ(dlg->CountEdit()->text(), "1");
    auto* ok = dlg->findChild<QPushButton*>(QStringLiteral("IDOK"));
    for (const char* bad : {"0", "101", "x"}) {
      dlg->CountEdit()->setText(QString::fromLatin1(bad));
      QTest::mouseClick(ok, Qt::LeftButton);
      if (dlg->result() != QDialog::Accepted && dlg->isVisible()) ++refusals;
    }
    // The arrows (and the arrow keys) change N within 1 … 100.
    dlg->CountEdit()->setText(QStringLiteral("99"));
    QTest::mouseClick(dlg->UpButton(), Qt::LeftButton);
    EXPECT_EQ(dlg->CountEdit()->text(), "100");
    QTest::mouseClick(dlg->UpButton(), Qt::LeftButton);
    EXPECT_EQ(dlg->CountEdit()->text(), "100");
    QTest::keyClick(dlg->CountEdit(), Qt::Key_Down);
    EXPECT_EQ(dlg->CountEdit()->text(), "99");
    QTest::keyClick(dlg->CountEdit(), Qt::Key_Up);
    SaveShot(dlg, "add-points-dialog.png");
    QTest::mouseClick(ok, Qt::LeftButton);
  };
  frame->SendCommand(ID_ADD_SEVERAL_POINTS);
  EXPECT_EQ(refusals, 3);
  ASSERT_EQ(ui.messages.size(), 3u);
  EXPECT_EQ(ui.messages[0].text, "Please enter an integer between 1 and 100.");
  EXPECT_EQ(ui.messages[2].text, "Please enter an integer.");
  ASSERT_EQ(Sys().pointCount, 103);
  for (int i = 1; i <= 100; ++i)
    EXPECT_EQ(Sys().pH[i], 0) << i;
  EXPECT_EQ(Sys().volume[101], 1);
  EXPECT_EQ(Sys().pH[101], 4);
  EXPECT_EQ(view->CurrentRow(), 1);
  // Cancel changes nothing.
  ui.dialogDriver = [](QDialog* d) {
    QTest::mouseClick(d->findChild<QPushButton*>(QStringLiteral("IDCANCEL")), Qt::LeftButton);
  };
  frame->SendCommand(ID_ADD_SEVERAL_POINTS);
  EXPECT_EQ(Sys().pointCount, 103);
}

TEST_F(PointsTest, AnotherDocumentKeepsTheCurrentCellInside) {
  CRView1* view = ShowTable(60);
  view->SetCurrentCell(1, 55);
  ASSERT_GT(view->FirstRow(), 0);
  // Another file with three points.
  {
    vexa::TitrationSystem other;
    other.SetPointCount(3);
    for (int i = 0; i < 3; ++i)
      other.volume[i] = 10 + i, other.pH[i] = 9;
    std::string error;
    ASSERT_TRUE(vexa::SaveSystemFile(other, Path("three.vexa"), &error)) << error;
  }
  ASSERT_NE(app->OpenDocumentFile(Q(Path("three.vexa"))), nullptr);
  Choose(1);
  EXPECT_EQ(view->CurrentRow(), 2);
  EXPECT_EQ(view->FirstRow(), 0);
  QTest::keyClick(view, Qt::Key_Return);
  ASSERT_TRUE(view->IsEditing());
  EXPECT_EQ(view->Editor()->text(), "9");
  QTest::keyClick(view->Editor(), Qt::Key_Escape);
  // Points deleted behind the view's back.
  view = ShowTable(60);
  view->SetCurrentCell(1, 55);
  Sys().SetPointCount(2);
  view->OnUpdate(nullptr, 0);
  EXPECT_EQ(view->CurrentRow(), 1);
  EXPECT_EQ(view->FirstRow(), 0);
  QTest::keyClick(view, Qt::Key_Return);
  ASSERT_TRUE(view->IsEditing());
  EXPECT_EQ(view->Editor()->text(), "4");
}

// ---------------------------------------------------------------- clipboard

TEST_F(PointsTest, CopyWritesTabsAndLineEnds) {
  CRView1* view = ShowTable(2);
  frame->SendCommand(ID_EDIT_COPY);
  QString g0, g1;
  view->GetCellText(2, 0, g0);
  view->GetCellText(2, 1, g1);
  EXPECT_EQ(clipboard.text, QStringLiteral("0\t3\t") + g0 + QStringLiteral("\t\r\n1\t4\t") + g1 +
                                QStringLiteral("\t\r\n"));
  EXPECT_EQ(clipboard.closed, 1);
  EXPECT_TRUE(ui.messages.empty());
  // Each refusal of the clipboard has its message; the clipboard is closed once opened.
  clipboard.set = false;
  frame->SendCommand(ID_EDIT_COPY);
  clipboard.empty = false;
  frame->SendCommand(ID_EDIT_COPY);
  clipboard.open = false;
  frame->SendCommand(ID_EDIT_COPY);
  ASSERT_EQ(ui.messages.size(), 3u);
  EXPECT_EQ(ui.messages[0].text, "Unable to set Clipboard data");
  EXPECT_EQ(ui.messages[1].text, "Cannot empty the Clipboard");
  EXPECT_EQ(ui.messages[2].text, "Cannot open the Clipboard");
  EXPECT_EQ(ui.messages[2].type, unsigned(MB_OK));
  EXPECT_EQ(clipboard.closed, 3);
}

TEST_F(PointsTest, CopyAndCutInsideTheEditor) {
  CRView1* view = ShowTable(2);
  EXPECT_FALSE(frame->QueryCommandUI(ID_EDIT_CUT).enabled);
  EXPECT_TRUE(frame->QueryCommandUI(ID_EDIT_COPY).enabled);
  QTest::keyClick(view, Qt::Key_Right);
  QTest::keyClick(view, Qt::Key_Return); // the editor opens with "3" selected
  ASSERT_TRUE(view->IsEditing());
  EXPECT_TRUE(frame->QueryCommandUI(ID_EDIT_CUT).enabled);
  view->OnEditCut();
  EXPECT_EQ(view->Editor()->text(), "");
  EXPECT_FALSE(frame->QueryCommandUI(ID_EDIT_COPY).enabled);
  EXPECT_EQ(clipboard.closed, 0); // the editor used the system's clipboard, not the grid's
  view->OnEditPaste();
  EXPECT_EQ(view->Editor()->text(), "3");
  QTest::keyClick(view->Editor(), Qt::Key_Escape);
  EXPECT_EQ(Sys().pH[0], 3);
}

TEST_F(PointsTest, PasteWritesFromTheCurrentCellAndAddsTheRowsItNeeds) {
  CRView1* view = ShowTable(3);
  clipboard.text = QStringLiteral("1\t2\r\n3\t4\r\n");
  frame->SendCommand(ID_EDIT_PASTE);
  EXPECT_EQ(Sys().volume[0], 1);
  EXPECT_EQ(Sys().pH[0], 2);
  EXPECT_EQ(Sys().volume[1], 3);
  EXPECT_EQ(Sys().pH[1], 4);
  EXPECT_DOUBLE_EQ(Sys().g[1], Sys().LinearisedValue(3, 4));
  EXPECT_EQ(Sys().volume[2], 2);
  EXPECT_TRUE(Doc()->IsModified());

  // A single number without a line end.
  view->SetCurrentCell(1, 2);
  clipboard.text = QStringLiteral("1.5");
  frame->SendCommand(ID_EDIT_PASTE);
  EXPECT_EQ(Sys().pH[2], 1.5);
  // More lines than rows: the rows they need are added; surplus fields skipped; the G column,
  // negative and non-numeric fields left alone; an empty field stores 0.
  view->SetCurrentCell(0, 1);
  clipboard.text = QStringLiteral("7\t8\t99\t100\r\n\t-1\r\n11\t12\r\n13\t14\r\n");
  const double g1 = Sys().LinearisedValue(7, 8);
  frame->SendCommand(ID_EDIT_PASTE);
  EXPECT_EQ(Sys().pointCount, 5);
  EXPECT_EQ(Sys().volume[1], 7);
  EXPECT_EQ(Sys().pH[1], 8);
  EXPECT_DOUBLE_EQ(Sys().g[1], g1);
  EXPECT_EQ(Sys().volume[2], 0);
  EXPECT_EQ(Sys().pH[2], 1.5);
  EXPECT_EQ(Sys().volume[4], 13);
  EXPECT_DOUBLE_EQ(Sys().g[4], Sys().LinearisedValue(13, 14));
  EXPECT_EQ(view->CurrentRow(), 1);
  EXPECT_TRUE(frame->StatusText().contains(QStringLiteral("2 rows added")))
      << frame->StatusText().toStdString();
  // Copied text pasted back at the top writes the same table.
  frame->SendCommand(ID_EDIT_COPY);
  const QString copied = clipboard.text;
  Sys().volume[0] = 42;
  view->SetCurrentCell(0, 0);
  frame->SendCommand(ID_EDIT_PASTE);
  EXPECT_EQ(Sys().volume[0], 1);
  // A clipboard without text: nothing happens, not even the modified flag.
  Doc()->SetModifiedFlag(false);
  clipboard.hasText = false;
  EXPECT_FALSE(frame->QueryCommandUI(ID_EDIT_PASTE).enabled);
  frame->SendCommand(ID_EDIT_PASTE);
  EXPECT_FALSE(Doc()->IsModified());
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(PointsTest, PasteTakesADecimalCommaTellsWhatItDidAndChangesOnlyWhatDiffers) {
  CRView1* view = ShowTable(3);
  clipboard.text = QStringLiteral("0,6\t3,9\r\nabc\t4\r\n");
  frame->SendCommand(ID_EDIT_PASTE);
  EXPECT_EQ(Sys().volume[0], 0.6);
  EXPECT_EQ(Sys().pH[0], 3.9);
  EXPECT_EQ(Sys().volume[1], 1); // refused
  EXPECT_TRUE(Doc()->IsModified());
  EXPECT_EQ(frame->StatusText(), QStringLiteral("3 cells pasted, 1 refused (\"abc\" is not a number)."));
  // The same values again change nothing: the document stays unmodified.
  Doc()->SetModifiedFlag(false);
  view->SetCurrentCell(0, 0);
  frame->SendCommand(ID_EDIT_PASTE);
  EXPECT_FALSE(Doc()->IsModified());
  // Nothing storable: nothing modified, and the user is told.
  clipboard.text = QStringLiteral("x\ty\r\n");
  frame->SendCommand(ID_EDIT_PASTE);
  EXPECT_FALSE(Doc()->IsModified());
  EXPECT_EQ(frame->StatusText(), QStringLiteral("0 cells pasted, 2 refused (\"x\" is not a number)."));
}

TEST_F(PointsTest, ATypedValueSaysWhyItWasRefusedAndTakesADecimalComma) {
  CRView1* view = ShowTable(3);
  Type(view, QStringLiteral("1,5"));
  QTest::keyClick(view->Editor(), Qt::Key_Return);
  EXPECT_EQ(Sys().volume[0], 1.5);
  Type(view, QStringLiteral("-2"));
  QTest::keyClick(view->Editor(), Qt::Key_Return);
  EXPECT_TRUE(view->IsEditing());
  EXPECT_EQ(frame->StatusText(),
            QStringLiteral("The value was not stored: a volume cannot be negative"));
  view->Editor()->setText(QStringLiteral("1.2.3"));
  QTest::keyClick(view->Editor(), Qt::Key_Return);
  EXPECT_EQ(frame->StatusText(),
            QStringLiteral("The value was not stored: \"1.2.3\" is not a number"));
}

TEST_F(PointsTest, APendingEditIsStoredBeforeTheTableGoesOrTheDocumentIsSaved) {
  CRView1* view = ShowTable(3);
  view->SetCurrentCell(1, 1);
  Type(view, QStringLiteral("8.8"));
  ASSERT_TRUE(view->IsEditing());
  // Switching to the graph stores it; back in the table nothing is pending.
  Choose(2);
  EXPECT_EQ(Sys().pH[1], 8.8);
  EXPECT_DOUBLE_EQ(Sys().g[1], Sys().LinearisedValue(1, 8.8));
  EXPECT_TRUE(Doc()->IsModified());
  Choose(1);
  EXPECT_FALSE(view->IsEditing());

  // Save stores it first, and saves it.
  const QString path = Q(Path("pending.vexa"));
  ui.fileAnswers = {path};
  view->SetCurrentCell(1, 2);
  Type(view, QStringLiteral("9.25"));
  frame->SendCommand(ID_FILE_SAVE);
  EXPECT_FALSE(Doc()->IsModified());
  vexa::TitrationSystem saved;
  std::string error;
  ASSERT_TRUE(vexa::LoadSystemFile(saved, path.toStdString(), &error)) << error;
  EXPECT_EQ(saved.pH[2], 9.25);

  // An edit that cannot be stored keeps the table in sight and the editor open, and a
  // command on the points does not run.
  view->SetCurrentCell(0, 0);
  Type(view, QStringLiteral("abc"));
  Choose(2);
  EXPECT_EQ(frame->RightPaneView(), view);
  EXPECT_EQ(Tree()->currentItem(), Tree()->topLevelItem(0)->child(0));
  EXPECT_TRUE(view->IsEditing());
  EXPECT_EQ(view->Editor()->text(), QStringLiteral("abc"));
  frame->SendCommand(ID_ADD_POINT);
  EXPECT_EQ(Sys().pointCount, 3);
  // Closing asks nothing and does not close while the editor holds it.
  Doc()->SetModifiedFlag(false);
  EXPECT_FALSE(Doc()->SaveModified());
  EXPECT_TRUE(ui.messages.empty());
  // Corrected, it is stored by the next command and the closing question follows.
  view->Editor()->setText(QStringLiteral("0.5"));
  ui.answers = {IDNO};
  EXPECT_TRUE(Doc()->SaveModified());
  EXPECT_EQ(Sys().volume[0], 0.5);
  ASSERT_EQ(ui.messages.size(), 1u);
}

TEST_F(PointsTest, EnterAfterComingBackStoresWhatTheEditorShows) {
  CRView1* view = ShowTable(3);
  view->SetCurrentCell(1, 0);
  Type(view, QStringLiteral("6.5"));
  // The keyboard goes elsewhere and comes back to the table (not through a view switch).
  frame->LeftView()->Tree()->setFocus();
  view->setFocus();
  QApplication::processEvents();
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
  EXPECT_EQ(Sys().pH[0], 6.5);
  EXPECT_FALSE(view->IsEditing());
}

TEST_F(PointsTest, TabStaysInTheTableAndF6GoesToTheTree) {
  CRView1* view = ShowTable(3);
  view->SetCurrentCell(0, 1);
  QTest::keyClick(view, Qt::Key_Tab);
  EXPECT_EQ(view->CurrentColumn(), 1);
  EXPECT_EQ(QApplication::focusWidget(), view);
  QTest::keyClick(view, Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_EQ(view->CurrentColumn(), 0);
  EXPECT_EQ(QApplication::focusWidget(), view);
  // The next arrow key still works in the table: the category stays.
  QTest::keyClick(view, Qt::Key_Down);
  EXPECT_EQ(frame->RightPaneView(), view);
  EXPECT_EQ(view->CurrentRow(), 2);
  // F6 puts the keyboard on the tree itself, where the arrows move through the categories.
  frame->SendCommand(ID_NEXT_PANE);
  EXPECT_EQ(QApplication::focusWidget(), frame->LeftView()->Tree());
  QTest::keyClick(frame->LeftView()->Tree(), Qt::Key_Down);
  EXPECT_EQ(frame->RightPaneView(), frame->View(2));
}

// ---------------------------------------------------------------- fill

TEST_F(PointsTest, FillByStepAndEvenly) {
  CRView1* view = ShowTable(5);
  Sys().volume[0] = 10;
  int runs = 0;
  ui.dialogDriver = [&](QDialog* d) {
    auto* dlg = dynamic_cast<CFillDlg*>(d);
    ASSERT_NE(dlg, nullptr);
    ++runs;
    EXPECT_EQ(dlg->windowTitle(), "Filling column(row) parameters");
    EXPECT_TRUE(dlg->FromCurrentCheck()->isChecked());
    EXPECT_EQ(dlg->Value2Edit()->text(), "0");
    if (runs == 1) {
      EXPECT_EQ(dlg->Value1Edit()->text(), "10");
      dlg->Value2Edit()->setText(QStringLiteral("0.5"));
      SaveShot(dlg, "fill-dialog.png");
      QTest::keyClick(dlg->Value2Edit(), Qt::Key_Return); // Enter is "Fill by step"
    } else {
      dlg->Value1Edit()->setText(QStringLiteral("0"));
      dlg->Value2Edit()->setText(QStringLiteral("1"));
      dlg->FromCurrentCheck()->setChecked(false);
      QTest::mouseClick(dlg->EvenlyButton(), Qt::LeftButton);
    }
  };
  frame->SendCommand(ID_FILL_COLUMN);
  const double bystep[] = {10, 10.5, 11, 11.5, 12};
  for (int r = 0; r < 5; ++r)
    EXPECT_EQ(Sys().volume[r], bystep[r]) << r;
  EXPECT_TRUE(Doc()->IsModified());
  view->SetCurrentCell(1, 2);
  frame->SendCommand(ID_FILL_COLUMN);
  const double evenly[] = {0, 0.25, 0.5, 0.75, 1};
  for (int r = 0; r < 5; ++r)
    EXPECT_EQ(Sys().pH[r], evenly[r]) << r;
  EXPECT_EQ(runs, 2);
  EXPECT_EQ(view->CurrentRow(), 2);
}

TEST_F(PointsTest, FillRoundsToSixDigitsAndSkipsRefusedValues) {
  CRView1* view = ShowTable(5);
  ui.dialogDriver = [](QDialog* d) {
    auto* dlg = dynamic_cast<CFillDlg*>(d);
    dlg->Value1Edit()->setText(QStringLiteral("1.23456789"));
    dlg->Value2Edit()->setText(QStringLiteral("-0.6"));
    QTest::mouseClick(dlg->ByStepButton(), Qt::LeftButton);
  };
  view->SetCurrentCell(1, 1);
  frame->SendCommand(ID_FILL_COLUMN);
  EXPECT_EQ(Sys().pH[0], 3);
  EXPECT_EQ(Sys().pH[1], 1.23457);
  EXPECT_EQ(Sys().pH[2], 0.634568);
  EXPECT_NEAR(Sys().pH[3], 0.0345679, 1e-12);
  EXPECT_EQ(Sys().pH[4], 7); // -0.565432 refused: the cell keeps its value
  // A row: the G column is left alone.
  ui.dialogDriver = [](QDialog* d) {
    auto* dlg = dynamic_cast<CFillDlg*>(d);
    dlg->Value1Edit()->setText(QStringLiteral("2"));
    dlg->Value2Edit()->setText(QStringLiteral("8"));
    dlg->FromCurrentCheck()->setChecked(false);
    QTest::mouseClick(dlg->EvenlyButton(), Qt::LeftButton);
  };
  view->SetCurrentCell(1, 4);
  const double g4 = Sys().g[4];
  frame->SendCommand(ID_FILL_ROW);
  EXPECT_EQ(Sys().volume[4], 2);
  EXPECT_EQ(Sys().pH[4], 5);
  EXPECT_NE(Sys().g[4], g4);
  EXPECT_DOUBLE_EQ(Sys().g[4], Sys().LinearisedValue(2, 5));
  // A bad number keeps the dialog open; Cancel then changes nothing.
  int messagesBefore = static_cast<int>(ui.messages.size());
  ui.dialogDriver = [](QDialog* d) {
    auto* dlg = dynamic_cast<CFillDlg*>(d);
    dlg->Value2Edit()->setText(QStringLiteral("x"));
    QTest::mouseClick(dlg->ByStepButton(), Qt::LeftButton);
    EXPECT_TRUE(dlg->isVisible());
    EXPECT_EQ(dlg->focusWidget(), dlg->Value2Edit());
    QTest::mouseClick(dlg->CancelButton(), Qt::LeftButton);
  };
  frame->SendCommand(ID_FILL_COLUMN);
  EXPECT_EQ(static_cast<int>(ui.messages.size()), messagesBefore + 1);
  EXPECT_EQ(ui.messages.back().text, "Please enter a number.");
  EXPECT_EQ(Sys().pH[4], 5);
}

TEST_F(PointsTest, FillFromACellThatIsNotANumberIsRefused) {
  CRView1* view = ShowTable(3);
  Sys().pH[1] = 400; // G = -inf
  Sys().RecomputeLinearised();
  view->SetCurrentCell(2, 1);
  ui.dialogDriver = [](QDialog*) { ADD_FAILURE() << "no dialog expected"; };
  frame->SendCommand(ID_FILL_COLUMN);
  frame->SendCommand(ID_FILL_ROW);
  ASSERT_EQ(ui.messages.size(), 2u);
  EXPECT_EQ(ui.messages[0].text, "Fill the curent column by numbers");
  EXPECT_EQ(ui.messages[1].text, "Fill the curent column by numbers");
  EXPECT_EQ(ui.messages[0].type & 0xF0u, unsigned(MB_ICONERROR));
  EXPECT_EQ(ui.modalRuns, 0);
}

// ---------------------------------------------------------------- mouse, wheel, widths

TEST_F(PointsTest, BorderDragsAreClampedAndWidthsSurviveARestart) {
  // Narrow columns to begin with, as stored by an earlier session.
  WriteColumnWidths(CProfile("Dorvik Software", "VEXA"), "CRView1", ColumnWidths{40, 40, 40, 40});
  CRView1* view = ShowTable(3);
  ASSERT_EQ(view->GetColWidth(1), 40);
  // While dragging, a dotted line inverts every other pixel of the white cells below.
  Send(view, QEvent::MouseMove, {80, 5}, Qt::NoButton, Qt::NoButton);
  Send(view, QEvent::MouseButtonPress, {80, 5}, Qt::LeftButton, Qt::LeftButton);
  Send(view, QEvent::MouseMove, {300, 5}, Qt::NoButton, Qt::LeftButton);
  QApplication::processEvents();
  int dark = 0, light = 0;
  for (int y = view->RowTop(3); y < view->RowTop(3) + 40; ++y)
    (view->Surface().pixelColor(300, y) == QColor(Qt::black) ? dark : light)++;
  EXPECT_GT(dark, 10);
  EXPECT_GT(light, 10);
  SaveShot(view, "table-resize-track.png");
  Send(view, QEvent::MouseMove, {250, 5}, Qt::NoButton, Qt::LeftButton);
  EXPECT_EQ(view->Surface().pixelColor(300, view->RowTop(3) + 1), QColor(Qt::white));
  Send(view, QEvent::MouseButtonRelease, {250, 5}, Qt::LeftButton, Qt::NoButton);
  EXPECT_EQ(view->GetColWidth(1), 150);
  EXPECT_EQ(view->Surface().pixelColor(250, view->RowTop(3) + 1), QColor(Qt::white));
  DragBorder(view, 190, 80); // back to 40
  ASSERT_EQ(view->GetColWidth(1), 40);
  // The right border of column 0 (x = 80) dragged far right: 150.
  DragBorder(view, 80, 400);
  EXPECT_EQ(view->GetColWidth(1), 150);
  // Column 1's border (now at 230) widened to 60, then dragged onto its left edge: 40.
  DragBorder(view, 230, 250);
  EXPECT_EQ(view->GetColWidth(2), 60);
  DragBorder(view, 250, 195);
  EXPECT_EQ(view->GetColWidth(2), 40);
  DragBorder(view, 40, 100); // the row headers
  EXPECT_EQ(view->GetColWidth(0), 100);
  const auto sizes = StoredSizes();
  ASSERT_EQ(sizes.size(), 16u);
  EXPECT_EQ(sizes,
            (std::vector<std::uint8_t>{100, 0, 0, 0, 150, 0, 0, 0, 40, 0, 0, 0, 40, 0, 0, 0}));
  Stop();
  Start({});
  SetClipboard(&clipboard);
  view = ShowTable(3);
  EXPECT_EQ(view->colWidths, (std::array<std::int32_t, 4>{100, 150, 40, 40}));
  // A value of the wrong size gives the first-start widths, written back: wide enough for
  // the default format's values (a pH of 10, a G such as -1.23457e-05), within 40 ... 150.
  Stop();
  CProfile("Dorvik Software", "VEXA")
      .WriteProfileBinary("Settings\\Sizes", "CRView1", std::vector<std::uint8_t>(12, 7));
  Start({});
  SetClipboard(&clipboard);
  view = ShowTable(3);
  EXPECT_EQ(view->colWidths[0], 40);
  CRecordingDC measure;
  measure.SelectObject(app->largeFont);
  for (int slot : {1, 2})
    EXPECT_GT(view->colWidths[static_cast<std::size_t>(slot)],
              measure.GetTextExtent(QStringLiteral("10.125")).cx);
  EXPECT_GT(view->colWidths[3], measure.GetTextExtent(QStringLiteral("-1.23457e-05")).cx);
  for (int w : view->colWidths) {
    EXPECT_GE(w, 40);
    EXPECT_LE(w, 150);
  }
  EXPECT_EQ(StoredSizes().size(), 16u);
}

TEST_F(PointsTest, DoubleClickOnAHeaderBorderFitsTheColumnAndPageKeysMoveAPage) {
  WriteColumnWidths(CProfile("Dorvik Software", "VEXA"), "CRView1", ColumnWidths{40, 40, 40, 40});
  CRView1* view = ShowTable(300);
  auto& sys = Sys();
  sys.pH[7] = 10.123456789;
  sys.RecomputeLinearised();
  view->SetNumberFormat(QStringLiteral("%.9f"));
  // The border between the pH and the G column, in the header row.
  const int border = view->ColumnLeft(1) + view->GetColWidth(2);
  Send(view, QEvent::MouseMove, {border, 5}, Qt::NoButton, Qt::NoButton);
  DoubleClick(view, {border, 5});
  CRecordingDC measure;
  measure.SelectObject(app->largeFont);
  EXPECT_GT(view->GetColWidth(2), measure.GetTextExtent(QStringLiteral("10.123456789")).cx);
  EXPECT_FALSE(view->IsEditing());
  SaveShot(frame, "table-fitted.png");
  // PgDn, PgUp, Home, End, Ctrl+Home, Ctrl+End.
  view->SetCurrentCell(0, 0);
  const int page = view->PageRows();
  ASSERT_GT(page, 3);
  QTest::keyClick(view, Qt::Key_PageDown);
  EXPECT_EQ(view->CurrentRow(), page);
  QTest::keyClick(view, Qt::Key_PageUp);
  EXPECT_EQ(view->CurrentRow(), 0);
  QTest::keyClick(view, Qt::Key_End);
  EXPECT_EQ(view->CurrentColumn(), 2);
  QTest::keyClick(view, Qt::Key_Home);
  EXPECT_EQ(view->CurrentColumn(), 0);
  QTest::keyClick(view, Qt::Key_End, Qt::ControlModifier);
  EXPECT_EQ(view->CurrentRow(), 299);
  EXPECT_EQ(view->CurrentColumn(), 2);
  EXPECT_TRUE(view->IsRowFullyVisible(299));
  QTest::keyClick(view, Qt::Key_Home, Qt::ControlModifier);
  EXPECT_EQ(view->CurrentRow(), 0);
  EXPECT_EQ(view->FirstRow(), 0);
}

TEST_F(PointsTest, RightClickMakesACellCurrentButNotAHeader) {
  CRView1* view = ShowTable(4);
  auto rightClick = [&](QPoint pos) {
    Send(view, QEvent::MouseButtonPress, pos, Qt::RightButton, Qt::RightButton);
    QMenu* menu = view->ContextMenu();
    ASSERT_NE(menu, nullptr);
    EXPECT_TRUE(menu->isVisible());
    menu->hide();
  };
  rightClick(CellPoint(view, 1, 2));
  EXPECT_EQ(view->CurrentColumn(), 1);
  EXPECT_EQ(view->CurrentRow(), 2);
  rightClick(QPoint(view->ColumnLeft(0) + 5, 5)); // a column header
  rightClick(QPoint(5, view->RowTop(3) + 5));     // a row header
  EXPECT_EQ(view->CurrentColumn(), 1);
  EXPECT_EQ(view->CurrentRow(), 2);
  // The context menu is the "Data" menu, with the fill commands.
  QStringList texts;
  for (QAction* a : view->ContextMenu()->actions())
    texts << a->text();
  EXPECT_TRUE(texts.contains(QStringLiteral("Add point..")));
  EXPECT_TRUE(texts.contains(QStringLiteral("Fill column...")));
  EXPECT_TRUE(texts.contains(QStringLiteral("Fill row...")));
  // A right click on another cell closes an open editor without storing it.
  QTest::keyClick(view, Qt::Key_9);
  ASSERT_TRUE(view->IsEditing());
  rightClick(CellPoint(view, 0, 0));
  EXPECT_FALSE(view->IsEditing());
  EXPECT_EQ(Sys().pH[2], 5);
}

TEST_F(PointsTest, WheelScrollsOneRowAndTheEditorFollows) {
  CRView1* view = ShowTable(200);
  ASSERT_TRUE(view->VertBar()->isEnabled());
  EXPECT_FALSE(view->HorzBar()->isEnabled());
  view->SetCurrentCell(1, 5);
  QTest::keyClick(view, Qt::Key_Return);
  ASSERT_TRUE(view->IsEditing());
  const int top = view->Editor()->y();
  Wheel(view, -120);
  EXPECT_EQ(view->FirstRow(), 1);
  EXPECT_EQ(view->VertBar()->value(), 1);
  EXPECT_EQ(view->Editor()->y(), top - view->RowHeight());
  Wheel(view, -1200);
  EXPECT_EQ(view->FirstRow(), 2);
  Wheel(view, 120);
  EXPECT_EQ(view->FirstRow(), 1);
  {
    // The empty event that ends a touchpad gesture is no turn of the wheel.
    QWheelEvent end(QPointF(60, 60), QPointF(view->mapToGlobal(QPoint(60, 60))), QPoint(), QPoint(),
                    Qt::NoButton, Qt::NoModifier, Qt::ScrollEnd, false);
    QApplication::sendEvent(view, &end);
    EXPECT_EQ(view->FirstRow(), 1);
  }
  // Control scrolls columns, only when the bar is enabled.
  Wheel(view, -120, Qt::ControlModifier);
  EXPECT_EQ(view->FirstColumn(), 0);
  for (int i = 0; i < 5; ++i)
    Wheel(view, -120);
  EXPECT_FALSE(view->IsEditing()); // its cell scrolled out of view
  EXPECT_EQ(Sys().pH[5], 8);
  // The bar's own arrows move one row, a click in its trough a page.
  view->VertBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
  EXPECT_EQ(view->FirstRow(), 5);
  view->VertBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
  EXPECT_EQ(view->FirstRow(), std::min(5 + view->PageRows(), view->ScrollBar(SB_VERT).max));
  // A size change hides the editor without storing.
  view->SetCurrentCell(0, 8);
  QTest::keyClick(view, Qt::Key_4);
  ASSERT_TRUE(view->IsEditing());
  frame->resize(frame->width() + 40, frame->height());
  QApplication::processEvents();
  EXPECT_FALSE(view->IsEditing());
  EXPECT_EQ(Sys().volume[8], 8);
}

TEST_F(PointsTest, FillCommandsAreInTheDataMenu) {
  ShowTable(2);
  QMenu* data = frame->OperationSubMenu(1);
  ASSERT_NE(data, nullptr);
  EXPECT_TRUE(data->actions().contains(frame->FindAction(ID_FILL_COLUMN)));
  EXPECT_TRUE(data->actions().contains(frame->FindAction(ID_FILL_ROW)));
  EXPECT_TRUE(frame->FindAction(ID_FILL_COLUMN) != nullptr);
  EXPECT_TRUE(frame->FindAction(ID_FILL_ROW) != nullptr);
  EXPECT_TRUE(frame->QueryCommandUI(ID_FILL_COLUMN).enabled);
  // In another view the table's commands are disabled.
  Choose(2);
  EXPECT_FALSE(frame->QueryCommandUI(ID_FILL_COLUMN).enabled);
  EXPECT_FALSE(frame->QueryCommandUI(ID_ADD_POINT).enabled);
}

} // namespace
