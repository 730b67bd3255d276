// The window program driven headless: start-up, the frame and its tree, the document commands
// and dialogs, files through the document template, the settings store, the About box, the
// command line and the hand-over to a running program.
#include "app/AboutDlg.h"
#include "support/AppFixture.h"
#include "app/ShellRegistration.h"
#include "app/SingleInstance.h"
#include "document/SystemDialogs.h"
#include "gui/Profile.h"
#include "gui/Strings.h"
#include "platform/CodePage.h"
#include "platform/Registry.h"
#include "resources/Menus.h"
#include "resources/Texts.h"

#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QProcess>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>
#include <QTest>
#include <QThread>
#include <QUrl>

#include <atomic>
#include <cmath>
#include <thread>

namespace {

// A system of n points and the given number of lines, saved to path.
void MakeSystemFile(const std::string& path, int points, int lines, const char* title = "Acid") {
  vexa::TitrationSystem sys;
  sys.SetTitle(title);
  sys.SetPointCount(points);
  for (int i = 0; i < points; ++i) {
    sys.volume[i] = i;
    sys.pH[i] = 3 + 0.5 * i;
  }
  sys.RecomputeLinearised();
  for (int i = 1; i < lines; ++i)
    sys.AddLine();
  std::string error;
  ASSERT_TRUE(vexa::SaveSystemFile(sys, path, &error)) << error;
}

// Moves the mouse over a widget, as the window system reports it.
void MoveMouse(QWidget* w, QPoint pos) {
  QMouseEvent move(QEvent::MouseMove, QPointF(pos), QPointF(w->mapToGlobal(pos)), Qt::NoButton,
                   Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(w, &move);
}

// ---------------------------------------------------------------- start-up and the frame

TEST_F(AppTest, StartUpShowsTheTreeAndTheHelpPage) {
  ASSERT_NE(frame, nullptr);
  EXPECT_TRUE(frame->isVisible());
  EXPECT_EQ(frame->windowTitle(), QStringLiteral("Untitled - VEXA"));
  QTreeWidgetItem* root = Tree()->topLevelItem(0);
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(Tree()->topLevelItemCount(), 1);
  EXPECT_EQ(root->text(0), QStringLiteral("Untitled system"));
  ASSERT_EQ(root->childCount(), 3);
  EXPECT_EQ(root->child(0)->text(0), QStringLiteral("Data"));
  EXPECT_EQ(root->child(1)->text(0), QStringLiteral("Graphics"));
  EXPECT_EQ(root->child(2)->text(0), QStringLiteral("Results"));
  EXPECT_TRUE(root->isExpanded());
  EXPECT_EQ(Tree()->currentItem(), root);
  EXPECT_EQ(frame->RightPaneView(), frame->View(0));
  EXPECT_TRUE(frame->View(0)->isVisible());
  for (int i = 1; i <= 3; ++i)
    EXPECT_FALSE(frame->View(i)->isVisible());
  EXPECT_STREQ(frame->View(0)->GetRuntimeClassName(), "CRView_1");
  EXPECT_STREQ(frame->View(1)->GetRuntimeClassName(), "CRView1");
  EXPECT_STREQ(frame->View(2)->GetRuntimeClassName(), "CRView7");
  EXPECT_STREQ(frame->View(3)->GetRuntimeClassName(), "CResView");
  // The line box: one entry, disabled; the idle prompt.
  EXPECT_EQ(frame->LineCombo()->count(), 1);
  EXPECT_EQ(frame->LineCombo()->itemText(0), QStringLiteral("# 1"));
  EXPECT_FALSE(frame->LineCombo()->isEnabled());
  EXPECT_EQ(frame->LineCombo()->width(), 50);
  EXPECT_EQ(frame->StatusText(), QStringLiteral("For Help, press F1"));
  // A new system: one point, not modified.
  EXPECT_EQ(Doc()->System().pointCount, 1);
  EXPECT_FALSE(Doc()->IsModified());
  SaveShot(frame, "main-help.png");
}

TEST_F(AppTest, TreeItemsSwitchTheViewsInOnePlace) {
  const QRect place = frame->View(0)->geometry();
  ASSERT_GT(place.width(), 0);
  const int order[] = {2, 1, 0, 3, 0};
  for (int n : order) {
    Choose(n);
    EXPECT_EQ(frame->RightPaneView(), frame->View(n)) << n;
    for (int i = 0; i <= 3; ++i)
      EXPECT_EQ(frame->View(i)->isVisible(), i == n) << n << " " << i;
    EXPECT_EQ(frame->View(n)->geometry(), place) << n;
    EXPECT_EQ(frame->GetActiveView(), frame->View(n)) << n;
  }
}

TEST_F(AppTest, HelpKeyShowsTheHelpPageAndKeepsTheTreeSelection) {
  Choose(1);
  QTreeWidgetItem* data = Tree()->currentItem();
  QAction* help = frame->FindAction(ids::ID_HELP);
  ASSERT_NE(help, nullptr);
  EXPECT_TRUE(help->shortcuts().contains(QKeySequence(Qt::Key_F1)));
  help->trigger();
  EXPECT_EQ(frame->RightPaneView(), frame->View(0));
  EXPECT_EQ(Tree()->currentItem(), data);
}

TEST_F(AppTest, TheWindowKeepsItsMinimumSize) {
  EXPECT_EQ(frame->minimumSize(), QSize(600, 450));
  frame->resize(300, 200);
  QApplication::processEvents();
  EXPECT_GE(frame->width(), 600);
  EXPECT_GE(frame->height(), 450);
}

TEST_F(AppTest, MenusCarryTheirIdsTextsAndPrompts) {
  QMenu* op = frame->OperationMenu();
  ASSERT_NE(op, nullptr);
  EXPECT_EQ(frame->OperationSubMenu(3)->title(), QStringLiteral("Results"));
  QAction* params = frame->FindAction(ids::ID_SYSTEM_PARAMETERS);
  ASSERT_NE(params, nullptr);
  EXPECT_EQ(params->text(), QStringLiteral("System parameters..."));
  EXPECT_EQ(params->statusTip(),
            QStringLiteral("Use for setting system parameters (initial volume, pKw & ect.)"));
  EXPECT_EQ(params->toolTip(), QStringLiteral("System parameters"));
  EXPECT_TRUE(frame->FindAction(ids::ID_FILE_SAVE)->shortcuts().contains(QKeySequence("Ctrl+S")));
  EXPECT_TRUE(
      frame->FindAction(ids::ID_EDIT_PASTE)->shortcuts().contains(QKeySequence("Shift+Ins")));
  // Update state: the document's commands are on; the graph's and the results view's only while
  // their view is the active one (here the tree is).
  frame->UpdateAllActions();
  EXPECT_TRUE(params->isEnabled());
  EXPECT_TRUE(frame->FindAction(ids::ID_SYSTEM_TITLE)->isEnabled());
  EXPECT_FALSE(frame->FindAction(ids::ID_ADD_LINE)->isEnabled());
  EXPECT_FALSE(frame->FindAction(ids::ID_FONT_PLUS1)->isEnabled());
  EXPECT_TRUE(frame->FindAction(ids::ID_FILE_NEW)->isEnabled());
  Choose(3);
  frame->UpdateAllActions();
  EXPECT_TRUE(frame->FindAction(ids::ID_FONT_PLUS1)->isEnabled());
  // The line box sends the menu's Select line command; only the graph handles it.
  EXPECT_FALSE(frame->RouteCommand(ids::ID_SELECT_LINE1 + 2));
}

// ---------------------------------------------------------------- the parameter dialog

struct ParamCase {
  const char* pKw;
  const char* cTit;
  const char* v0;
  const char* message; // empty: accepted
  int field;           // the field that gets the focus back: 0 pKw, 1 cTit, 2 V0
};

TEST_F(AppTest, ParameterDialogChecksRangesInOrder) {
  const ParamCase cases[] = {
      {"16", "0.01", "50", "", 0},
      {"12", "0.01", "50", "", 0},
      {"16.01", "0.01", "50", "Please enter a number between 12 and 16.", 0},
      {"11.99", "0.01", "50", "Please enter a number between 12 and 16.", 0},
      {"14", "0", "0", "", 0},
      {"14", "-0.01", "50", "Please enter a number between 0 and 10.", 1},
      {"14", "0.01", "-0.01", "Please enter a number between 0 and 3000.", 2},
      {"14", "0.01", "3000", "", 0},
      {"14", "0.01", "3000.5", "Please enter a number between 0 and 3000.", 2},
      {"abc", "-1", "-1", "Please enter a number.", 0}, // pKw is checked first
  };
  for (const ParamCase& c : cases) {
    ui.messages.clear();
    bool refused = false;
    ui.dialogDriver = [&](QDialog* d) {
      auto* dlg = dynamic_cast<CSystemParamsDlg*>(d);
      ASSERT_NE(dlg, nullptr);
      EXPECT_EQ(dlg->windowTitle(), QStringLiteral("System parameters"));
      dlg->PKwEdit()->setText(QString::fromLatin1(c.pKw));
      dlg->CTitEdit()->setText(QString::fromLatin1(c.cTit));
      dlg->InitialVolumeEdit()->setText(QString::fromLatin1(c.v0));
      Click(dlg, "IDOK");
      if (*c.message) {
        refused = dlg->result() != QDialog::Accepted;
        QLineEdit* fields[] = {dlg->PKwEdit(), dlg->CTitEdit(), dlg->InitialVolumeEdit()};
        EXPECT_EQ(dlg->focusWidget(), fields[c.field]) << c.pKw << " " << c.cTit << " " << c.v0;
        if (std::string(c.pKw) == "16.01") SaveShot(dlg, "params-refused.png");
        Click(dlg, "IDCANCEL");
      }
    };
    Doc()->SetModifiedFlag(false);
    frame->SendCommand(ids::ID_SYSTEM_PARAMETERS);
    if (*c.message) {
      EXPECT_TRUE(refused) << c.pKw << " " << c.cTit << " " << c.v0;
      ASSERT_EQ(ui.messages.size(), 1u) << c.pKw;
      EXPECT_EQ(ui.messages[0].text, QString::fromLatin1(c.message));
      EXPECT_FALSE(Doc()->IsModified());
    } else {
      EXPECT_TRUE(ui.messages.empty()) << c.pKw << " " << c.cTit << " " << c.v0;
      EXPECT_DOUBLE_EQ(Doc()->System().pKw, std::atof(c.pKw));
      EXPECT_DOUBLE_EQ(Doc()->System().cTit, std::atof(c.cTit));
      EXPECT_DOUBLE_EQ(Doc()->System().initialVolume, std::atof(c.v0));
      EXPECT_TRUE(Doc()->IsModified());
    }
  }
}

TEST_F(AppTest, ParameterDialogOkWithoutChangesStillRecomputes) {
  auto& sys = Doc()->System();
  sys.SetPointCount(2);
  sys.volume[1] = 5;
  sys.pH[1] = 11;
  sys.g[0] = sys.g[1] = 12345; // stale
  ui.dialogDriver = [](QDialog* d) {
    auto* dlg = dynamic_cast<CSystemParamsDlg*>(d);
    EXPECT_EQ(dlg->PKwEdit()->text(), QStringLiteral("14"));
    EXPECT_EQ(dlg->CTitEdit()->text(), QStringLiteral("0.01"));
    EXPECT_EQ(dlg->InitialVolumeEdit()->text(), QStringLiteral("50"));
    Click(dlg, "IDOK");
  };
  frame->SendCommand(ids::ID_SYSTEM_PARAMETERS);
  EXPECT_TRUE(Doc()->IsModified());
  EXPECT_DOUBLE_EQ(sys.g[1], sys.LinearisedValue(5, 11));
  const double before = sys.g[1];
  // pKw 14 -> 13 changes every G.
  ui.dialogDriver = [](QDialog* d) {
    dynamic_cast<CSystemParamsDlg*>(d)->PKwEdit()->setText(QStringLiteral("13"));
    Click(d, "IDOK");
  };
  frame->SendCommand(ids::ID_SYSTEM_PARAMETERS);
  EXPECT_NE(sys.g[1], before);
  EXPECT_DOUBLE_EQ(sys.g[1], sys.LinearisedValue(5, 11));
  // Cancel changes nothing, not even the modified flag.
  Doc()->SetModifiedFlag(false);
  ui.dialogDriver = [](QDialog* d) {
    dynamic_cast<CSystemParamsDlg*>(d)->PKwEdit()->setText(QStringLiteral("15"));
    Click(d, "IDCANCEL");
  };
  frame->SendCommand(ids::ID_SYSTEM_PARAMETERS);
  EXPECT_DOUBLE_EQ(sys.pKw, 13);
  EXPECT_FALSE(Doc()->IsModified());
}

// ---------------------------------------------------------------- the title dialog

TEST_F(AppTest, ALongTitleReachesTheTreeRoot) {
  // 199 Cyrillic letters: 199 bytes in the documents' code page.
  const QString title = QString(199, QChar(0x0416));
  ui.dialogDriver = [&](QDialog* d) {
    auto* dlg = dynamic_cast<CSystemTitleDlg*>(d);
    ASSERT_NE(dlg, nullptr);
    EXPECT_EQ(dlg->windowTitle(), QStringLiteral("Set system title"));
    EXPECT_EQ(dlg->TitleEdit()->text(), QStringLiteral("Untitled system"));
    EXPECT_EQ(dlg->TitleEdit()->maxLength(), 199);
    dlg->TitleEdit()->setText(title);
    QTest::keyClick(dlg->TitleEdit(), Qt::Key_X); // the 200th character is refused
    EXPECT_EQ(dlg->TitleEdit()->text(), title);
    Click(dlg, "IDOK");
  };
  frame->SendCommand(ids::ID_SYSTEM_TITLE);
  EXPECT_EQ(RootText(), title);
  EXPECT_EQ(Doc()->System().Title(), vexa::platform::Utf8ToAnsi(title.toStdString()));
  EXPECT_EQ(Doc()->System().Title().size(), 199u);
  EXPECT_TRUE(Doc()->IsModified());
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(AppTest, ATitleWithACharacterTheFileCannotHoldIsRefusedByName) {
  Doc()->SetModifiedFlag(false);
  int runs = 0;
  ui.dialogDriver = [&](QDialog* d) {
    auto* dlg = dynamic_cast<CSystemTitleDlg*>(d);
    ASSERT_NE(dlg, nullptr);
    if (runs++ == 0) {
      dlg->TitleEdit()->setText(QStringLiteral("Essigs\u00e4ure, Na\u2082CO\u2083"));
      Click(dlg, "IDOK");
      // Refused: the dialog stays open with the focus in the field.
      EXPECT_TRUE(dlg->isVisible());
      EXPECT_TRUE(dlg->TitleEdit()->hasFocus());
      ASSERT_EQ(ui.messages.size(), 1u);
      EXPECT_TRUE(ui.messages[0].text.startsWith(QStringLiteral("\"\u00e4\" (U+00E4) cannot be stored")))
          << ui.messages[0].text.toStdString();
      // Cyrillic is the code page's own and passes.
      dlg->TitleEdit()->setText(QStringLiteral("\u0423\u043a\u0441\u0443\u0441"));
      Click(dlg, "IDOK");
    }
  };
  frame->SendCommand(ids::ID_SYSTEM_TITLE);
  EXPECT_EQ(RootText(), QStringLiteral("\u0423\u043a\u0441\u0443\u0441"));
  EXPECT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(Doc()->System().Title().find('?'), std::string::npos);
}

// ---------------------------------------------------------------- files

TEST_F(AppTest, SaveAsAndOpenRoundTripThroughTheTemplate) {
  auto& sys = Doc()->System();
  sys.SetTitle("Round trip");
  sys.pKw = 13.5;
  Doc()->SetModifiedFlag();
  ui.fileAnswers = {Q(Path("trip"))};
  frame->SendCommand(ids::ID_FILE_SAVE_AS);
  ASSERT_EQ(ui.fileRequests.size(), 1u);
  EXPECT_EQ(ui.fileRequests[0].fileName, QStringLiteral("Untitled.vexa"));
  EXPECT_TRUE(ui.fileRequests[0].filter.startsWith(QStringLiteral("Vexa Files (*.vexa)|*.vexa|")));
  EXPECT_FALSE(Doc()->IsModified());
  EXPECT_EQ(vexa::test::ReadFile(Path("trip.vexa")).size(), 1300u);
  EXPECT_EQ(frame->windowTitle(), QStringLiteral("trip - VEXA"));
  EXPECT_EQ(app->RecentFiles().value(0), QFileInfo(Q(Path("trip.vexa"))).canonicalFilePath());

  // New: the parameters stay, the rest is new.
  frame->SendCommand(ids::ID_FILE_NEW);
  EXPECT_EQ(RootText(), QStringLiteral("Untitled system"));
  EXPECT_DOUBLE_EQ(sys.pKw, 13.5);
  sys.pKw = 14;

  ASSERT_NE(app->OpenDocumentFile(Q(Path("trip.vexa"))), nullptr);
  EXPECT_EQ(RootText(), QStringLiteral("Round trip"));
  EXPECT_DOUBLE_EQ(sys.pKw, 13.5);
  EXPECT_EQ(frame->windowTitle(), QStringLiteral("trip - VEXA"));
  EXPECT_EQ(frame->RightPaneView(), frame->View(0));
  EXPECT_EQ(Tree()->currentItem(), Tree()->topLevelItem(0));

  // Save writes to the same file without asking.
  sys.SetTitle("Changed");
  Doc()->SetModifiedFlag();
  frame->SendCommand(ids::ID_FILE_SAVE);
  EXPECT_EQ(ui.fileRequests.size(), 1u);
  EXPECT_NE(vexa::test::ReadFile(Path("trip.vexa")).find("Changed"), std::string::npos);

  // The recent files are kept in the profile at exit.
  app->SaveStdProfileSettings();
  EXPECT_EQ(app->Profile().GetProfileString("Recent File List", "File1"),
            QFileInfo(Q(Path("trip.vexa"))).canonicalFilePath().toStdString());
}

TEST_F(AppTest, TheRecentFileListKeepsFourEntriesNewestFirst) {
  QStringList paths;
  for (int i = 1; i <= 5; ++i) {
    const std::string path = Path("f" + std::to_string(i) + ".vexa");
    MakeSystemFile(path, 2, 1, ("File " + std::to_string(i)).c_str());
    ASSERT_NE(app->OpenDocumentFile(Q(path)), nullptr);
    paths.prepend(QFileInfo(Q(path)).canonicalFilePath());
  }
  EXPECT_EQ(app->RecentFiles(), paths.mid(0, 4));
  // The File menu lists them, numbered, in place of "Recent File".
  QMenu* file = frame->TopMenu(0);
  ASSERT_NE(file, nullptr);
  emit file->aboutToShow();
  QStringList shown;
  for (QAction* a : file->actions()) {
    const int id = a->data().toInt();
    if (id >= ids::ID_FILE_MRU_FILE1 && id < ids::ID_FILE_MRU_FILE1 + 4) {
      shown << a->text();
      EXPECT_TRUE(a->isEnabled()) << a->text().toStdString();
    }
  }
  ASSERT_EQ(shown.size(), 4);
  EXPECT_TRUE(shown[0].startsWith(QStringLiteral("&1 ")));
  EXPECT_TRUE(shown[0].endsWith(QStringLiteral("f5.vexa")));
  EXPECT_TRUE(shown[3].startsWith(QStringLiteral("&4 ")));
  EXPECT_TRUE(shown[3].endsWith(QStringLiteral("f2.vexa")));
  // Choosing the third opens it and puts it first.
  frame->SendCommand(ids::ID_FILE_MRU_FILE1 + 2);
  EXPECT_EQ(RootText(), QStringLiteral("File 3"));
  EXPECT_EQ(app->RecentFiles().value(0), paths[2]);
  EXPECT_EQ(app->RecentFiles().size(), 4);
  // Kept at exit under "Recent File List" and read back at the next start.
  app->SaveStdProfileSettings();
  for (int i = 0; i < 4; ++i)
    EXPECT_EQ(app->Profile().GetProfileString("Recent File List", "File" + std::to_string(i + 1)),
              app->RecentFiles()[i].toStdString());
  const QStringList before = app->RecentFiles();
  app->LoadStdProfileSettings(4);
  EXPECT_EQ(app->RecentFiles(), before);
}

TEST_F(AppTest, ABadFileShowsTheFormatMessageAndLeavesANewSystem) {
  MakeSystemFile(Path("good.vexa"), 4, 2, "Good one");
  ASSERT_NE(app->OpenDocumentFile(Q(Path("good.vexa"))), nullptr);
  EXPECT_EQ(RootText(), QStringLiteral("Good one"));
  vexa::test::WriteFile(Path("bad.vexa"), std::string(1300, 'x'));
  EXPECT_EQ(app->OpenDocumentFile(Q(Path("bad.vexa"))), nullptr);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, QStringLiteral("Unexpected file format."));
  EXPECT_EQ(Doc()->System().pointCount, 1);
  EXPECT_EQ(Doc()->System().Title(), "Untitled system");
  EXPECT_EQ(RootText(), QStringLiteral("Untitled system"));
  EXPECT_EQ(frame->windowTitle(), QStringLiteral("Untitled - VEXA"));
  EXPECT_TRUE(Doc()->GetPathName().isEmpty());
  EXPECT_FALSE(Doc()->IsModified());
}

TEST_F(AppTest, NewAsksToSaveAModifiedSystem) {
  Doc()->System().SetTitle("Work");
  Doc()->SetModifiedFlag();
  ui.answers = {IDCANCEL};
  frame->SendCommand(ids::ID_FILE_NEW);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, QStringLiteral("Save changes to Untitled?"));
  EXPECT_EQ(Doc()->System().Title(), "Work");
  ui.answers = {IDNO};
  frame->SendCommand(ids::ID_FILE_NEW);
  EXPECT_EQ(Doc()->System().Title(), "Untitled system");
  EXPECT_FALSE(Doc()->IsModified());
  // Closing the window asks too.
  Doc()->SetModifiedFlag();
  ui.answers = {IDCANCEL};
  EXPECT_FALSE(frame->close());
  EXPECT_TRUE(frame->isVisible());
  EXPECT_EQ(ui.messages.size(), 3u);
}

TEST_F(AppTest, LoadingRefillsAndDisablesTheLineBox) {
  MakeSystemFile(Path("three.vexa"), 6, 3);
  ASSERT_NE(app->OpenDocumentFile(Q(Path("three.vexa"))), nullptr);
  QComboBox* box = frame->LineCombo();
  ASSERT_EQ(box->count(), 3);
  EXPECT_EQ(box->itemText(0), QStringLiteral("# 1"));
  EXPECT_EQ(box->itemText(1), QStringLiteral("# 2"));
  EXPECT_EQ(box->itemText(2), QStringLiteral("# 3"));
  EXPECT_EQ(box->currentIndex(), 0);
  EXPECT_FALSE(box->isEnabled());
  // The frame's box operations, as the graph will call them.
  frame->EnableLineCombo(true);
  frame->SelectLineInCombo(2);
  EXPECT_TRUE(box->isEnabled());
  EXPECT_EQ(box->currentText(), QStringLiteral("# 3"));
}

TEST_F(AppTest, CtrlDigitsAreTheGraphsKeysNotAccelerators) {
  // The accelerator table has no Ctrl+digit: the graph's key handler takes those keys, and it
  // refits the line and marks the system modified, which the menu's Select line does not.
  for (int key = Qt::Key_0; key <= Qt::Key_9; ++key) {
    const QKeySequence seq(QKeyCombination(Qt::ControlModifier, static_cast<Qt::Key>(key)));
    for (QAction* a : frame->findChildren<QAction*>())
      EXPECT_FALSE(a->shortcuts().contains(seq)) << a->text().toStdString();
  }
  EXPECT_EQ(frame->FindAction(ids::ID_SELECT_LINE1 + 2)->text(), QStringLiteral("# &3\tCtrl+3"));
  MakeSystemFile(Path("three.vexa"), 6, 3);
  ASSERT_NE(app->OpenDocumentFile(Q(Path("three.vexa"))), nullptr);
  Choose(2);
  frame->SendCommand(ids::ID_VIEW_VEXA);
  frame->UpdateAllActions();
  ASSERT_TRUE(frame->FindAction(ids::ID_SELECT_LINE1 + 2)->isEnabled());
  Doc()->SetModifiedFlag(false);
  QTest::keyClick(frame->View(2), Qt::Key_3, Qt::ControlModifier);
  EXPECT_EQ(frame->LineCombo()->currentIndex(), 2);
  EXPECT_TRUE(Doc()->IsModified());
}

TEST_F(AppTest, ADroppedFileIsOpened) {
  MakeSystemFile(Path("dropped.vexa"), 3, 1, "Dropped");
  EXPECT_TRUE(frame->acceptDrops());
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(Q(Path("dropped.vexa")))});
  QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(frame, &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(frame, &drop);
  EXPECT_EQ(RootText(), QStringLiteral("Dropped"));
}

