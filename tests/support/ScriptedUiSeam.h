#pragma once
// The dialog seam as tests answer it.
#include "framework/UiSeam.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

// Scripted answers for tests: every message box is recorded and answered from a queue
// (IDOK/IDYES when the queue is empty... unless a default is set); file dialogs answer from a
// queue of names; modal dialogs are handed to a driver function that works their widgets.
class ScriptedUiSeam : public UiSeam {
public:
  struct Message {
    QString text;
    QString caption;
    unsigned type = 0;
  };
  std::vector<Message> messages;
  std::vector<int> answers; // used in order; when empty, defaultAnswer
  int defaultAnswer = IDOK;
  std::vector<FileDialogRequest> fileRequests;
  QStringList fileAnswers;                    // used in order; when empty, cancel
  std::function<void(QDialog*)> dialogDriver; // works the dialog, clicking OK or Cancel
  int modalRuns = 0;
  bool printAnswer = false;
  int printDialogs = 0;
  int pageSetupDialogs = 0;
  QStringList opened; // what ShellOpen was asked to open
  bool shellResult = true;

  int MessageBox(QWidget* parent, const QString& text, const QString& caption,
                 unsigned type) override;
  QString FileDialog(QWidget* parent, const FileDialogRequest& request) override;
  int RunModal(QDialog* dialog) override;
  bool PrintDialog(QWidget* parent, QPrinter* printer) override;
  bool PageSetupDialog(QWidget* parent, QPrinter* printer) override;
  bool ShellOpen(const QString& target) override;
};
