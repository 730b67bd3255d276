#include "app/TitrationApp.h"

#include "app/AboutDlg.h"
#include "app/MainFrame.h"
#include "app/ShellRegistration.h"
#include "app/SingleInstance.h"
#include "docview/ImportDlg.h"
#include "document/PointTable.h"
#include "platform/CodePage.h"
#include "docview/Doc.h"
#include "resources/Ids.h"
#include "gui/Strings.h"
#include "framework/UiSeam.h"
#include "platform/Folders.h"
#include "platform/Shell.h"
#include "preferences/PreferencesDlg.h"
#include "resources/Icons.h"
#include "resources/Menus.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

using namespace ids;

QString programFolder;

namespace {
CTitrationApp::PreferencesDialog g_preferences;
}

CTitrationApp* TheApp() {
  return dynamic_cast<CTitrationApp*>(AfxGetApp());
}

void CTitrationApp::SetPreferencesDialog(PreferencesDialog dialog) {
  g_preferences = std::move(dialog);
}

CTitrationApp::CTitrationApp() {
  OnCommand(ID_APP_ABOUT, [this] { OnAppAbout(); });
  OnCommand(ID_PREFERENCES, [this] { OnPreferences(); });
  OnCommand(ID_FILE_IMPORT, [this] { OnFileImport(); });
  OnUpdateCommand(ID_PREFERENCES, [](CCmdUI& ui) { ui.Enable(static_cast<bool>(g_preferences)); });
  SetPreferencesDialog(RunPreferencesDialog);
}

CTitrationApp::~CTitrationApp() {
  if (DocTemplate()) DocTemplate()->CloseAll();
}

CMainFrame* CTitrationApp::MainFrm() const {
  return dynamic_cast<CMainFrame*>(MainFrame());
}

CDoc* CTitrationApp::Doc() const {
  return DocTemplate() ? dynamic_cast<CDoc*>(DocTemplate()->GetDocument()) : nullptr;
}

CommandLineInfo ParseCommandLine(const QStringList& args) {
  CommandLineInfo info;
  bool print = false;
  for (const QString& arg : args) {
    const bool flagLike = arg.startsWith(QLatin1Char('-')) || arg.startsWith(QLatin1Char('/'));
    const QString flag = arg.mid(1).toLower();
    if (flagLike && flag == QLatin1String("embedding")) {
      info.shellCommand = CommandLineInfo::AppEmbedding;
    } else if (flagLike && flag == QLatin1String("automation")) {
      info.shellCommand = CommandLineInfo::AppAutomation;
    } else if (flagLike && flag == QLatin1String("dde")) {
      info.shellCommand = CommandLineInfo::FileDDE;
    } else if (flagLike && (flag == QLatin1String("p") || flag == QLatin1String("pt"))) {
      print = true;
    } else if (arg.startsWith(QLatin1Char('-')) && arg.size() > 1) {
      // an option of no meaning here
    } else if (info.fileName.isEmpty()) {
      info.fileName = arg;
    }
  }
  if (info.shellCommand == CommandLineInfo::AppEmbedding ||
      info.shellCommand == CommandLineInfo::AppAutomation)
    return info;
  if (!info.fileName.isEmpty())
    info.shellCommand = print ? CommandLineInfo::FilePrint : CommandLineInfo::FileOpen;
  else if (info.shellCommand == CommandLineInfo::FileDDE)
    info.shellCommand = CommandLineInfo::FileNew;
  return info;
}

bool CTitrationApp::InitInstance() {
  return Startup(QCoreApplication::arguments().mid(1)) != Start::Failed;
}

ViewContext CTitrationApp::ViewContextForViews() {
  ViewContext context;
  context.drawSettings = &drawSettings;
  context.largeFont = &largeFont;
  context.smallFont = &smallFont;
  context.backBuffer = &backBuffer;
  context.programFolder = &programFolder;
  return context;
}

void CTitrationApp::TakeProgramFolder() {
  if (!programFolder.isEmpty()) return; // given already (tests give their own)
  programFolder = QString::fromStdString(vexa::platform::ProgramFolder());
  if (programFolder.isEmpty())
    programFolder = QCoreApplication::applicationDirPath() + QLatin1Char('/');
}

