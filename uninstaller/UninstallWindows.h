#pragma once
// The uninstaller's windows: the progress window, the "Remove Shared Files" dialog and the
// message boxes.
#include "platform/Shell.h"
#include "uninstaller/Uninstaller.h"

#include <QDialog>

#include <memory>

class QLabel;
class QLineEdit;

namespace vexa::uninstaller {

// Button IDs of the "Remove Shared Files" dialog, the values its exec() returns.
enum RemoveSharedButton { IDYES = 6, IDNO = 7, IDNOTOALL = 102, IDYESTOALL = 104 };
// Controls: the progress window's entry text, the dialog's file name field.
inline constexpr const char* kEntryControl = "1000";
inline constexpr const char* kFileNameControl = "1600";

// The modeless progress window "Deleteing process": "Deleting object" and, below it, the
// entry being processed, on one line: a path too long for the window loses its middle to an
// ellipsis, so that its start and its file name stay in sight. No buttons; closing it from
// outside does nothing.
class CProgressWnd : public QDialog {
public:
  explicit CProgressWnd(QWidget* parent = nullptr);
  void SetEntry(const QString& entry); // shows the entry and repaints at once
  QString Entry() const;               // the whole entry, as given
  void reject() override {}

protected:
  void closeEvent(QCloseEvent* event) override;

private:
  QLabel* entry_;
  QString fullEntry_;
};

// The modal "Remove Shared Files" question. exec() returns one of the button IDs; the close
// box and Escape do nothing.
class CRemoveSharedDlg : public QDialog {
public:
  explicit CRemoveSharedDlg(const QString& path, QWidget* parent = nullptr);
  void reject() override {}

protected:
  void closeEvent(QCloseEvent* event) override;
};

// The 8-bit text of the log as the user reads it: UTF-8 when it is that, else the ANSI code
// page.
QString TextOfLogBytes(const std::string& bytes);

class QtUninstallUi final : public UninstallUi {
public:
  explicit QtUninstallUi(platform::Shell& shell);
  ~QtUninstallUi() override;
  void ShowProgress() override;
  void ShowEntry(const std::string& entry) override;
  void CloseProgress() override;
  SharedAnswer AskRemoveSharedFile(const std::string& path) override;
  void ShowMessage(const std::string& text, MessageIcon icon) override;
  void OpenReport(const std::string& path) override;

  CProgressWnd* progressWindow() const { return progress_.get(); }

private:
  platform::Shell& shell_;
  std::unique_ptr<CProgressWnd> progress_;
};

} // namespace vexa::uninstaller
