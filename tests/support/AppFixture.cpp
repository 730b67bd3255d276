// What the tests of the running window program share.
#include "support/AppFixture.h"

#include <QDialog>
#include <QPushButton>
#include <QTest>

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