// ---------------------------------------------------------------- settings

TEST(Settings, DefaultsOnAnEmptyStore) {
  const CProfile profile("Dorvik Software", "VEXA");
  const DrawSettings s = ReadDrawSettings(profile);
  EXPECT_EQ(s, DrawSettings::Defaults());
  EXPECT_EQ(s.gridColor, 0xC8C8C8u);
  EXPECT_EQ(s.borderColor, 0x000000u);
  EXPECT_EQ(s.derivColor, 0x808080u);
  EXPECT_EQ(s.plotColor, 0x0000FFu);
  EXPECT_EQ(s.markerFillColor, 0xFF0000u);
  EXPECT_EQ(s.markerOutlineColor, 0xFF0000u);
  EXPECT_EQ(s.beginColor, 0x0000FFu);
  EXPECT_EQ(s.endColor, 0x00FF00u);
  EXPECT_EQ(s.markerType, 0);
  EXPECT_EQ(s.markerSize, 6);
  // Stored values are taken as they are.
  profile.WriteProfileInt("Settings\\Draw", "marker_type", 42);
  EXPECT_EQ(ReadDrawSettings(profile).markerType, 42);
  DrawSettings t = DrawSettings::Defaults();
  t.gridColor = 0x123456;
  WriteDrawSettings(profile, t);
  EXPECT_EQ(ReadDrawSettings(profile), t);
}

