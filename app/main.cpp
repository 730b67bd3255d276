// orlith: the window program.
#include "app/TitrationApp.h"

#include <QApplication>

#include <clocale>

int main(int argc, char** argv) {
  QApplication qapp(argc, argv);
  std::setlocale(LC_NUMERIC, "C"); // numbers are written with a decimal point
  CTitrationApp app;
  switch (app.Startup(QCoreApplication::arguments().mid(1))) {
  case CTitrationApp::Start::Failed: app.ExitInstance(); return 1;
  case CTitrationApp::Start::Done: app.ExitInstance(); return 0;
  case CTitrationApp::Start::Run: break;
  }
  const int code = QApplication::exec();
  app.ExitInstance();
  return code;
}
