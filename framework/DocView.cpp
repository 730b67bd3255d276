#include "framework/DocView.h"

#include "platform/Archive.h"
#include "resources/Ids.h"
#include "framework/FrameworkStrings.h"
#include "gui/DC.h"
#include "gui/Strings.h"
#include "framework/UiSeam.h"
#include "platform/AtomicFile.h"
#include "platform/Registry.h"

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QBuffer>
#include <QPageLayout>
#include <QPdfWriter>
#include <QPrintPreviewDialog>
#include <QPrinterInfo>
#include <QPrinter>
#include <QStatusBar>
#include <QUrl>

#include <algorithm>
#include <string_view>

namespace {
CWinApp* g_app = nullptr;

// Causes of file errors, next to the archive's own causes.
constexpr int kFileNotFound = -1;
constexpr int kAccessDenied = -2;
constexpr int kGenericFile = -3;

QString CanonicalPath(const QString& path) {
  const QFileInfo info(path);
  const QString c = info.canonicalFilePath();
  return c.isEmpty() ? info.absoluteFilePath() : c;
}
} // namespace

// ================================================================ CDocument

CDocument::CDocument() {
  OnCommand(ids::ID_FILE_SAVE, [this] { DoFileSave(); });
  OnCommand(ids::ID_FILE_SAVE_AS, [this] { DoSave(QString()); });
  OnCommand(ids::ID_EDIT_UNDO, [this] {
    if (CommitPendingEdits()) undo_.undo();
  });
  OnUpdateCommand(ids::ID_EDIT_UNDO, [this](CCmdUI& ui) {
    ui.Enable(undo_.canUndo());
    ui.SetText(undo_.canUndo() ? QStringLiteral("&Undo %1").arg(undo_.undoText())
                               : QStringLiteral("&Undo"));
  });
  OnCommand(ids::ID_EDIT_REDO, [this] {
    if (CommitPendingEdits()) undo_.redo();
  });
  OnUpdateCommand(ids::ID_EDIT_REDO, [this](CCmdUI& ui) {
    ui.Enable(undo_.canRedo());
    ui.SetText(undo_.canRedo() ? QStringLiteral("&Redo %1").arg(undo_.redoText())
                               : QStringLiteral("&Redo"));
  });
}

void CDocument::SetModifiedFlag(bool modified) {
  modified_ = modified;
  if (!modified) undo_.setClean();
}

void CDocument::PushChange(QUndoCommand* change) {
  undo_.push(change);
}

CDocument::~CDocument() = default;

void CDocument::SetTitle(const QString& title) {
  title_ = title;
  if (CFrameWnd* f = GetFrame()) f->OnUpdateFrameTitle();
}

void CDocument::SetPathName(const QString& path, bool addToMru) {
  path_ = CanonicalPath(path);
  const QFileInfo info(path_);
  // Files of our own type are named without their extension, as the desktop shows them.
  QString title = info.fileName();
  if (info.suffix().compare(QStringLiteral("vexa"), Qt::CaseInsensitive) == 0)
    title = info.completeBaseName();
  SetTitle(title);
  if (addToMru && AfxGetApp()) AfxGetApp()->AddToRecentFileList(path_);
}

bool CDocument::OnNewDocument() {
  undo_.clear();
  DeleteContents();
  path_.clear();
  SetModifiedFlag(false);
  return true;
}

bool CDocument::OnOpenDocument(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    const int cause = !QFileInfo::exists(path)                        ? kFileNotFound
                      : file.error() == QFileDevice::PermissionsError ? kAccessDenied
                                                                      : kGenericFile;
    ReportSaveLoadException(path, cause, false, ids::AFX_IDP_FAILED_TO_OPEN_DOC);
    return false;
  }
  const QByteArray bytes = file.readAll();
  const bool readFailed = file.error() != QFileDevice::NoError;
  file.close();
  undo_.clear(); // the history belongs to the system it changed
  DeleteContents();
  SetModifiedFlag(true); // dirty while loading
  try {
    if (readFailed) throw vexa::ArchiveException(vexa::ArchiveException::genericException);
    CArchive ar(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    Serialize(ar);
  } catch (const CUserCancelled&) {
    DeleteContents();
    return false;
  } catch (const vexa::ArchiveException& e) {
    DeleteContents();
    ReportSaveLoadException(path, e.cause(), false, ids::AFX_IDP_FAILED_TO_OPEN_DOC);
    return false;
  } catch (const std::exception&) {
    DeleteContents();
    ReportSaveLoadException(path, vexa::ArchiveException::genericException, false,
                            ids::AFX_IDP_FAILED_TO_OPEN_DOC);
    return false;
  }
  SetModifiedFlag(false);
  return true;
}