TEST(Settings, ColumnWidthsOfTheWrongSizeAreReplaced) {
  const CProfile profile("Dorvik Software", "VEXA");
  profile.WriteProfileBinary("Settings\\Sizes", "CRView1", std::vector<std::uint8_t>(12, 0x50));
  EXPECT_EQ(ReadColumnWidths(profile, "CRView1"), (ColumnWidths{40, 40, 40, 40}));
  std::vector<std::uint8_t> stored;
  ASSERT_TRUE(profile.GetProfileBinary("Settings\\Sizes", "CRView1", stored));
  EXPECT_EQ(stored.size(), 16u);
  WriteColumnWidths(profile, "CRView1", {200, 10, 100, 150});
  EXPECT_EQ(ReadColumnWidths(profile, "CRView1"), (ColumnWidths{150, 40, 100, 150}));
  EXPECT_EQ(ClampColumnWidth(200), 150);
  EXPECT_EQ(ClampColumnWidth(10), 40);
}

TEST(Settings, OnlyASingleDoubleConversionIsUsedAsTheNumberFormat) {
  for (const char* good : {"%g", "%G", "%f", "%.2f", "%.3f", "%12.8f", "%e", "%.2e", "%.3e",
                           "%-+10.4g", "V = %g ml", "%g%%", "%%%E"})
    EXPECT_TRUE(IsSafeNumberFormat(good)) << good;
  for (const char* bad : {"", "%", "abc", "%s", "%d", "%n", "%g %g", "%*g", "%.*f", "%lf", "%Lg",
                          "%9999g", "%.1000f", "%a", "%g%"})
    EXPECT_FALSE(IsSafeNumberFormat(bad)) << bad;
  const CProfile profile("Dorvik Software", "VEXA");
  EXPECT_EQ(ReadNumberFormat(profile, "CRView1"), "%g");
  EXPECT_EQ(profile.GetProfileString("Settings\\Formats", "CRView1"), "%g");
  WriteNumberFormat(profile, "CRView1", "%s%s%s");
  EXPECT_EQ(ReadNumberFormat(profile, "CRView1"), "%g");
  EXPECT_EQ(profile.GetProfileString("Settings\\Formats", "CRView1"), "%g");
  WriteNumberFormat(profile, "CRView1", "%.3e");
  EXPECT_EQ(ReadNumberFormat(profile, "CRView1"), "%.3e");
}

