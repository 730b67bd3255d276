#pragma once
// A running window program for a test: the real application object, frame and views, with a
// program folder of its own and the dialogs answered through the scripted seam.
#include "app/LeftView.h"
#include "app/MainFrame.h"
#include "app/TitrationApp.h"
#include "common/TempDir.h"
#include "docview/Doc.h"
#include "resources/Ids.h"
#include "support/ScriptedUiSeam.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

class AppTest : public ::testing::Test {
protected:
  void SetUp() override { Start({}); }
  void TearDown() override { Stop(); }

  void Start(const QStringList& args, bool singleInstance = false,
             CTitrationApp::Start expected = CTitrationApp::Start::Run) {
    dir = std::make_unique<vexa::test::TempDir>();
    QDir().mkpath(Q(dir->path() + "/prog"));
    programFolder = Q(dir->path() + "/prog/");
    QFile::copy(QStringLiteral(VEXA_SOURCE_DIR "/resources/how_use.html"),
                programFolder + QStringLiteral("how_use.html"));
    SetUi(&ui);
    app = std::make_unique<CTitrationApp>();
    app->options.registerWithShell = false;
    app->options.singleInstance = singleInstance;
    if (configure) configure(app->options);
    ASSERT_EQ(app->Startup(args), expected);
    frame = app->MainFrm();
    if (frame) QApplication::processEvents();
  }

  void Stop() {
    if (app) app->ExitInstance();
    app.reset();
    frame = nullptr;
    SetUi(nullptr);
    programFolder.clear();
    dir.reset();
  }

  static QString Q(const std::string& s) { return QString::fromStdString(s); }
  std::string Path(const std::string& name) const { return *dir / name; }
  CDoc* Doc() const { return app->Doc(); }
  QTreeWidget* Tree() const { return frame->LeftView()->Tree(); }
  // Chooses the tree item of category n (0 is the root).
  void Choose(int n) {
    QTreeWidgetItem* root = Tree()->topLevelItem(0);
    Tree()->setCurrentItem(n == 0 ? root : root->child(n - 1));
    QApplication::processEvents();
  }
  QString RootText() const { return Tree()->topLevelItem(0)->text(0); }

  std::unique_ptr<vexa::test::TempDir> dir;
  // Changes the start-up options before the start, when set.
  std::function<void(CTitrationApp::Options&)> configure;
  ScriptedUiSeam ui;
  std::unique_ptr<CTitrationApp> app;
  CMainFrame* frame = nullptr;
};

// Saves a grab of a widget when VEXA_SHOTS_DIR names a folder.
void SaveShot(QWidget* w, const char* name);

// Works a dialog's button by its object name ("IDOK", "IDCANCEL").
void Click(QDialog* dlg, const char* name);
