// orlith: the window program.
#include "app/TitrationApp.h"

#include <QApplication>

#include <clocale>
#include <cstdio>
#include <cstring>

#ifndef VEXA_VERSION
#define VEXA_VERSION "0.5.0"
#endif

namespace {

constexpr const char* kUsage =
    "usage: orlith [FILE]\n"
    "       orlith /p FILE     print the report of FILE on the default printer and end\n"
    "       orlith --help | --version\n"
    "\n"
    "orlith analyses potentiometric acid-base titrations by the linearised titration-function\n"
    "method. FILE is a .vexa file; a running orlith opens it when one is already open.\n";

// --help and --version answer on the terminal, without a display.
bool AnsweredOnTheTerminal(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--") == 0) return false;
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      std::fputs(kUsage, stdout);
      return true;
    }
    if (std::strcmp(argv[i], "--version") == 0) {
      std::fputs("orlith " VEXA_VERSION "\n", stdout);
      return true;
    }
  }
  return false;
}

} // namespace

int main(int argc, char** argv) {
  if (AnsweredOnTheTerminal(argc, argv)) return 0;
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