TEST_F(AppTest, StartUpReadsTheDrawingSettings) {
  EXPECT_EQ(app->drawSettings, DrawSettings::Defaults());
  EXPECT_EQ(app->largeFont.height, 14);
  EXPECT_EQ(app->smallFont.height, 10);
  EXPECT_EQ(app->largeFont.face, QStringLiteral("Arial"));
}

TEST_F(AppTest, PreferencesWritesAllTenValuesOnOkOnly) {
  CTitrationApp::SetPreferencesDialog(nullptr); // no dialog: the command is off
  frame->UpdateAllActions();
  EXPECT_FALSE(frame->FindAction(ids::ID_PREFERENCES)->isEnabled());
  bool answer = false;
  CTitrationApp::SetPreferencesDialog([&](QWidget*, DrawSettings& s) {
    s.markerSize = 9;
    return answer;
  });
  frame->UpdateAllActions();
  EXPECT_TRUE(frame->FindAction(ids::ID_PREFERENCES)->isEnabled());
  const auto store = vexa::platform::RegistryStore::Default();
  const std::string key = "Software\\Dorvik Software\\VEXA\\Settings\\Draw";
  frame->SendCommand(ids::ID_PREFERENCES);
  EXPECT_TRUE(store.EnumValueNames(vexa::platform::RegRoot::CurrentUser, key).empty());
  answer = true;
  frame->SendCommand(ids::ID_PREFERENCES);
  EXPECT_EQ(store.EnumValueNames(vexa::platform::RegRoot::CurrentUser, key).size(), 10u);
  EXPECT_EQ(app->drawSettings.markerSize, 9);
  CTitrationApp::SetPreferencesDialog(nullptr);
}