void CTitrationApp::ReadRegistrySettings() {
  m_pszAppName = LoadStr(AFX_IDS_APP_TITLE);
  SetMessageBoxOwner(nullptr, m_pszAppName);
  SetRegistryKey(QString::fromLatin1(kMakerKey));
  LoadStdProfileSettings(4);
}

void CTitrationApp::CreateFontsAndTemplate() {
  // Every window and message box carries the program's icon; the desktop finds the program's
  // entry (and so its icon and name) by this name.
  QApplication::setWindowIcon(AppWindowIcon());
  QGuiApplication::setDesktopFileName(QStringLiteral("vexa-orlith"));
  largeFont = CFont{QStringLiteral("Arial"), 14, 400, false, false};
  smallFont = CFont{QStringLiteral("Arial"), 10, 400, false, false};
  AddDocTemplate(std::make_unique<CSingleDocTemplate>(
      IDR_MAINFRAME, [] { return new CDoc; },
      [this](CDocument* doc) -> CFrameWnd* { return new CMainFrame(doc, ViewContextForViews()); }));
}

void CTitrationApp::RegisterWithDesktop() {
  auto runTool = options.runDesktopTool;
  if (!runTool)
    runTool = [](const QStringList& tool) {
      std::vector<std::string> argv;
      for (const QString& a : tool)
        argv.push_back(a.toStdString());
      vexa::platform::SpawnDetached(argv, true);
    };
  RegisterDocumentType(UserDataHome(), QString::fromStdString(vexa::platform::ProgramPath()),
                       runTool);
}

void CTitrationApp::ListenForHandedOverFiles(const QString& serverName) {
  server_ = std::make_unique<InstanceServer>();
  if (!server_->Listen(serverName)) {
    server_.reset();
    return;
  }
  // Not in the middle of a modal dialog or an open menu: the file would change the system
  // under them.
  server_->SetAcceptCheck(
      [] { return !QApplication::activeModalWidget() && !QApplication::activePopupWidget(); });
  QObject::connect(server_.get(), &InstanceServer::openRequested, server_.get(),
                   [this](const QString& path) {
                     if (CMainFrame* f = MainFrm()) {
                       if (f->isMinimized()) f->showNormal();
                       f->raise();
                       f->activateWindow();
                     }
                     OpenDocumentFile(path);
                   });
}

CTitrationApp::Start CTitrationApp::Startup(const QStringList& args) {
  args_ = args;
  TakeProgramFolder();
  ReadRegistrySettings();
  CreateFontsAndTemplate();
  const CommandLineInfo cmd = ParseCommandLine(args);

  // A file opened while the program runs goes to the running program, as the desktop would
  // hand it over; this start then ends without doing more.
  const QString serverName = options.singleInstance ? InstanceServerName() : QString();
  if (options.singleInstance && cmd.shellCommand == CommandLineInfo::FileOpen &&
      HandOverFile(serverName, QFileInfo(cmd.fileName).absoluteFilePath()))
    return Start::Done;
  // The document type is registered with the desktop, for embedding and automation starts too.
  if (options.registerWithShell) RegisterWithDesktop();
  // Embedding and automation end start-up here: no window.
  if (cmd.shellCommand == CommandLineInfo::AppEmbedding ||
      cmd.shellCommand == CommandLineInfo::AppAutomation)
    return Start::Done;
  if (options.singleInstance) ListenForHandedOverFiles(serverName);

  // A new system, or the file of the command line.
  if (cmd.shellCommand == CommandLineInfo::FileNew) {
    OnFileNew();
    if (!MainFrame()) return Start::Failed;
  } else {
    if (!OpenDocumentFile(cmd.fileName)) return Start::Failed;
  }
  CMainFrame* frame = MainFrm();
  if (!frame) return Start::Failed;
  SetMessageBoxOwner(frame, m_pszAppName);
  if (cmd.shellCommand == CommandLineInfo::FilePrint) {
    frame->SendCommand(ID_FILE_PRINT_DIRECT);
    return Start::Done;
  }

  drawSettings = ReadDrawSettings(Profile());
  // Show the window; files may be dropped on it. The line box waits for the graph.
  frame->setAcceptDrops(true);
  frame->RestoreLayout();
  if (options.show) frame->show();
  frame->FillLineCombo(0);
  frame->EnableLineCombo(false);
  return Start::Run;
}