bool CDocument::OnSaveDocument(const QString& path) {
  CArchive ar;
  try {
    Serialize(ar);
  } catch (const std::exception&) {
    ReportSaveLoadException(path, vexa::ArchiveException::genericException, true,
                            ids::AFX_IDP_FAILED_TO_SAVE_DOC);
    return false;
  }
  // One checked writer for every file the program writes: every write is checked, the data
  // reach the disk before the temporary file takes the document's place, and a failure leaves
  // the old file as it was.
  vexa::platform::FileError error;
  if (!vexa::platform::WriteFileAtomically(QFile::encodeName(path).toStdString(), ar.Stored(),
                                           &error)) {
    AfxMessageBox(LoadStr(ids::AFX_IDP_FAILED_TO_SAVE_DOC) + QLatin1Char('\n') +
                      QString::fromStdString(error.message),
                  MB_OK | MB_ICONEXCLAMATION);
    return false;
  }
  SetModifiedFlag(false);
  return true;
}

void CDocument::ReportSaveLoadException(const QString& path, int cause, bool saving,
                                        int defaultId) {
  (void)saving;
  QString text;
  const QString name = QDir::toNativeSeparators(path);
  switch (cause) {
  case vexa::ArchiveException::badSchema:
  case vexa::ArchiveException::badClass:
  case vexa::ArchiveException::badIndex:
  case vexa::ArchiveException::endOfFile: text = LoadStr(ids::AFX_IDP_FAILED_INVALID_FORMAT); break;
  case kFileNotFound: text = FormatMessage(ids::AFX_IDP_FILE_NOT_FOUND, name); break;
  case kAccessDenied: text = FormatMessage(ids::AFX_IDP_FILE_ACCESS_DENIED, name); break;
  default: text = LoadStr(defaultId); break;
  }
  AfxMessageBox(text, MB_OK | MB_ICONEXCLAMATION);
}

bool CDocument::CommitPendingEdits() {
  for (CView* v : std::vector<CView*>(views_))
    if (!v->CommitPendingEdit()) return false;
  return true;
}

bool CDocument::SaveModified() {
  // A value still in an editor counts as a change: it is stored first, and asked about.
  if (!CommitPendingEdits()) return false;
  if (!IsModified()) return true;
  QString name = title_.isEmpty() ? LoadStr(ids::AFX_IDS_UNTITLED) : title_;
  switch (AfxMessageBox(FormatMessage(ids::AFX_IDP_ASK_TO_SAVE, name),
                        MB_YESNOCANCEL | MB_ICONEXCLAMATION)) {
  case IDCANCEL: return false;
  case IDYES: return DoFileSave();
  default: return true;
  }
}

bool CDocument::DoFileSave() {
  if (path_.isEmpty()) return DoSave(QString());
  if (QFileInfo::exists(path_) && !QFileInfo(path_).isWritable()) return DoSave(QString());
  return DoSave(path_);
}

bool CDocument::DoSave(const QString& pathIn, bool replace) {
  if (!CommitPendingEdits()) return false;
  QString path = pathIn;
  if (path.isEmpty()) {
    CSingleDocTemplate* tmpl = AfxGetApp() ? AfxGetApp()->DocTemplate() : nullptr;
    QString ext = tmpl ? tmpl->GetDocString(CSingleDocTemplate::filterExt) : QString();
    QString proposed = path_;
    if (proposed.isEmpty()) {
      proposed = title_;
      static const QString kBad = QStringLiteral("#%;/\\");
      for (QChar c : kBad)
        proposed.remove(c);
      if (!ext.isEmpty() && !proposed.endsWith(ext)) proposed += ext;
    }
    FileDialogRequest req;
    req.open = false;
    req.title = QStringLiteral("Save As");
    req.fileName = proposed;
    if (ext.startsWith(QLatin1Char('.'))) ext.remove(0, 1);
    req.defaultExtension = ext;
    if (tmpl)
      req.filter = tmpl->GetDocString(CSingleDocTemplate::filterName) + QStringLiteral("|*.") +
                   ext + QLatin1Char('|') + LoadStr(ids::AFX_IDS_ALLFILTER) +
                   QStringLiteral("|*.*||");
    req.overwritePrompt = true;
    path = PromptFileName(GetFrame(), req);
    if (path.isEmpty()) return false;
  }
  if (!OnSaveDocument(path)) return false;
  if (replace) SetPathName(path);
  return true;
}