// ---------------------------------------------------------------- About box

TEST_F(AppTest, AboutBoxIsTheLogoWithALink) {
  ui.dialogDriver = [&](QDialog* d) {
    auto* dlg = dynamic_cast<CAboutDlg*>(d);
    ASSERT_NE(dlg, nullptr);
    EXPECT_EQ(dlg->size(), QSize(400, 400));
    const QRect ok = dlg->OkButton()->geometry();
    EXPECT_EQ(ok.x() + ok.width(), 395);
    EXPECT_EQ(ok.y() + ok.height(), 395);
    EXPECT_FALSE(dlg->AddressLabel()->isVisible());
    CInternetLink* link = dlg->Link();
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->Text(), QString::fromLatin1(vexa::kWebAddress));
    const int b = ok.height();
    EXPECT_EQ(link->geometry(), QRect(0, 400 - 3 * b, 400, 2 * b));
    SaveShot(dlg, "about.png");
    link->repaint();
    const QPoint inside = link->TextRect().center();
    MoveMouse(link, inside);
    EXPECT_TRUE(link->Hover());
    EXPECT_EQ(link->Colour(), QColor(0, 0, 255));
    EXPECT_EQ(link->cursor().shape(), Qt::PointingHandCursor);
    // The text and its underline are blue on the picture.
    const QImage hovered = dlg->grab().toImage();
    int blue = 0;
    for (int x = link->TextRect().left(); x <= link->TextRect().right(); ++x) {
      const QColor c = hovered.pixelColor(x, link->y() + link->TextRect().bottom());
      if (c.blue() > 200 && c.red() < 60 && c.green() < 60) ++blue;
    }
    EXPECT_GT(blue, link->TextRect().width() * 3 / 4);
    SaveShot(dlg, "about-hover.png");
    MoveMouse(link, QPoint(2, 2));
    EXPECT_FALSE(link->Hover());
    EXPECT_EQ(link->Colour(), QColor(0, 0, 0));
    EXPECT_EQ(link->cursor().shape(), Qt::ArrowCursor);
    QTest::mouseClick(link, Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
    EXPECT_TRUE(ui.opened.isEmpty());
    QTest::mouseClick(link, Qt::LeftButton, Qt::NoModifier, inside);
    EXPECT_EQ(ui.opened, QStringList{QString::fromLatin1(vexa::kWebAddress)});
    QTest::mouseClick(dlg->OkButton(), Qt::LeftButton);
    EXPECT_EQ(dlg->result(), QDialog::Accepted);
  };
  frame->SendCommand(ids::ID_APP_ABOUT);
  EXPECT_EQ(ui.modalRuns, 1);
  EXPECT_FALSE(QFile::exists(programFolder + QStringLiteral("logo.jpg")));
}

