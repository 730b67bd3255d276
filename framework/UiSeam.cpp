#include "framework/UiSeam.h"

#include "resources/Ids.h"
#include "gui/Strings.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>

namespace {
QtUiSeam& RealSeam() {
  static QtUiSeam seam;
  return seam;
}
UiSeam* g_seam = nullptr;
QPointer<QWidget> g_owner;
QString g_caption;
} // namespace

UiSeam& Ui() {
  return g_seam ? *g_seam : RealSeam();
}
void SetUi(UiSeam* seam) {
  g_seam = seam;
}

void SetMessageBoxOwner(QWidget* owner, const QString& caption) {
  g_owner = owner;
  g_caption = caption;
}

int AfxMessageBox(const QString& text, unsigned type) {
  const QString caption = g_caption.isEmpty() ? LoadStr(ids::AFX_IDS_APP_TITLE) : g_caption;
  return Ui().MessageBox(g_owner.data(), text, caption, type);
}

int AfxMessageBox(int stringId, unsigned type) {
  return AfxMessageBox(LoadStr(stringId), type);
}

QString QtFilterFromClassic(const QString& classic) {
  const QStringList parts = classic.split(QLatin1Char('|'));
  QStringList out;
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    if (parts[i].isEmpty()) break;
    QString name = parts[i];
    const QString patterns = QString(parts[i + 1]).replace(QLatin1Char(';'), QLatin1Char(' '));
    if (!name.contains(QLatin1Char('(')))
      name += QStringLiteral(" (") + patterns + QLatin1Char(')');
    out << name;
  }
  return out.join(QStringLiteral(";;"));
}

QString PromptFileName(QWidget* parent, const FileDialogRequest& request) {
  QString name = Ui().FileDialog(parent, request);
  if (name.isEmpty()) return {};
  const QFileInfo info(name);
  if (!request.defaultExtension.isEmpty() && info.suffix().isEmpty() &&
      !name.endsWith(QLatin1Char('.')))
    name += QLatin1Char('.') + request.defaultExtension;
  if (!request.open && request.overwritePrompt && QFileInfo::exists(name)) {
    const QString q = FormatMessage(ids::AFX_IDP_FILE_REPLACE, QFileInfo(name).fileName());
    const QString caption = request.title.isEmpty() ? QStringLiteral("Save As") : request.title;
    if (Ui().MessageBox(parent, q, caption, MB_YESNO | MB_ICONEXCLAMATION) != IDYES) return {};
  }
  return name;
}

QString BesideDocument(const QString& documentPath, const QString& name) {
  if (documentPath.isEmpty()) return name;
  return QFileInfo(documentPath).absoluteDir().filePath(name);
}

// ---------------------------------------------------------------- the real dialogs

int QtUiSeam::MessageBox(QWidget* parent, const QString& text, const QString& caption,
                         unsigned type) {
  QMessageBox box(parent);
  box.setWindowTitle(caption);
  box.setText(text);
  switch (type & 0xF0) {
  case MB_ICONERROR: box.setIcon(QMessageBox::Critical); break;
  case MB_ICONQUESTION: box.setIcon(QMessageBox::Question); break;
  case MB_ICONEXCLAMATION: box.setIcon(QMessageBox::Warning); break;
  case MB_ICONINFORMATION: box.setIcon(QMessageBox::Information); break;
  default: break;
  }
  switch (type & 0x0F) {
  case MB_OKCANCEL: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
  case MB_YESNOCANCEL:
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    break;
  case MB_YESNO: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
  default: box.setStandardButtons(QMessageBox::Ok); break;
  }
  switch (box.exec()) {
  case QMessageBox::Yes: return IDYES;
  case QMessageBox::No: return IDNO;
  case QMessageBox::Cancel: return IDCANCEL;
  default: return IDOK;
  }
}

QString QtUiSeam::FileDialog(QWidget* parent, const FileDialogRequest& request) {
  QFileDialog dlg(parent, request.title);
  dlg.setAcceptMode(request.open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
  dlg.setFileMode(request.open ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
  dlg.setNameFilter(QtFilterFromClassic(request.filter));
  dlg.setOption(QFileDialog::DontConfirmOverwrite, true); // the framework asks itself
  if (!request.defaultExtension.isEmpty()) dlg.setDefaultSuffix(request.defaultExtension);
  if (!request.fileName.isEmpty()) {
    const QFileInfo info(request.fileName);
    if (info.isDir())
      dlg.setDirectory(request.fileName);
    else
      dlg.selectFile(request.fileName);
  }
  if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return {};
  return dlg.selectedFiles().first();
}

int QtUiSeam::RunModal(QDialog* dialog) {
  return dialog->exec() == QDialog::Accepted ? IDOK : IDCANCEL;
}

bool QtUiSeam::PrintDialog(QWidget* parent, QPrinter* printer) {
  QPrintDialog dlg(printer, parent);
  return dlg.exec() == QDialog::Accepted;
}

bool QtUiSeam::PageSetupDialog(QWidget* parent, QPrinter* printer) {
  QPageSetupDialog dlg(printer, parent);
  return dlg.exec() == QDialog::Accepted;
}

bool QtUiSeam::ShellOpen(const QString& target) {
  return QProcess::startDetached(QStringLiteral("xdg-open"), {target});
}
