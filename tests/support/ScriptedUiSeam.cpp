#include "support/ScriptedUiSeam.h"

#include <QApplication>
#include <QDialog>

int ScriptedUiSeam::MessageBox(QWidget*, const QString& text, const QString& caption,
                               unsigned type) {
  messages.push_back(Message{text, caption, type});
  if (answers.empty()) return defaultAnswer;
  const int a = answers.front();
  answers.erase(answers.begin());
  return a;
}

QString ScriptedUiSeam::FileDialog(QWidget*, const FileDialogRequest& request) {
  fileRequests.push_back(request);
  if (fileAnswers.isEmpty()) return {};
  return fileAnswers.takeFirst();
}

int ScriptedUiSeam::RunModal(QDialog* dialog) {
  ++modalRuns;
  dialog->setResult(-1);
  dialog->show();
  QApplication::processEvents();
  if (dialogDriver) dialogDriver(dialog);
  const int result = dialog->result();
  dialog->hide();
  return result == QDialog::Accepted ? IDOK : IDCANCEL;
}

bool ScriptedUiSeam::PrintDialog(QWidget*, QPrinter*) {
  ++printDialogs;
  return printAnswer;
}

bool ScriptedUiSeam::PageSetupDialog(QWidget*, QPrinter*) {
  ++pageSetupDialogs;
  return printAnswer;
}

bool ScriptedUiSeam::ShellOpen(const QString& target) {
  opened << target;
  return shellResult;
}