void CDocument::AddView(CView* view) {
  if (std::find(views_.begin(), views_.end(), view) == views_.end()) views_.push_back(view);
}

void CDocument::RemoveView(CView* view) {
  views_.erase(std::remove(views_.begin(), views_.end(), view), views_.end());
}

void CDocument::UpdateAllViews(CView* sender, long hint) {
  if (CFrameWnd* frame = GetFrame()) frame->OnDocumentUpdate(sender, hint);
  for (CView* v : std::vector<CView*>(views_))
    if (v != sender) v->OnUpdate(sender, hint);
}

CFrameWnd* CDocument::GetFrame() const {
  for (CView* v : views_)
    if (CFrameWnd* f = v->GetParentFrame()) return f;
  CWinApp* app = AfxGetApp();
  return app ? app->MainFrame() : nullptr;
}

// ================================================================ CView

CView::CView(QWidget* parent) : QWidget(parent) {
  setFocusPolicy(Qt::StrongFocus);
}

CView::CView(const ViewContext& context, QWidget* parent) : CView(parent) {
  context_ = context;
}

CView::~CView() {
  if (document_) document_->RemoveView(this);
}

void CView::SetDocument(CDocument* doc) {
  if (document_) document_->RemoveView(this);
  document_ = doc;
  if (doc) doc->AddView(this);
}

CFrameWnd* CView::GetParentFrame() const {
  for (QWidget* w = parentWidget(); w; w = w->parentWidget())
    if (auto* f = dynamic_cast<CFrameWnd*>(w)) return f;
  return nullptr;
}

void CView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  CPainterDC dc(&painter);
  OnDraw(&dc);
}

void CView::focusInEvent(QFocusEvent* event) {
  QWidget::focusInEvent(event);
  if (CFrameWnd* f = GetParentFrame()) f->SetActiveView(this);
}

void CView::EnablePrinting() {
  OnCommand(ids::ID_FILE_PRINT, [this] { OnFilePrint(); });
  OnCommand(ids::ID_FILE_PRINT_DIRECT, [this] { OnFilePrint(); });
  OnCommand(ids::ID_FILE_PRINT_PREVIEW, [this] { OnFilePrintPreview(); });
  OnCommand(ids::ID_FILE_EXPORT_PDF, [this] { OnFileExportPdf(); });
}

int CView::OnPrintPages(QPagedPaintDevice& device, QString* error) {
  QPainter painter;
  if (!painter.begin(&device)) {
    if (error) *error = QStringLiteral("cannot paint on the printer");
    return 0;
  }
  CPainterDC dc(&painter);
  OnPrint(&dc);
  painter.end();
  return 1;
}

QString CView::PdfName() const {
  const CDocument* doc = GetDocument();
  const QString title = doc && !doc->GetTitle().isEmpty() ? doc->GetTitle() : QStringLiteral("print");
  return title + QStringLiteral(".pdf");
}

void CView::OnFilePrint() {
  PrintPages(GetParentFrame(), [this](QPagedPaintDevice& d, QString* e) { return OnPrintPages(d, e); });
}

void CView::OnFilePrintPreview() {
  PreviewPages(GetParentFrame(), [this](QPagedPaintDevice& d, QString* e) { return OnPrintPages(d, e); });
}

void CView::OnFileExportPdf() {
  ExportPdf(GetParentFrame(), GetDocument(), PdfName(),
            [this](QPagedPaintDevice& d, QString* e) { return OnPrintPages(d, e); });
}

// ---------------------------------------------------------------- printing

