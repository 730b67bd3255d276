// The set-up every test of the running window program shares.
#include "app/AppFixture.h"

#include <cstdlib>

void VexaTestSetUp(int& argc, char** argv) {
  new QApplication(argc, argv);
  // Shell registration must never touch the user's desktop files.
  ::setenv("XDG_DATA_HOME", "/nonexistent-vexa-test-data", 1);
}

void SaveShot(QWidget* w, const char* name) {
  const QByteArray folder = qgetenv("VEXA_SHOTS_DIR");
  if (folder.isEmpty()) return;
  w->grab().save(QString::fromLocal8Bit(folder) + QLatin1Char('/') + QLatin1String(name));
}
