#pragma once
// The document/view framework: the document with its modified flag, title and path, New, Open,
// Save and Save As, the prompt to save changes; views; the frame that routes commands and
// updates their state; the application with its profile and recent-file list; the
// single-document template that ties them together.
#include "framework/CmdTarget.h"
#include "framework/ViewContext.h"
#include "gui/Profile.h"

#include <QMainWindow>
#include <QString>
#include <QStringList>
#include <QUndoCommand>
#include <QUndoStack>
#include <QWidget>

#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace vexa {
class Archive;
}
using CArchive = vexa::Archive;

class CDC;
class CView;
class CFrameWnd;
class CWinApp;
class QAction;
class QMenu;
class QPagedPaintDevice;
class QPrinter;

// Thrown while a document is read when the user cancels the reading: the document is left new
// and empty, and no message is shown.
struct CUserCancelled {};

class CDocument : public CCmdTarget {
public:
  CDocument();
  ~CDocument() override;

  const QString& GetTitle() const { return title_; }
  virtual void SetTitle(const QString& title);
  const QString& GetPathName() const { return path_; }
  // Sets the path, the title from the file name and, when asked, adds it to the recent files.
  virtual void SetPathName(const QString& path, bool addToMru = true);
  void ClearPathName() { path_.clear(); }
  // Modified: a change since the last save, by a command still on the history or outside it.
  bool IsModified() const { return modified_ || !undo_.isClean(); }
  // True: a change that is not on the history. False: saved, loaded or new; the history's
  // present state becomes the clean one.
  void SetModifiedFlag(bool modified = true);

  // The document's history. Every change of the document goes on it as a command, so Edit →
  // Undo and Redo can take it back and do it again; undoing back to the saved state makes the
  // document unmodified again.
  QUndoStack& UndoStack() { return undo_; }
  // Puts a change that has just been made on the history (CChange: its first redo does
  // nothing).
  void PushChange(QUndoCommand* change);

  virtual bool OnNewDocument();
  virtual bool OnOpenDocument(const QString& path);
  virtual bool OnSaveDocument(const QString& path);
  virtual void DeleteContents() {}
  virtual void Serialize(CArchive& ar) { (void)ar; }
  // Asks whether to save a modified document; false when the user cancelled or saving failed.
  virtual bool SaveModified();
  // Save As with a dialog (path empty) or to path; replace: the document takes the new path.
  bool DoSave(const QString& path, bool replace = true);
  bool DoFileSave();

  // Stores what views hold but have not stored yet (a value typed into a cell without Enter).
  // False when a view refuses what it holds (it keeps it, and says why): the command that
  // asked must not go on.
  bool CommitPendingEdits();

  void AddView(CView* view);
  void RemoveView(CView* view);
  const std::vector<CView*>& Views() const { return views_; }
  void UpdateAllViews(CView* sender, long hint = 0);
  CFrameWnd* GetFrame() const;

protected:
  // Shows the framework's message for a failed load or save.
  virtual void ReportSaveLoadException(const QString& path, int cause, bool saving, int defaultId);

private:
  QString title_;
  QString path_;
  bool modified_ = false;
  QUndoStack undo_;
  std::vector<CView*> views_;
};

// A change that has already been made when it is put on the history: the history's first
// redo does nothing; later ones call Apply, and undo calls Revert.
class CChange : public QUndoCommand {
public:
  explicit CChange(const QString& text) : QUndoCommand(text) {}
  void redo() final {
    if (first_) {
      first_ = false;
      return;
    }
    Apply();
  }
  void undo() final { Revert(); }

protected:
  virtual void Apply() = 0;
  virtual void Revert() = 0;

private:
  bool first_ = true;
};

class CView : public QWidget, public CCmdTarget {
public:
  explicit CView(QWidget* parent = nullptr);
  // A view handed what it needs of the program (see ViewContext).
  CView(const ViewContext& context, QWidget* parent);
  ~CView() override;
  const ViewContext& Context() const { return context_; }

  CDocument* GetDocument() const { return document_; }
  void SetDocument(CDocument* doc);
  CFrameWnd* GetParentFrame() const;
  // The run-time class name ("CRView7").
  virtual const char* GetRuntimeClassName() const { return "CView"; }

  virtual void OnInitialUpdate() { OnUpdate(nullptr, 0); }
  virtual void OnUpdate(CView* sender, long hint) {
    (void)sender, (void)hint;
    update();
  }
  virtual void OnDraw(CDC* pDC) { (void)pDC; }
  // Stores an edit the view holds but has not stored yet; false when it cannot be stored (the
  // view keeps it and says why). See CDocument::CommitPendingEdits.
  virtual bool CommitPendingEdit() { return true; }

  // Printing: the print commands run these when the view maps them.
  virtual void OnPrint(CDC* pDC) { OnDraw(pDC); }
  // Paints what the view prints on a paged device (a printer, a PDF writer), page by page;
  // returns the pages painted, 0 with *error saying why. By default: OnPrint on one page.
  virtual int OnPrintPages(QPagedPaintDevice& device, QString* error);
  // The name proposed for the view's PDF ("acid.pdf", "acid-graph.pdf").
  virtual QString PdfName() const;
  void OnFilePrint();
  void OnFilePrintPreview();
  void OnFileExportPdf();

protected:
  // Maps Print, Print Preview and Export PDF to the framework's printing of this view.
  void EnablePrinting();
  void paintEvent(QPaintEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;

private:
  CDocument* document_ = nullptr;
  ViewContext context_;
};

class CFrameWnd : public QMainWindow, public CCmdTarget {
public:
  CFrameWnd();
  ~CFrameWnd() override;

