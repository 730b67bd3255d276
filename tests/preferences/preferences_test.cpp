// The Preferences dialog: its fields, the colour buttons and their text colour, the marker
// list, the size box with its up-down control and its check on OK.
#include "framework/UiSeam.h"
#include "support/ScriptedUiSeam.h"
#include "preferences/PreferencesDlg.h"

#include <gtest/gtest.h>

#include <QApplication>
#include "framework/FrameworkStrings.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

void VexaTestSetUp(int& argc, char** argv) {
  new QApplication(argc, argv);
  RegisterFrameworkStrings(); // the data-exchange messages, as the application registers them
}

namespace {

using namespace ids;

DrawSettings Custom() {
  DrawSettings s = DrawSettings::Defaults();
  s.gridColor = RGB(10, 20, 30);
  s.plotColor = RGB(255, 255, 255);
  s.markerType = 5;
  s.markerSize = 9;
  return s;
}

class PreferencesTest : public testing::Test {
protected:
  void SetUp() override { SetUi(&ui); }
  void TearDown() override {
    SetUi(nullptr);
    SetColorChooser(nullptr);
  }
  // Runs the dialog on settings with a driver; returns whether it ended with OK.
  bool Run(DrawSettings& s, std::function<void(CPreferencesDlg*)> drive) {
    ui.dialogDriver = [drive](QDialog* d) { drive(dynamic_cast<CPreferencesDlg*>(d)); };
    return RunPreferencesDialog(nullptr, s);
  }
  static void Click(QDialog* dlg, const char* name) {
    QTest::mouseClick(dlg->findChild<QPushButton*>(name), Qt::LeftButton);
  }
  ScriptedUiSeam ui;
};

TEST(ButtonText, BlackOnBrightWhiteOnDark) {
  EXPECT_EQ(ButtonTextColor(RGB(255, 255, 255)), RGB(0, 0, 0));
  EXPECT_EQ(ButtonTextColor(RGB(0, 0, 0)), RGB(255, 255, 255));
  EXPECT_EQ(ButtonTextColor(RGB(0, 0, 128)), RGB(255, 255, 255));     // dark blue
  EXPECT_EQ(ButtonTextColor(RGB(128, 128, 128)), RGB(255, 255, 255)); // exactly 128
  EXPECT_EQ(ButtonTextColor(RGB(129, 128, 128)), RGB(0, 0, 0));
  EXPECT_EQ(ButtonTextColor(RGB(200, 200, 200)), RGB(0, 0, 0));
}

TEST(ButtonText, ColourButtonDrawing) {
  const COLORREF hi = RGB(255, 255, 255), sh = RGB(128, 128, 128);
  CRecordingDC dc;
  DrawColorButton(&dc, CRect{0, 0, 100, 30}, RGB(255, 255, 255), "Plot color", false, true, hi, sh);
  const auto fills = dc.Calls("FillSolidRect");
  ASSERT_EQ(fills.size(), 5u);         // four edges, then the colour
  EXPECT_EQ(fills[0].brush.color, hi); // top
  EXPECT_EQ(fills[1].brush.color, hi); // left
  EXPECT_EQ(fills[2].brush.color, sh); // right
  EXPECT_EQ(fills[3].brush.color, sh); // bottom
  EXPECT_EQ(fills[4].args, (std::vector<int>{2, 2, 98, 28}));
  const auto text = dc.Calls("DrawText");
  ASSERT_EQ(text.size(), 1u);
  EXPECT_EQ(text[0].text, "Plot color");
  EXPECT_EQ(text[0].textColor, RGB(0, 0, 0));
  EXPECT_EQ(text[0].bkMode, TRANSPARENT);
  EXPECT_EQ(text[0].format, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  EXPECT_EQ(dc.calls().back().Describe(), "DrawFocusRect (3, 3, 97, 27)");

  dc.clear();
  DrawColorButton(&dc, CRect{0, 0, 100, 30}, RGB(0, 0, 0), "Plot color", true, false, hi, sh);
  EXPECT_EQ(dc.Calls("FillSolidRect")[0].brush.color, sh); // pressed
  EXPECT_EQ(dc.Calls("DrawText")[0].textColor, RGB(255, 255, 255));
  EXPECT_TRUE(dc.Calls("DrawFocusRect").empty());
}

TEST(MarkerItem, DrawnInTheMiddleWithTheItemsHeight) {
  CRecordingDC dc;
  DrawMarkerItem(&dc, CRect{0, 20, 100, 36}, 0, RGB(1, 1, 1), RGB(2, 2, 2), true, true,
                 RGB(255, 255, 255), RGB(0, 0, 128));
  // Size 10 (16 − 6), centred at (50, 27).
  EXPECT_EQ(dc.Dump(), "FillSolidRect (0, 20, 100, 36)\nEllipse (45, 22, 55, 32)\n"
                       "DrawFocusRect (0, 20, 100, 36)\n");
  EXPECT_EQ(dc.calls()[0].brush.color, RGB(0, 0, 128));
  EXPECT_EQ(dc.calls()[1].brush.color, RGB(1, 1, 1));
  EXPECT_EQ(dc.calls()[1].pen.color, RGB(2, 2, 2));
}

TEST_F(PreferencesTest, OpensWithTheSettingsAndItsControls) {
  DrawSettings s = Custom();
  const bool ok = Run(s, [](CPreferencesDlg* dlg) {
    EXPECT_EQ(dlg->windowTitle(), "Preferences");
    EXPECT_EQ(dlg->gridColor, RGB(10, 20, 30));
    EXPECT_EQ(dlg->plotColor, RGB(255, 255, 255));
    EXPECT_TRUE(dlg->application == nullptr); // no application object in this test
    EXPECT_EQ(dlg->SizeEdit()->text(), "9");
    ASSERT_EQ(dlg->MarkerList()->count(), 8);
    for (int i = 0; i < 8; ++i)
      EXPECT_EQ(dlg->MarkerList()->itemData(i).toInt(), i);
    EXPECT_EQ(dlg->MarkerList()->currentIndex(), 5);
    const char* labels[] = {"Grid color",    "Graph frame color", "Derivative color",
                            "Plot color",    "Base point color",  "End point color",
                            "Filling color", "Outline color"};
    const int idsInOrder[] = {IDC_GRID_COLOR,  IDC_FRAME_COLOR, IDC_DERIV_COLOR, IDC_PLOT_COLOR,
                              IDC_BEGIN_COLOR, IDC_END_COLOR,   IDC_FILL_COLOR,  IDC_OUTLINE_COLOR};
    for (int i = 0; i < 8; ++i) {
      CColorButton* b = dlg->ColorButton(idsInOrder[i]);
      ASSERT_TRUE(b) << labels[i];
      EXPECT_EQ(b->text(), labels[i]);
    }
    EXPECT_EQ(dlg->ColorButton(IDC_PLOT_COLOR)->Color(), RGB(255, 255, 255));
    QStringList groups;
    for (auto* g : dlg->findChildren<QGroupBox*>())
      groups << g->title();
    EXPECT_TRUE(groups.contains("Colors") && groups.contains("Marker"));
    EXPECT_EQ(dlg->size(), QSize(320 * 6 / 4, 166 * 13 / 8));
    // The grab of the dialog, for a look.
    const QByteArray folder = qgetenv("VEXA_SHOTS_DIR");
    if (!folder.isEmpty()) dlg->grab().save(QString::fromLocal8Bit(folder) + "/preferences.png");
    Click(dlg, "IDCANCEL");
  });
  EXPECT_FALSE(ok);
  EXPECT_EQ(s, Custom()); // Cancel: the settings as they were
}

TEST_F(PreferencesTest, OkReturnsTheEditedValues) {
  DrawSettings s = Custom();
  int asked = 0;
  SetColorChooser([&](QWidget*, COLORREF& c) {
    ++asked;
    EXPECT_EQ(c, RGB(10, 20, 30)); // starts from the button's colour
    c = RGB(0, 255, 0);
    return true;
  });
  ASSERT_TRUE(Run(s, [](CPreferencesDlg* dlg) {
    QTest::mouseClick(dlg->ColorButton(IDC_GRID_COLOR), Qt::LeftButton);
    dlg->MarkerList()->setCurrentIndex(2);
    dlg->SizeEdit()->setText("14");
    Click(dlg, "IDOK");
  }));
  EXPECT_EQ(asked, 1);
  DrawSettings expected = Custom();
  expected.gridColor = RGB(0, 255, 0);
  expected.markerType = 2;
  expected.markerSize = 14;
  EXPECT_EQ(s, expected);
}

TEST_F(PreferencesTest, CancelledColourDialogKeepsTheColour) {
  DrawSettings s = Custom();
  SetColorChooser([](QWidget*, COLORREF& c) {
    c = RGB(1, 1, 1); // what a cancelled dialog may leave behind
    return false;
  });
  ASSERT_TRUE(Run(s, [](CPreferencesDlg* dlg) {
    dlg->OnColorButton(IDC_OUTLINE_COLOR);
    EXPECT_EQ(dlg->markerOutlineColor, DrawSettings::Defaults().markerOutlineColor);
    Click(dlg, "IDOK");
  }));
  EXPECT_EQ(s, Custom());
}

TEST_F(PreferencesTest, UpDownStopsAt3And16) {
  DrawSettings s = Custom();
  s.markerSize = 4;
  ASSERT_TRUE(Run(s, [](CPreferencesDlg* dlg) {
    QLineEdit* edit = dlg->SizeEdit();
    dlg->Spin()->Step(-1);
    EXPECT_EQ(edit->text(), "3");
    dlg->Spin()->Step(-1);
    EXPECT_EQ(edit->text(), "3");
    edit->setText("15");
    QTest::keyClick(edit, Qt::Key_Up);
    EXPECT_EQ(edit->text(), "16");
    QTest::keyClick(edit, Qt::Key_Up);
    EXPECT_EQ(edit->text(), "16");
    QTest::keyClick(edit, Qt::Key_Down);
    EXPECT_EQ(edit->text(), "15");
    Click(dlg, "IDOK");
  }));
  EXPECT_EQ(s.markerSize, 15);
}

TEST_F(PreferencesTest, SizeOutsideTheRangeIsRefusedOnOk) {
  DrawSettings s = Custom();
  bool stayedOpen = false;
  const bool ok = Run(s, [&](CPreferencesDlg* dlg) {
    dlg->SizeEdit()->setText("20");
    Click(dlg, "IDOK");
    stayedOpen = dlg->result() != QDialog::Accepted;
    dlg->SizeEdit()->setText("x");
    Click(dlg, "IDOK");
    stayedOpen = stayedOpen && dlg->result() != QDialog::Accepted;
    Click(dlg, "IDCANCEL");
  });
  EXPECT_TRUE(stayedOpen);
  EXPECT_FALSE(ok);
  ASSERT_EQ(ui.messages.size(), 2u);
  EXPECT_EQ(ui.messages[0].text, "Please enter an integer between 3 and 16.");
  EXPECT_EQ(ui.messages[1].text, "Please enter an integer.");
  EXPECT_EQ(s, Custom());
}

} // namespace