bool PrintPages(QWidget* parent, const PagePainter& paint) {
  CWinApp* app = AfxGetApp();
  QPrinter* printer = app ? app->Printer() : nullptr;
  if (!printer || !Ui().PrintDialog(parent, printer)) return false;
  QString error;
  if (paint(*printer, &error) > 0) return true;
  printer->abort();
  AfxMessageBox(QStringLiteral("Nothing was printed: %1.").arg(error), MB_OK | MB_ICONEXCLAMATION);
  return false;
}

bool PrintPagesDirectly(const PagePainter& paint) {
  CWinApp* app = AfxGetApp();
  QPrinter* printer = app ? app->Printer() : nullptr;
  if (!printer || QPrinterInfo::defaultPrinter().isNull()) {
    AfxMessageBox(QStringLiteral("No printer is set up on this computer: nothing was printed."),
                  MB_OK | MB_ICONEXCLAMATION);
    return false;
  }
  printer->setPrinterName(QPrinterInfo::defaultPrinter().printerName());
  QString error;
  if (paint(*printer, &error) > 0) return true;
  printer->abort();
  AfxMessageBox(QStringLiteral("Nothing was printed: %1.").arg(error), MB_OK | MB_ICONEXCLAMATION);
  return false;
}

void PreviewPages(QWidget* parent, const PagePainter& paint) {
  CWinApp* app = AfxGetApp();
  QPrinter* printer = app ? app->Printer() : nullptr;
  if (!printer) return;
  QPrintPreviewDialog preview(printer, parent);
  preview.setObjectName(QStringLiteral("printPreview"));
  QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview, [&paint](QPrinter* p) {
    QString error;
    paint(*p, &error);
  });
  Ui().RunModal(&preview);
}

bool ExportPdf(QWidget* parent, CDocument* doc, const QString& name, const PagePainter& paint) {
  FileDialogRequest req;
  req.open = false;
  req.title = QStringLiteral("Export PDF");
  const QString folder = doc && !doc->GetPathName().isEmpty()
                             ? QFileInfo(doc->GetPathName()).absolutePath() + QLatin1Char('/')
                             : QString();
  req.fileName = folder + name;
  req.defaultExtension = QStringLiteral("pdf");
  req.filter = QStringLiteral("PDF files (*.pdf)|*.pdf||");
  req.overwritePrompt = true;
  const QString path = PromptFileName(parent, req);
  if (path.isEmpty()) return false;
  // Made in memory and written whole: no half-written PDF is ever left.
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  QString error;
  int pages = 0;
  {
    QPdfWriter writer(&buffer);
    writer.setCreator(QStringLiteral("VEXA"));
    writer.setResolution(600);
    if (CWinApp* app = AfxGetApp(); app && app->Printer())
      writer.setPageLayout(app->Printer()->pageLayout());
    pages = paint(writer, &error);
  }
  vexa::platform::FileError fe;
  if (pages <= 0 || !vexa::platform::WriteFileAtomically(
                        QFile::encodeName(path).toStdString(),
                        std::string_view(buffer.data().constData(),
                                         static_cast<std::size_t>(buffer.data().size())),
                        &fe)) {
    AfxMessageBox(QStringLiteral("The PDF could not be written to %1.\n%2")
                      .arg(QDir::toNativeSeparators(path),
                           pages <= 0 ? error : QString::fromStdString(fe.message)),
                  MB_OK | MB_ICONEXCLAMATION);
    return false;
  }
  return true;
}

// ================================================================ CFrameWnd

CFrameWnd::CFrameWnd() {
  OnCommand(ids::ID_APP_EXIT, [this] { close(); });
  if (auto* d = QAbstractEventDispatcher::instance())
    QObject::connect(d, &QAbstractEventDispatcher::aboutToBlock, this, [this] { OnIdle(); });
}

CFrameWnd::~CFrameWnd() = default;

void CFrameWnd::SetActiveView(CView* view) {
  activeView_ = view;
}

bool CFrameWnd::RouteCommand(int id) {
  CCmdTarget* view = activeView_;
  CCmdTarget* doc = document_;
  CCmdTarget* frame = this;
  CCmdTarget* app = AfxGetApp();
  return cmdroute::Dispatch(id, view, doc, frame, app);
}

