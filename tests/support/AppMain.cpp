// The start of every test program that runs the window program: one application object, and
// the desktop's own files out of reach. Listed with the test's sources (the shared main finds
// it by a weak reference, which a library alone would not resolve).
#include <QApplication>

#include <cstdlib>

void VexaTestSetUp(int& argc, char** argv) {
  new QApplication(argc, argv);
  // Shell registration must never touch the user's desktop files.
  ::setenv("XDG_DATA_HOME", "/nonexistent-vexa-test-data", 1);
}