// ---------------------------------------------------------------- command line

TEST(CommandLine, SwitchesAndFileNames) {
  EXPECT_EQ(ParseCommandLine({}).shellCommand, CommandLineInfo::FileNew);
  auto open = ParseCommandLine({QStringLiteral("/home/u/acid.vexa")});
  EXPECT_EQ(open.shellCommand, CommandLineInfo::FileOpen);
  EXPECT_EQ(open.fileName, QStringLiteral("/home/u/acid.vexa"));
  for (const char* s : {"-Embedding", "/Embedding", "-embedding"})
    EXPECT_EQ(ParseCommandLine({QString::fromLatin1(s)}).shellCommand,
              CommandLineInfo::AppEmbedding);
  for (const char* s : {"-Automation", "/Automation"})
    EXPECT_EQ(ParseCommandLine({QString::fromLatin1(s)}).shellCommand,
              CommandLineInfo::AppAutomation);
  EXPECT_EQ(ParseCommandLine({QStringLiteral("/p"), QStringLiteral("a.vexa")}).shellCommand,
            CommandLineInfo::FilePrint);
  EXPECT_EQ(ParseCommandLine({QStringLiteral("/dde")}).shellCommand, CommandLineInfo::FileNew);
}

class StartTest : public AppTest {
protected:
  void SetUp() override {}
};

TEST_F(StartTest, EmbeddingShowsNoWindow) {
  Start({QStringLiteral("-Embedding")}, false, CTitrationApp::Start::Done);
  EXPECT_EQ(frame, nullptr);
  Stop();
  Start({QStringLiteral("/Automation")}, false, CTitrationApp::Start::Done);
  EXPECT_EQ(frame, nullptr);
}