int CTitrationApp::ExitInstance() {
  backBuffer.bitmap.reset();
  const int code = CWinApp::ExitInstance();
  SetMessageBoxOwner(nullptr, m_pszAppName);
  server_.reset();
  if (DocTemplate()) DocTemplate()->CloseAll();
  return code;
}

void CTitrationApp::OnAppAbout() {
  CAboutDlg dlg(MainFrame());
  dlg.DoModal();
}

void CTitrationApp::OnPreferences() {
  if (!g_preferences) return;
  DrawSettings edited = drawSettings;
  if (!g_preferences(MainFrame(), edited)) return;
  drawSettings = edited;
  if (CFrameWnd* frame = MainFrame())
    if (CDocument* doc = frame->GetActiveDocument()) doc->UpdateAllViews(nullptr, 0);
  WriteDrawSettings(Profile(), drawSettings);
}

namespace {

// Whether a file is one of ours: a .vexa file by its name, or by its first bytes (the magic
// "VEXA" or the version 4096, as the reader accepts them).
bool IsSystemFile(const QString& path) {
  if (QFileInfo(path).suffix().compare(QStringLiteral("vexa"), Qt::CaseInsensitive) == 0)
    return true;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return true; // the open says why it cannot be read
  const QByteArray head = file.read(8);
  if (head.size() < 8) return false;
  return head.startsWith("VEXA") || head.mid(4) == QByteArray("\x00\x10\x00\x00", 4);
}

} // namespace

CDocument* CTitrationApp::OpenDocumentFile(const QString& path) {
  if (IsSystemFile(path)) return CWinApp::OpenDocumentFile(path);
  // At start-up there is no window yet: a new system first, so that a cancelled import still
  // leaves a program to work in.
  if (!MainFrame()) {
    OnFileNew();
    if (CMainFrame* frame = MainFrm(); frame && options.show) frame->show();
  }
  ImportFile(path);
  return DocTemplate() ? DocTemplate()->GetDocument() : nullptr;
}

void CTitrationApp::OnFileImport() {
  FileDialogRequest req;
  req.open = true;
  req.title = QStringLiteral("Import");
  req.filter = QStringLiteral(
      "Tables (*.csv;*.txt;*.tsv;*.dat;*.xlsx;*.ods;*.xls)|*.csv;*.txt;*.tsv;*.dat;*.xlsx;*.ods;*.xls|"
      "All Files (*.*)|*.*||");
  const QString path = PromptFileName(MainFrame(), req);
  if (!path.isEmpty()) ImportFile(path);
}

bool CTitrationApp::ImportFile(const QString& path) {
  CImportDlg dlg(path, MainFrame());
  if (!dlg.Ready()) {
    AfxMessageBox(QStringLiteral("%1 cannot be imported.\n%2")
                      .arg(QFileInfo(path).fileName(), dlg.Error()),
                  MB_OK | MB_ICONEXCLAMATION);
    return false;
  }
  if (dlg.DoModal() != IDOK) return false;
  // A new system (the current one saved first when the user wants), filled with the table.
  CDoc* doc = Doc();
  if (!doc || !DocTemplate() || !DocTemplate()->OpenDocumentFile(QString())) return false;
  doc = Doc();
  vexa::TitrationSystem& sys = doc->System();
  for (int k = 0; k < 3; ++k)
    vexa::SetParameter(sys, vexa::kSystemParameters[k], dlg.m_values[k]);
  vexa::PutImportedPoints(sys, dlg.Result().points);
  sys.SetTitle(vexa::platform::Utf8ToAnsi(dlg.Title().toStdString()));
  doc->SetTitle(dlg.Title());
  doc->SetModifiedFlag(); // not saved anywhere yet
  if (CMainFrame* frame = MainFrm()) {
    frame->InitialUpdateFrame(doc, true);
    frame->FillLineCombo(0);
    frame->EnableLineCombo(false);
    const QString from = dlg.Result().fromPotentials ? QStringLiteral(", pH from potentials") : QString();
    frame->SetMessageText(QStringLiteral("%1 points imported from %2%3.")
                              .arg(sys.pointCount)
                              .arg(QFileInfo(path).fileName(), from));
  }
  return true;
}

