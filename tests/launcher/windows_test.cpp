#include "launcher/QtUi.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <functional>
#include <memory>

void VexaTestSetUp(int& argc, char** argv) {
  new QApplication(argc, argv);
}

namespace {

using vexa::launcher::QtLauncherUi;

// Acts on the next message box once it is up.
void WhenBoxShows(std::function<void(QMessageBox*)> act) {
  auto poll = std::make_shared<std::function<void()>>();
  *poll = [act, poll] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        box && box->isVisible()) {
      act(box);
    } else {
      QTimer::singleShot(5, *poll);
    }
  };
  QTimer::singleShot(0, *poll);
}

TEST(QtLauncherUi, AsksTheQuestionWithYesAndNo) {
  QtLauncherUi ui;
  for (const auto& [button, expected] :
       {std::pair{QMessageBox::Yes, true}, std::pair{QMessageBox::No, false}}) {
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    WhenBoxShows([&, button = button](QMessageBox* box) {
      title = box->windowTitle();
      text = box->text();
      icon = box->icon();
      buttons = box->standardButtons();
      box->button(button)->click();
    });
    EXPECT_EQ(ui.Confirm(), expected);
    EXPECT_EQ(title, "VEXA Uninstall");
    EXPECT_EQ(text, "You sure you want to uninstall VEXA v.0.5?");
    EXPECT_EQ(icon, QMessageBox::Question);
    EXPECT_EQ(buttons, QMessageBox::Yes | QMessageBox::No);
  }
  // Closing the box is no Yes.
  WhenBoxShows([](QMessageBox* box) { box->reject(); });
  EXPECT_FALSE(ui.Confirm());
}

TEST(QtLauncherUi, ErrorsAreErrorBoxes) {
  QtLauncherUi ui;
  QString title, text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  WhenBoxShows([&](QMessageBox* box) {
    title = box->windowTitle();
    text = box->text();
    icon = box->icon();
    box->button(QMessageBox::Ok)->click();
  });
  ui.ShowError("Uninstall internal error.\nUninstall unaviable.");
  EXPECT_EQ(title, "VEXA Uninstall");
  EXPECT_EQ(text, "Uninstall internal error.\nUninstall unaviable.");
  EXPECT_EQ(icon, QMessageBox::Critical);
}

} // namespace
