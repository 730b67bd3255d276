// The set-up every test of the running window program shares.
#include "app/AppFixture.h"

#include <QDialog>
#include <QPushButton>
#include <QTest>

#include <cstdlib>

void VexaTestSetUp(int& argc, char** argv) {
  new QApplication(argc, argv);
  // Shell registration must never touch the user's desktop files.
  ::setenv("XDG_DATA_HOME", "/nonexistent-vexa-test-data", 1);
}

void Click(QDialog* dlg, const char* name) {
  auto* button = dlg->findChild<QPushButton*>(QString::fromLatin1(name));
  ASSERT_NE(button, nullptr) << name;
  QTest::mouseClick(button, Qt::LeftButton);
}

void SaveShot(QWidget* w, const char* name) {
  const QByteArray folder = qgetenv("VEXA_SHOTS_DIR");
  if (folder.isEmpty()) return;
  w->grab().save(QString::fromLocal8Bit(folder) + QLatin1Char('/') + QLatin1String(name));
}