  CView* GetActiveView() const { return activeView_; }
  virtual void SetActiveView(CView* view);
  CDocument* GetActiveDocument() const { return document_; }
  void SetDocument(CDocument* doc) { document_ = doc; }

  // Routes a command: the active view, the document, the frame, the application.
  bool RouteCommand(int id);
  // The state of a command along the same route.
  CCmdUI QueryCommandUI(int id);
  // Sends a command as a menu choice would.
  void SendCommand(int id) { RouteCommand(id); }

  // The action of a command, created on first request (text from the argument when given).
  QAction* CommandAction(int id, const QString& text = {});
  QAction* FindAction(int id) const;
  // Updates the state of every action of a menu (before it opens) or of every action.
  void UpdateMenu(QMenu* menu);
  void UpdateAllActions();
  // Idle processing: the toolbar and the status bar.
  virtual void OnIdle();
  // A text in the status bar's message pane; an empty text shows the idle message.
  virtual void SetMessageText(const QString& text);
  // The document tells its frame what changed, as it tells its views (UpdateAllViews).
  virtual void OnDocumentUpdate(CView* sender, long hint) { (void)sender, (void)hint; }

  // Every view of the document takes its initial update; the caption is renewed.
  virtual void InitialUpdateFrame(CDocument* doc, bool makeVisible);
  virtual void OnUpdateFrameTitle();

protected:
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void ConnectMenu(QMenu* menu);

private:
  CView* activeView_ = nullptr;
  CDocument* document_ = nullptr;
  std::map<int, QAction*> actions_;
};

// Binds the document and frame of a single-document program.
class CSingleDocTemplate {
public:
  CSingleDocTemplate(int resourceId, std::function<CDocument*()> makeDocument,
                     std::function<CFrameWnd*(CDocument*)> makeFrame);
  ~CSingleDocTemplate();

  enum DocStringIndex {
    windowTitle,
    docName,
    fileNewName,
    filterName,
    filterExt,
    regFileTypeId,
    regFileTypeName
  };
  QString GetDocString(DocStringIndex index) const;
  // New (path empty) or open. Returns the document, or nullptr when it failed (after the
  // framework's message).
  CDocument* OpenDocumentFile(const QString& path, bool makeVisible = true);
  CDocument* GetDocument() const { return document_.get(); }
  CFrameWnd* GetFrame() const { return frame_; }
  void SetDefaultTitle(CDocument* doc);
  void CloseAll();

private:
  int resourceId_;
  std::function<CDocument*()> makeDocument_;
  std::function<CFrameWnd*(CDocument*)> makeFrame_;
  std::unique_ptr<CDocument> document_;
  CFrameWnd* frame_ = nullptr;
};

class CWinApp : public CCmdTarget {
public:
  CWinApp();
  ~CWinApp() override;
  // The one application object.
  static CWinApp* Get();

  virtual bool InitInstance() { return true; }
  virtual int ExitInstance();

  // The profile under HKEY_CURRENT_USER\Software\<key>\<application title>.
  void SetRegistryKey(const QString& key);
  const CProfile& Profile() const { return profile_; }
  int GetProfileInt(const std::string& section, const std::string& entry, int def) const {
    return profile_.GetProfileInt(section, entry, def);
  }
  bool WriteProfileInt(const std::string& section, const std::string& entry, int value) const {
    return profile_.WriteProfileInt(section, entry, value);
  }
  // Reads the recent-file list ("Recent File List", "File1" ...).
  void LoadStdProfileSettings(int maxMru = 4);
  void SaveStdProfileSettings();
  void AddToRecentFileList(const QString& path);
  void RemoveFromRecentFileList(int index);
  const QStringList& RecentFiles() const { return recent_; }

  void AddDocTemplate(std::unique_ptr<CSingleDocTemplate> tmpl);
  CSingleDocTemplate* DocTemplate() const { return template_.get(); }
  CFrameWnd* MainFrame() const { return template_ ? template_->GetFrame() : nullptr; }

  void OnFileNew();
  void OnFileOpen();
  void OnFilePrintSetup();
  // The page setup of the printer, kept in the settings store ("Settings\Print").
  void LoadPageSetup();
  void SavePageSetup();
  // Opens a file, as File Open does after its dialog.
  virtual CDocument* OpenDocumentFile(const QString& path);
  QPrinter* Printer();

  QString m_pszAppName = QString::fromLatin1(kProgramKey);

private:
  CProfile profile_;
  QStringList recent_;
  int maxMru_ = 0;
  std::unique_ptr<CSingleDocTemplate> template_;
  std::unique_ptr<QPrinter> printer_;
};

CWinApp* AfxGetApp();

// Printing: a function that paints pages on a paged device (a printer, a PDF writer) and
// returns how many, 0 with *error saying why.
using PagePainter = std::function<int(QPagedPaintDevice& device, QString* error)>;
// Print with the print dialog; the user is told when nothing could be printed.
bool PrintPages(QWidget* parent, const PagePainter& paint);
// Print on the default printer without a dialog; without a printer the user is told so.
bool PrintPagesDirectly(const PagePainter& paint);
// The print preview dialog.
void PreviewPages(QWidget* parent, const PagePainter& paint);
// Asks for a PDF file (in the document's folder, `name` proposed), makes the PDF in memory
// with the printer's page setup, and writes it whole.
bool ExportPdf(QWidget* parent, CDocument* doc, const QString& name, const PagePainter& paint);
