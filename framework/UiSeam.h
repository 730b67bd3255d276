#pragma once
// Message boxes, file dialogs, modal dialogs, printing dialogs and opening addresses with the
// desktop go through one seam: the real Qt dialogs in the program; tests install their own.
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

class QWidget;
class QDialog;
class QPrinter;

// Message box types and answers, numbered as the classic message box numbers them.
enum : unsigned {
  MB_OK = 0x0,
  MB_OKCANCEL = 0x1,
  MB_YESNOCANCEL = 0x3,
  MB_YESNO = 0x4,
  MB_ICONERROR = 0x10,
  MB_ICONQUESTION = 0x20,
  MB_ICONEXCLAMATION = 0x30,
  MB_ICONINFORMATION = 0x40
};
enum { IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7 };

struct FileDialogRequest {
  bool open = true; // Open or Save As
  QString title;
  QString fileName;         // proposed name (Save As) or initial folder
  QString defaultExtension; // without the dot; appended when the chosen name has none
  QString filter;           // classic form: "HTML files (*.html)|*.html||"
  bool overwritePrompt = false;
};

class UiSeam {
public:
  virtual ~UiSeam() = default;
  // Shows a message box; returns the answer (IDOK, IDYES, ...).
  virtual int MessageBox(QWidget* parent, const QString& text, const QString& caption,
                         unsigned type) = 0;
  // Asks for a file name; empty when cancelled. The name is taken as the dialog gives it;
  // the default extension and the overwrite question are the framework's (see PromptFileName).
  virtual QString FileDialog(QWidget* parent, const FileDialogRequest& request) = 0;
  // Runs a modal dialog whose data are already in its fields; returns IDOK or IDCANCEL.
  virtual int RunModal(QDialog* dialog) = 0;
  // The print and page-setup dialogs; false when cancelled.
  virtual bool PrintDialog(QWidget* parent, QPrinter* printer) = 0;
  virtual bool PageSetupDialog(QWidget* parent, QPrinter* printer) = 0;
  // Opens a file or an address with the desktop's default application.
  virtual bool ShellOpen(const QString& target) = 0;
};

// The seam in use (the real dialogs unless a test installed its own).
UiSeam& Ui();
// Installs a seam (nullptr: the real dialogs again). The caller keeps ownership.
void SetUi(UiSeam* seam);

// The classic message box of the application: the caption is the application title.
int AfxMessageBox(const QString& text, unsigned type = MB_OK | MB_ICONEXCLAMATION);
int AfxMessageBox(int stringId, unsigned type = MB_OK | MB_ICONEXCLAMATION);
// Sets the caption and the owner used by AfxMessageBox.
void SetMessageBoxOwner(QWidget* owner, const QString& caption);

// Runs the file dialog, then adds the default extension to a name without one and, when asked,
// confirms before replacing an existing file. Empty when cancelled.
QString PromptFileName(QWidget* parent, const FileDialogRequest& request);

// The name a Save As dialog proposes for a file made from a document: `name` in the folder of
// the document's file, so the dialog starts there, or `name` alone while the document has no
// file.
QString BesideDocument(const QString& documentPath, const QString& name);

// Turns "Text (*.a)|*.a|All (*.*)|*.*||" into Qt's "Text (*.a);;All (*.*)".
QString QtFilterFromClassic(const QString& classic);

// The real dialogs.
class QtUiSeam : public UiSeam {
public:
  int MessageBox(QWidget* parent, const QString& text, const QString& caption,
                 unsigned type) override;
  QString FileDialog(QWidget* parent, const FileDialogRequest& request) override;
  int RunModal(QDialog* dialog) override;
  bool PrintDialog(QWidget* parent, QPrinter* printer) override;
  bool PageSetupDialog(QWidget* parent, QPrinter* printer) override;
  bool ShellOpen(const QString& target) override;
};
