// zelcor: removes an installation according to its "Uninstall.log". The command line is the
// installation folder. Exits with 0 whatever happened.
#include "platform/Folders.h"
#include "platform/Registry.h"
#include "platform/Shell.h"
#include "uninstaller/ConsoleUi.h"
#include "uninstaller/Uninstaller.h"

#ifdef VEXA_WITH_WINDOWS
#include "uninstaller/UninstallWindows.h"

#include <QApplication>
#endif

#include <chrono>
#include <iostream>
#include <thread>

int main(int argc, char** argv) {
  using namespace vexa;
  // The whole command-line tail is the folder, spaces kept.
  std::string commandLine;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) commandLine += ' ';
    commandLine += argv[i];
  }
  platform::RegistryStore registry = platform::RegistryStore::Default();
  uninstaller::UninstallEnvironment environment;
  environment.registry = &registry;
  environment.windowsFolder = platform::WindowsFolder();
  environment.selfPath = platform::ProgramPath();
  environment.wait = [](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); };

#ifdef VEXA_WITH_WINDOWS
  if (!platform::UnattendedMode() && platform::DisplayAvailable()) {
    QApplication app(argc, argv);
    platform::SystemShell shell;
    uninstaller::QtUninstallUi ui(shell);
    uninstaller::RunUninstall(commandLine, ui, environment);
    return 0;
  }
#endif
  uninstaller::ConsoleUninstallUi ui(std::cerr);
  uninstaller::RunUninstall(commandLine, ui, environment);
  return 0;
}
