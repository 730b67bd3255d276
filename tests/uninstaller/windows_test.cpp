#include "common/TempDir.h"
#include "platform/Registry.h"
#include "uninstaller/UninstallWindows.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <filesystem>
#include <functional>
#include <memory>

void VexaTestSetUp(int& argc, char** argv) {
  new QApplication(argc, argv);
}

namespace {

namespace fs = std::filesystem;
using namespace vexa::uninstaller;

// Acts on the next modal window once it is up (the dialog's own event loop is running then).
void WhenModalShows(std::function<void(QWidget*)> act) {
  auto poll = std::make_shared<std::function<void()>>();
  *poll = [act, poll] {
    if (QWidget* modal = QApplication::activeModalWidget(); modal && modal->isVisible()) {
      act(modal);
    } else {
      QTimer::singleShot(5, *poll);
    }
  };
  QTimer::singleShot(0, *poll);
}

void Click(QWidget* window, int id) {
  auto* button = window->findChild<QPushButton*>(QString::number(id));
  ASSERT_NE(button, nullptr) << id;
  QTest::mouseClick(button, Qt::LeftButton);
}

class RecordingShell : public vexa::platform::Shell {
public:
  bool Open(const std::string& target) override {
    opened.push_back(target);
    return true;
  }
  bool Start(const std::string&, const std::string&) override { return false; }
  std::vector<std::string> opened;
};

TEST(RemoveSharedDlg, ShowsTheFileAndFourButtonsInOrder) {
  CRemoveSharedDlg dialog("/usr/lib/shared thing.so");
  dialog.show();
  EXPECT_EQ(dialog.windowTitle(), "Remove Shared Files");
  auto* name = dialog.findChild<QLineEdit*>("1600");
  ASSERT_NE(name, nullptr);
  EXPECT_EQ(name->text(), "/usr/lib/shared thing.so");
  EXPECT_TRUE(name->isReadOnly());

  QStringList texts;
  for (auto* label : dialog.findChildren<QLabel*>())
    texts << label->text();
  EXPECT_TRUE(texts.contains(
      "The system indicates that the following shared file is no longer used by any programs.  "
      "If any programs are still using this file and it is removed, those programs may not "
      "function.  Are you sure you want to remove the shared file?"));
  EXPECT_TRUE(texts.contains("Leaving this file will not harm your system.  If you are not sure "
                             "what to do, it is suggested that you choose to not remove this "
                             "shared component."));
  EXPECT_TRUE(texts.contains("File name:"));

  std::vector<std::pair<int, QString>> buttons;
  for (int id : {IDYES, IDYESTOALL, IDNO, IDNOTOALL}) {
    auto* b = dialog.findChild<QPushButton*>(QString::number(id));
    ASSERT_NE(b, nullptr);
    buttons.emplace_back(b->mapTo(&dialog, QPoint(0, 0)).x(), b->text());
  }
  std::sort(buttons.begin(), buttons.end());
  EXPECT_EQ(buttons[0].second, "&Yes");
  EXPECT_EQ(buttons[1].second, "Yes To &All");
  EXPECT_EQ(buttons[2].second, "&No");
  EXPECT_EQ(buttons[3].second, "N&o To All");
  EXPECT_TRUE(dialog.findChild<QPushButton*>("6")->isDefault());
}

TEST(RemoveSharedDlg, OnlyItsButtonsCloseIt) {
  for (int id : {IDYES, IDYESTOALL, IDNO, IDNOTOALL}) {
    CRemoveSharedDlg dialog("/lib/x.so");
    bool stillOpen = false;
    WhenModalShows([&](QWidget* w) {
      QTest::keyClick(w, Qt::Key_Escape);
      w->close();
      stillOpen = w->isVisible();
      Click(w, id);
    });
    EXPECT_EQ(dialog.exec(), id);
    EXPECT_TRUE(stillOpen) << id;
  }
  // Enter takes the default button, Yes.
  CRemoveSharedDlg dialog("/lib/x.so");
  WhenModalShows([](QWidget* w) { QTest::keyClick(w, Qt::Key_Return); });
  EXPECT_EQ(dialog.exec(), IDYES);
}

TEST(QtUninstallUi, ProgressWindowShowsEachEntry) {
  RecordingShell shell;
  QtUninstallUi ui(shell);
  ui.ShowProgress();
  CProgressWnd* window = ui.progressWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(window->isVisible());
  EXPECT_FALSE(window->isModal());
  EXPECT_EQ(window->windowTitle(), "Deleteing process");
  QStringList texts;
  for (auto* label : window->findChildren<QLabel*>())
    texts << label->text();
  EXPECT_TRUE(texts.contains("Deleting object"));
  ui.ShowEntry("/opt/vexa/orlith");
  auto* entry = window->findChild<QLabel*>("1000");
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(entry->text(), "/opt/vexa/orlith");
  // Entries in the ANSI code page are shown as the user wrote them.
  ui.ShowEntry("/opt/\xcf\xf0\xe8\xec\xe5\xf0");
  EXPECT_EQ(entry->text(), QString::fromUtf8("/opt/Пример"));
  // A path too long for the window keeps its start and its file name on the one line shown.
  const QSize size = window->size();
  const std::string longPath = "/opt/vexa/" + std::string(600, 'x') + "/weak-acid.vexa";
  ui.ShowEntry(longPath);
  EXPECT_EQ(window->Entry().toStdString(), longPath);
  EXPECT_TRUE(entry->text().startsWith("/opt/vexa/")) << entry->text().toStdString();
  EXPECT_TRUE(entry->text().endsWith("/weak-acid.vexa")) << entry->text().toStdString();
  EXPECT_LE(entry->fontMetrics().horizontalAdvance(entry->text()), entry->width());
  EXPECT_EQ(window->size(), size);
  window->close();
  EXPECT_TRUE(window->isVisible());
  ui.CloseProgress();
  EXPECT_EQ(ui.progressWindow(), nullptr);
}

TEST(QtUninstallUi, AnswersComeFromTheDialogsButtons) {
  RecordingShell shell;
  QtUninstallUi ui(shell);
  const std::pair<int, SharedAnswer> cases[] = {{IDYES, SharedAnswer::Yes},
                                                {IDYESTOALL, SharedAnswer::YesToAll},
                                                {IDNO, SharedAnswer::No},
                                                {IDNOTOALL, SharedAnswer::NoToAll}};
  for (const auto& [id, answer] : cases) {
    QString shownPath;
    WhenModalShows([&, id = id](QWidget* w) {
      shownPath = w->findChild<QLineEdit*>("1600")->text();
      Click(w, id);
    });
    EXPECT_EQ(ui.AskRemoveSharedFile("/lib/a.so"), answer);
    EXPECT_EQ(shownPath, "/lib/a.so");
  }
  // Ended without an answer (the session closing, say): the file is kept.
  WhenModalShows([](QWidget* w) { qobject_cast<QDialog*>(w)->done(QDialog::Rejected); });
  EXPECT_EQ(ui.AskRemoveSharedFile("/lib/a.so"), SharedAnswer::No);
}

TEST(QtUninstallUi, MessagesCarryTheCaptionAndTheReportIsOpenedThroughTheShell) {
  RecordingShell shell;
  QtUninstallUi ui(shell);
  QString title, text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  WhenModalShows([&](QWidget* w) {
    auto* box = qobject_cast<QMessageBox*>(w);
    ASSERT_NE(box, nullptr);
    title = box->windowTitle();
    text = box->text();
    icon = box->icon();
    box->button(QMessageBox::Ok)->click();
  });
  ui.ShowMessage(OutcomeMessage(true, false), MessageIcon::Information);
  EXPECT_EQ(title, "Deleting Vexa program");
  EXPECT_EQ(text.toStdString(), OutcomeMessage(true, false));
  EXPECT_EQ(icon, QMessageBox::Information);

  WhenModalShows([&](QWidget* w) {
    icon = qobject_cast<QMessageBox*>(w)->icon();
    qobject_cast<QMessageBox*>(w)->button(QMessageBox::Ok)->click();
  });
  ui.ShowMessage("Can't find <Uninstall.log> file./x/Uninstall.log", MessageIcon::Error);
  EXPECT_EQ(icon, QMessageBox::Critical);

  ui.OpenReport("/w/TEMP/uninstall_troubles.txt");
  EXPECT_EQ(shell.opened, std::vector<std::string>{"/w/TEMP/uninstall_troubles.txt"});
}

TEST(QtUninstallUi, RunsAWholeUninstallWithTheRealDialogs) {
  vexa::test::TempDir dir;
  vexa::platform::RegistryStore registry(dir / "registry");
  const std::string shared = dir / "shared.so";
  vexa::test::WriteFile(shared, "x");
  vexa::test::WriteFile(dir / "Uninstall.log",
                        "[SYSTEM]\r\n" + shared + "\r\n[HOME]\r\n/no/such\r\n");
  ASSERT_TRUE(registry.SetValue(vexa::platform::RegRoot::LocalMachine, kSharedDllsKey, shared,
                                vexa::platform::RegValue::Dword(1)));
  RecordingShell shell;
  QtUninstallUi ui(shell);
  UninstallEnvironment env;
  env.registry = &registry;
  env.windowsFolder = dir / "windows";
  QString message;
  WhenModalShows([&](QWidget* w) {
    Click(w, IDYES);
    WhenModalShows([&](QWidget* box) {
      message = qobject_cast<QMessageBox*>(box)->text();
      qobject_cast<QMessageBox*>(box)->button(QMessageBox::Ok)->click();
    });
  });
  const UninstallOutcome outcome = RunUninstall(dir.path(), ui, env);
  EXPECT_FALSE(fs::exists(shared));
  EXPECT_EQ(message.toStdString(), OutcomeMessage(true, false));
  EXPECT_EQ(shell.opened, std::vector<std::string>{outcome.reportPath});
  EXPECT_EQ(ui.progressWindow(), nullptr);
}

} // namespace