CCmdUI CFrameWnd::QueryCommandUI(int id) {
  CCmdUI ui(id);
  CCmdTarget* view = activeView_;
  CCmdTarget* doc = document_;
  CCmdTarget* frame = this;
  CCmdTarget* app = AfxGetApp();
  cmdroute::Update(ui, view, doc, frame, app);
  return ui;
}

QAction* CFrameWnd::FindAction(int id) const {
  auto it = actions_.find(id);
  return it == actions_.end() ? nullptr : it->second;
}

QAction* CFrameWnd::CommandAction(int id, const QString& text) {
  if (QAction* a = FindAction(id)) {
    if (!text.isEmpty()) a->setText(text);
    return a;
  }
  auto* a = new QAction(text, this);
  a->setData(id);
  a->setStatusTip(CommandPrompt(id));
  const QString tip = CommandTip(id);
  if (!tip.isEmpty()) a->setToolTip(tip);
  QObject::connect(a, &QAction::triggered, this, [this, id] { RouteCommand(id); });
  actions_[id] = a;
  return a;
}

static void UpdateAction(CFrameWnd* frame, QAction* a) {
  bool ok = false;
  const int id = a->data().toInt(&ok);
  if (!ok || id == 0 || a->isSeparator() || a->menu()) return;
  const CCmdUI ui = frame->QueryCommandUI(id);
  if (a->isEnabled() != ui.enabled) a->setEnabled(ui.enabled);
  if (ui.checked && !a->isCheckable()) a->setCheckable(true);
  if (a->isCheckable() && a->isChecked() != ui.checked) a->setChecked(ui.checked);
  if (ui.hasText) {
    const QString old = a->text();
    const qsizetype tab = old.indexOf(QLatin1Char('\t'));
    const QString text = tab < 0 ? ui.text : ui.text + old.mid(tab);
    if (text != old) a->setText(text);
  }
}

void CFrameWnd::UpdateMenu(QMenu* menu) {
  for (QAction* a : menu->actions())
    UpdateAction(this, a);
}

void CFrameWnd::UpdateAllActions() {
  for (auto& [id, a] : actions_)
    UpdateAction(this, a);
}

void CFrameWnd::ConnectMenu(QMenu* menu) {
  QObject::connect(menu, &QMenu::aboutToShow, this, [this, menu] { UpdateMenu(menu); });
  for (QAction* a : menu->actions())
    if (a->menu()) ConnectMenu(a->menu());
}

void CFrameWnd::OnIdle() {
  UpdateAllActions();
  OnUpdateFrameTitle();
}

void CFrameWnd::InitialUpdateFrame(CDocument* doc, bool makeVisible) {
  (void)makeVisible;
  if (!doc) return;
  for (CView* v : std::vector<CView*>(doc->Views()))
    v->OnInitialUpdate();
  OnUpdateFrameTitle();
}

void CFrameWnd::OnUpdateFrameTitle() {
  const QString app = AfxGetApp() ? AfxGetApp()->m_pszAppName : QString::fromLatin1(kProgramKey);
  // A modified document shows a star after its name, as desktop programs do.
  const QString title =
      document_ ? document_->GetTitle() + (document_->IsModified() ? QStringLiteral("*") : QString()) +
                      QStringLiteral(" - ") + app
                : app;
  if (windowTitle() != title) setWindowTitle(title);
}

void CFrameWnd::SetMessageText(const QString& text) {
  statusBar()->showMessage(text.isEmpty() ? LoadStr(ids::AFX_IDS_IDLEMESSAGE) : text);
}

void CFrameWnd::closeEvent(QCloseEvent* event) {
  if (document_ && !document_->SaveModified()) {
    event->ignore();
    return;
  }
  event->accept();
}

void CFrameWnd::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void CFrameWnd::dropEvent(QDropEvent* event) {
  const auto urls = event->mimeData()->urls();
  for (const QUrl& url : urls) {
    if (!url.isLocalFile()) continue;
    event->acceptProposedAction();
    activateWindow();
    if (CWinApp* app = AfxGetApp()) app->OpenDocumentFile(url.toLocalFile());
    break; // one document at a time
  }
}

// ================================================================ CSingleDocTemplate

CSingleDocTemplate::CSingleDocTemplate(int resourceId, std::function<CDocument*()> makeDocument,
                                       std::function<CFrameWnd*(CDocument*)> makeFrame)
    : resourceId_(resourceId), makeDocument_(std::move(makeDocument)),
      makeFrame_(std::move(makeFrame)) {}

