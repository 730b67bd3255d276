#pragma once
// The application object: start-up, the shared fonts, the drawing settings, and the commands
// About and Preferences.
#include "gui/DrawSettings.h"
#include "gui/DC.h"
#include "framework/DocView.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class CDoc;
class CMainFrame;
class InstanceServer;

// The folder of the running program, with a trailing slash: where "log.html" is written and
// "how_use.html" is found.
extern QString programFolder;

class CTitrationApp : public CWinApp {
public:
  struct Options {
    bool registerWithShell = true; // write the desktop's file-type entries
    bool singleInstance = true;    // hand files to a running program, and listen for them
    bool show = true;              // show the main window
    // Runs the desktop's update tools after a registration (empty: started detached).
    std::function<void(const QStringList&)> runDesktopTool;
  };
  enum class Start { Run, Done, Failed };

  CTitrationApp();
  ~CTitrationApp() override;

  // Start-up with the command line (the arguments after the program name).
  Start Startup(const QStringList& args);
  bool InitInstance() override;
  int ExitInstance() override;

  CMainFrame* MainFrm() const;
  CDoc* Doc() const;

  void OnAppAbout();
  void OnPreferences();
  // File → Import: a table file chosen, then the Import dialog.
  void OnFileImport();
  // The Import dialog for a table file; OK makes a new, unsaved system of it. False when the
  // file could not be read or the user cancelled.
  bool ImportFile(const QString& path);
  // A .vexa file opens; any other file (a CSV, a sheet) goes through the Import dialog.
  CDocument* OpenDocumentFile(const QString& path) override;

  // The Preferences dialog: edits the settings, true on OK. Until it is installed the command
  // is disabled.
  using PreferencesDialog = std::function<bool(QWidget* parent, DrawSettings& settings)>;
  static void SetPreferencesDialog(PreferencesDialog dialog);

  Options options;
  CFont largeFont;
  CFont smallFont;
  BackBuffer backBuffer;
  DrawSettings drawSettings;

private:
  // The steps of start-up, in their order.
  void TakeProgramFolder();
  void ReadRegistrySettings();
  void CreateFontsAndTemplate();
  void RegisterWithDesktop();
  void ListenForHandedOverFiles(const QString& serverName);
  // What the views are handed: the settings, fonts, bitmap and folder above.
  ViewContext ViewContextForViews();

  QStringList args_;
  std::unique_ptr<InstanceServer> server_;
};

CTitrationApp* TheApp();

// What the command line asks for.
struct CommandLineInfo {
  enum Shell { FileNew, FileOpen, FilePrint, FileDDE, AppEmbedding, AppAutomation };
  Shell shellCommand = FileNew;
  QString fileName;
};
CommandLineInfo ParseCommandLine(const QStringList& args);