TEST_F(StartTest, EmbeddingStillRegistersTheDocumentType) {
  // The document type is registered with the desktop before the switches are looked at.
  QStringList ran;
  configure = [&](CTitrationApp::Options& o) {
    o.registerWithShell = true;
    o.runDesktopTool = [&](const QStringList& tool) { ran << tool.first(); };
  };
  vexa::test::TempDir data;
  const QByteArray saved = qgetenv("XDG_DATA_HOME");
  qputenv("XDG_DATA_HOME", QByteArray::fromStdString(data / "share"));
  Start({QStringLiteral("-Embedding")}, false, CTitrationApp::Start::Done);
  qputenv("XDG_DATA_HOME", saved);
  EXPECT_EQ(frame, nullptr);
  EXPECT_TRUE(QFile::exists(Q(data / "share/mime/packages/vexa-document.xml")));
  EXPECT_TRUE(QFile::exists(Q(data / "share/applications/vexa-orlith.desktop")));
  EXPECT_EQ(ran, (QStringList{"update-mime-database", "update-desktop-database"}));
}

TEST_F(StartTest, AFileOnTheCommandLineIsOpened) {
  vexa::test::TempDir files;
  MakeSystemFile(files / "cmd.vexa", 5, 2, "From the command line");
  Start({Q(files / "cmd.vexa")});
  ASSERT_NE(frame, nullptr);
  EXPECT_EQ(RootText(), QStringLiteral("From the command line"));
  EXPECT_EQ(frame->LineCombo()->count(), 2);
  EXPECT_FALSE(frame->LineCombo()->isEnabled());
}

TEST_F(StartTest, AnUnreadableFileEndsStartUpAfterTheMessage) {
  vexa::test::TempDir files;
  vexa::test::WriteFile(files / "junk.vexa", "junk");
  Start({Q(files / "junk.vexa")}, false, CTitrationApp::Start::Failed);
  EXPECT_EQ(frame, nullptr);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, QStringLiteral("Unexpected file format."));
}

TEST_F(StartTest, ASecondInstanceHandsItsFileOver) {
  Start({}, true);
  ASSERT_NE(frame, nullptr);
  MakeSystemFile(Path("handed.vexa"), 3, 1, "Handed over");
  QProcess second;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  env.insert(QStringLiteral("XDG_DATA_HOME"), Q(Path("data")));
  second.setProcessEnvironment(env);
  second.start(QStringLiteral(VEXA_BINARY_DIR "/app/orlith"), {Q(Path("handed.vexa"))});
  ASSERT_TRUE(second.waitForStarted(10000));
  // Serve the running program's socket while the second one works.
  QDeadlineTimer deadline(60000);
  while (second.state() != QProcess::NotRunning && !deadline.hasExpired()) {
    QApplication::processEvents(QEventLoop::AllEvents, 50);
    second.waitForFinished(20);
  }
  if (second.state() != QProcess::NotRunning) {
    second.kill();
    second.waitForFinished();
    FAIL() << "the second instance did not end";
  }
  QApplication::processEvents();
  EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(second.exitCode(), 0);
  EXPECT_EQ(RootText(), QStringLiteral("Handed over"));
  EXPECT_EQ(Doc()->GetPathName(), QFileInfo(Q(Path("handed.vexa"))).canonicalFilePath());
  EXPECT_FALSE(QDir(Q(Path("data"))).exists()); // it registered nothing
}

TEST(HandOver, AnyFileNameArrivesWhole) {
  InstanceServer server;
  const QString name = QStringLiteral("vexa-test-%1").arg(QCoreApplication::applicationPid());
  ASSERT_TRUE(server.Listen(name));
  QStringList got;
  QObject::connect(&server, &InstanceServer::openRequested,
                   [&](const QString& path) { got << path; });
  const QStringList paths = {QStringLiteral("/tmp/plain.vexa"),
                             QStringLiteral("/tmp/ two\nlines %41 \u0416.vexa ")};
  for (const QString& path : paths) {
    std::atomic<int> result{-1};
    std::thread client([&] { result = HandOverFile(name, path) ? 1 : 0; });
    QDeadlineTimer deadline(20000);
    while (result == -1 && !deadline.hasExpired())
      QApplication::processEvents(QEventLoop::AllEvents, 20);
    client.join();
    EXPECT_EQ(result, 1) << path.toStdString();
  }
  EXPECT_EQ(got, paths);
}

TEST_F(StartTest, NoFileIsTakenWhileAModalDialogIsOpen) {
  Start({}, true);
  ASSERT_NE(frame, nullptr);
  MakeSystemFile(Path("later.vexa"), 3, 1, "Later");
  auto handOver = [&] {
    std::atomic<int> result{-1};
    std::thread client(
        [&] { result = HandOverFile(InstanceServerName(), Q(Path("later.vexa"))) ? 1 : 0; });
    QDeadlineTimer deadline(20000);
    while (result == -1 && !deadline.hasExpired())
      QApplication::processEvents(QEventLoop::AllEvents, 20);
    client.join();
    QApplication::processEvents();
    return result == 1;
  };
  {
    QDialog modal(frame);
    modal.setWindowModality(Qt::ApplicationModal);
    modal.show();
    QApplication::processEvents();
    ASSERT_EQ(QApplication::activeModalWidget(), &modal);
    EXPECT_FALSE(handOver()); // the later start opens it itself
    EXPECT_EQ(RootText(), QStringLiteral("Untitled system"));
  }
  EXPECT_TRUE(handOver());
  EXPECT_EQ(RootText(), QStringLiteral("Later"));
}