CSingleDocTemplate::~CSingleDocTemplate() {
  CloseAll();
}

void CSingleDocTemplate::CloseAll() {
  delete frame_; // the views go with it
  frame_ = nullptr;
  document_.reset();
}

QString CSingleDocTemplate::GetDocString(DocStringIndex index) const {
  return LoadStr(resourceId_).section(QLatin1Char('\n'), index, index);
}

void CSingleDocTemplate::SetDefaultTitle(CDocument* doc) {
  QString title = GetDocString(docName);
  if (title.isEmpty()) title = LoadStr(ids::AFX_IDS_UNTITLED);
  doc->SetTitle(title);
}

CDocument* CSingleDocTemplate::OpenDocumentFile(const QString& path, bool makeVisible) {
  bool created = false;
  if (document_) {
    if (!document_->SaveModified()) return nullptr;
  } else {
    document_.reset(makeDocument_());
    created = true;
  }
  CDocument* doc = document_.get();
  if (!frame_) {
    frame_ = makeFrame_(doc);
    if (!frame_) {
      document_.reset();
      return nullptr;
    }
    created = true;
  }
  if (path.isEmpty()) {
    SetDefaultTitle(doc);
    if (!doc->OnNewDocument()) {
      if (created) CloseAll();
      return nullptr;
    }
  } else {
    const bool wasModified = doc->IsModified();
    doc->SetModifiedFlag(false);
    if (!doc->OnOpenDocument(path)) {
      if (created) {
        CloseAll();
      } else if (!doc->IsModified()) {
        doc->SetModifiedFlag(wasModified); // the document is untouched
      } else {
        // The document was cleared for loading: it becomes a new one, and the views show it.
        SetDefaultTitle(doc);
        doc->OnNewDocument();
        frame_->InitialUpdateFrame(doc, makeVisible);
      }
      return nullptr;
    }
    doc->SetPathName(path);
  }
  frame_->InitialUpdateFrame(doc, makeVisible);
  return doc;
}

// ================================================================ CWinApp

CWinApp::CWinApp() {
  g_app = this;
  RegisterFrameworkStrings();
  OnCommand(ids::ID_FILE_NEW, [this] { OnFileNew(); });
  OnCommand(ids::ID_FILE_OPEN, [this] { OnFileOpen(); });
  OnCommand(ids::ID_FILE_PRINT_SETUP, [this] { OnFilePrintSetup(); });
  OnCommandRange(ids::ID_FILE_MRU_FILE1, ids::ID_FILE_MRU_FILE1 + 15, [this](int id) {
    const int index = id - ids::ID_FILE_MRU_FILE1;
    if (index >= recent_.size()) return;
    const QString path = recent_[index];
    if (!OpenDocumentFile(path) && !QFileInfo::exists(path)) RemoveFromRecentFileList(index);
  });
  OnUpdateCommandRange(ids::ID_FILE_MRU_FILE1, ids::ID_FILE_MRU_FILE1 + 15, [this](CCmdUI& ui) {
    ui.Enable(ui.m_nID - ids::ID_FILE_MRU_FILE1 < recent_.size());
  });
}

CWinApp::~CWinApp() {
  template_.reset();
  if (g_app == this) g_app = nullptr;
}

CWinApp* CWinApp::Get() {
  return g_app;
}
CWinApp* AfxGetApp() {
  return g_app;
}

int CWinApp::ExitInstance() {
  SaveStdProfileSettings();
  return 0;
}

void CWinApp::SetRegistryKey(const QString& key) {
  profile_.SetRegistryKey(key.toStdString());
  profile_.SetAppName(m_pszAppName.toStdString());
}

void CWinApp::LoadStdProfileSettings(int maxMru) {
  maxMru_ = maxMru;
  recent_.clear();
  for (int i = 1; i <= maxMru; ++i) {
    const std::string entry = "File" + std::to_string(i);
    const std::string path = profile_.GetProfileString("Recent File List", entry);
    if (!path.empty()) recent_ << QString::fromStdString(path);
  }
}

void CWinApp::SaveStdProfileSettings() {
  if (maxMru_ <= 0) return;
  auto store = vexa::platform::RegistryStore::Default();
  for (int i = 1; i <= maxMru_; ++i) {
    const std::string entry = "File" + std::to_string(i);
    if (i <= recent_.size())
      profile_.WriteProfileString("Recent File List", entry, recent_[i - 1].toStdString());
    else
      store.DeleteValue(vexa::platform::RegRoot::CurrentUser,
                        profile_.AppKey() + "\\Recent File List", entry);
  }
}

void CWinApp::AddToRecentFileList(const QString& path) {
  if (maxMru_ <= 0) return;
  recent_.removeAll(path);
  recent_.prepend(path);
  while (recent_.size() > maxMru_)
    recent_.removeLast();
}

void CWinApp::RemoveFromRecentFileList(int index) {
  if (index >= 0 && index < recent_.size()) recent_.removeAt(index);
}

void CWinApp::AddDocTemplate(std::unique_ptr<CSingleDocTemplate> tmpl) {
  template_ = std::move(tmpl);
}

void CWinApp::OnFileNew() {
  if (template_) template_->OpenDocumentFile(QString());
}

void CWinApp::OnFileOpen() {
  FileDialogRequest req;
  req.open = true;
  req.title = QStringLiteral("Open");
  if (template_) {
    QString ext = template_->GetDocString(CSingleDocTemplate::filterExt);
    if (ext.startsWith(QLatin1Char('.'))) ext.remove(0, 1);
    req.filter = template_->GetDocString(CSingleDocTemplate::filterName) + QStringLiteral("|*.") +
                 ext + QLatin1Char('|') + LoadStr(ids::AFX_IDS_ALLFILTER) +
                 QStringLiteral("|*.*||");
  }
  const QString path = PromptFileName(MainFrame(), req);
  if (!path.isEmpty()) OpenDocumentFile(path);
}

void CWinApp::OnFilePrintSetup() {
  if (QPrinter* p = Printer(); p && Ui().PageSetupDialog(MainFrame(), p)) SavePageSetup();
}

QPrinter* CWinApp::Printer() {
  if (!printer_) {
    printer_ = std::make_unique<QPrinter>();
    LoadPageSetup();
  }
  return printer_.get();
}

namespace {
constexpr const char* kPrintSection = "Settings\\Print";
}

void CWinApp::LoadPageSetup() {
  if (!printer_) return;
  const CProfile& p = Profile();
  const int size = p.GetProfileInt(kPrintSection, "PageSize", -1);
  const int orientation = p.GetProfileInt(kPrintSection, "Orientation", -1);
  const int margin = p.GetProfileInt(kPrintSection, "MarginMicrons", -1);
  QPageLayout layout = printer_->pageLayout();
  if (size >= 0 && size <= QPageSize::LastPageSize)
    layout.setPageSize(QPageSize(static_cast<QPageSize::PageSizeId>(size)));
  if (orientation == QPageLayout::Portrait || orientation == QPageLayout::Landscape)
    layout.setOrientation(static_cast<QPageLayout::Orientation>(orientation));
  if (margin >= 0 && margin <= 100000) {
    const double mm = margin / 1000.0;
    layout.setUnits(QPageLayout::Millimeter);
    layout.setMargins(QMarginsF(mm, mm, mm, mm));
  }
  printer_->setPageLayout(layout);
}

void CWinApp::SavePageSetup() {
  if (!printer_) return;
  const QPageLayout layout = printer_->pageLayout();
  const CProfile& p = Profile();
  p.WriteProfileInt(kPrintSection, "PageSize", static_cast<int>(layout.pageSize().id()));
  p.WriteProfileInt(kPrintSection, "Orientation", static_cast<int>(layout.orientation()));
  p.WriteProfileInt(kPrintSection, "MarginMicrons",
                    static_cast<int>(layout.margins(QPageLayout::Millimeter).left() * 1000));
}

CDocument* CWinApp::OpenDocumentFile(const QString& path) {
  if (!template_) return nullptr;
  // The document already open is only brought to the front.
  if (CDocument* doc = template_->GetDocument(); doc && template_->GetFrame() &&
                                                 !doc->GetPathName().isEmpty() &&
                                                 doc->GetPathName() == CanonicalPath(path)) {
    template_->GetFrame()->activateWindow();
    return doc;
  }
  return template_->OpenDocumentFile(path);
}