TEST(ShellRegistration, WritesTheTypeAndTheEntryOnceThenOnlyWhenOutOfDate) {
  vexa::test::TempDir dir;
  const QString data = QString::fromStdString(dir / "data");
  QStringList ran;
  auto tool = [&](const QStringList& cmd) { ran << cmd.first(); };
  EXPECT_TRUE(RegisterDocumentType(data, QStringLiteral("/opt/vexa/orlith"), tool));
  EXPECT_EQ(ran, (QStringList{"update-mime-database", "update-desktop-database"}));
  const std::string mime = vexa::test::ReadFile(dir / "data/mime/packages/vexa-document.xml");
  EXPECT_NE(mime.find("<glob pattern=\"*.vexa\"/>"), std::string::npos);
  EXPECT_NE(mime.find("Vexa Document"), std::string::npos);
  const std::string desktop = vexa::test::ReadFile(dir / "data/applications/vexa-orlith.desktop");
  EXPECT_NE(desktop.find("Exec=\"/opt/vexa/orlith\" %f"), std::string::npos);
  EXPECT_NE(desktop.find("MimeType=application/x-vexa-document;"), std::string::npos);
  // The desktop shows the program's icon and puts its window under this entry.
  EXPECT_NE(desktop.find("\nIcon=vexa-orlith\n"), std::string::npos);
  EXPECT_NE(desktop.find("\nStartupWMClass=orlith\n"), std::string::npos);
  EXPECT_TRUE(QImage(QString::fromStdString(dir / "data/icons/hicolor/48x48/apps/vexa-orlith.png"))
                  .size() == QSize(48, 48));
  ran.clear();
  EXPECT_FALSE(RegisterDocumentType(data, QStringLiteral("/opt/vexa/orlith"), tool));
  EXPECT_TRUE(ran.isEmpty());
  EXPECT_TRUE(RegisterDocumentType(data, QStringLiteral("/home/u/my vexa/$orlith"), tool));
  EXPECT_EQ(ran, QStringList{"update-desktop-database"});
  const std::string moved = vexa::test::ReadFile(dir / "data/applications/vexa-orlith.desktop");
  EXPECT_NE(moved.find("Exec=\"/home/u/my vexa/\\\\$orlith\" %f"), std::string::npos);
}

TEST_F(AppTest, ALargeFileIsReadOffTheWindowsThreadAndTakenOverWhole) {
  MakeSystemFile(Path("large.vexa"), 300000, 2, "Large");
  ASSERT_NE(app->OpenDocumentFile(Q(Path("large.vexa"))), nullptr);
  vexa::TitrationSystem direct;
  std::string error;
  ASSERT_TRUE(vexa::LoadSystemFile(direct, Path("large.vexa"), &error)) << error;
  const auto& sys = Doc()->System();
  ASSERT_EQ(sys.pointCount, 300000);
  EXPECT_EQ(sys.volume[299999], direct.volume[299999]);
  EXPECT_EQ(sys.g[123456], direct.g[123456]);
  EXPECT_EQ(sys.lineCount, 2);
  EXPECT_EQ(RootText(), QStringLiteral("Large"));
  EXPECT_FALSE(Doc()->IsModified());
  EXPECT_EQ(frame->LineCombo()->count(), 2);
}

// ---------------------------------------------------------------- a good desktop citizen

TEST_F(AppTest, TheTitleShowsAStarWhileModifiedAndCtrlQQuitsThroughTheQuestion) {
  frame->OnIdle();
  EXPECT_EQ(frame->windowTitle(), QStringLiteral("Untitled - VEXA"));
  Doc()->SetModifiedFlag();
  frame->OnIdle();
  EXPECT_EQ(frame->windowTitle(), QStringLiteral("Untitled* - VEXA"));
  Doc()->SetModifiedFlag(false);
  frame->OnIdle();
  EXPECT_EQ(frame->windowTitle(), QStringLiteral("Untitled - VEXA"));
  // Every window carries the program's icon, and the desktop finds the program's entry.
  EXPECT_FALSE(QApplication::windowIcon().isNull());
  EXPECT_EQ(QGuiApplication::desktopFileName(), QStringLiteral("vexa-orlith"));
  // Ctrl+Q is Exit, which asks about a modified system first.
  QStringList keys;
  for (const QKeySequence& k : frame->FindAction(ids::ID_APP_EXIT)->shortcuts())
    keys << k.toString();
  EXPECT_TRUE(keys.contains(QStringLiteral("Ctrl+Q")));
  Doc()->SetModifiedFlag();
  ui.answers = {IDCANCEL};
  frame->SendCommand(ids::ID_APP_EXIT);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_TRUE(frame->isVisible() || !app->options.show);
}

TEST_F(AppTest, TheWindowsSizePlaceAndColumnsAreThereAtTheNextStart) {
  frame->resize(900, 640);
  frame->Splitter()->setSizes({260, 640});
  const QList<int> columns = frame->Splitter()->sizes();
  frame->close(); // not modified: closes, and keeps its layout
  Stop();
  Start({});
  EXPECT_EQ(frame->size(), QSize(900, 640));
  EXPECT_EQ(frame->Splitter()->sizes().value(0), columns.value(0));
}

TEST(CommandLine, HelpAndVersionAnswerOnTheTerminal) {
  for (const char* arg : {"--help", "--version"}) {
    QProcess orlith;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM")); // no display is needed for these
    orlith.setProcessEnvironment(env);
    orlith.start(QStringLiteral(VEXA_BINARY_DIR "/app/orlith"), {QString::fromLatin1(arg)});
    ASSERT_TRUE(orlith.waitForFinished(20000)) << arg;
    EXPECT_EQ(orlith.exitCode(), 0) << arg;
    const QString out = QString::fromUtf8(orlith.readAllStandardOutput());
    if (std::string(arg) == "--help")
      EXPECT_TRUE(out.startsWith(QStringLiteral("usage: orlith"))) << out.toStdString();
    else
      EXPECT_EQ(out, QStringLiteral("orlith 0.5.0\n"));
  }
}

} // namespace
