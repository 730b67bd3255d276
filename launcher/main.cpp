// zelstart: the uninstall launcher. Asks, writes the uninstaller it carries into the Windows
// folder's TEMP subfolder and starts it for the installation folder it lies in.
#include "launcher/ConsoleUi.h"
#include "launcher/Launcher.h"
#include "platform/Folders.h"
#include "platform/Resources.h"
#include "platform/Shell.h"

#ifdef VEXA_WITH_WINDOWS
#include "launcher/QtUi.h"

#include <QApplication>
#endif

#include <iostream>
#include <unistd.h>

int main(int argc, char** argv) {
  using namespace vexa;
  platform::RegistryStore registry = platform::RegistryStore::Default();
  platform::SystemShell shell;
  launcher::LauncherEnvironment environment;
  environment.registry = &registry;
  environment.windowsFolder = [] { return platform::WindowsFolder(); };
  environment.uninstaller = platform::FindResource(launcher::kResourceType, launcher::kResourceId);
  if (const std::string self = platform::ProgramPath(); !self.empty())
    environment.ownFolder = launcher::FolderOfProgram(self);
  environment.shell = &shell;

  const bool unattended = platform::UnattendedMode();
#ifdef VEXA_WITH_WINDOWS
  if (!unattended && platform::DisplayAvailable()) {
    QApplication app(argc, argv);
    launcher::QtLauncherUi ui;
    return launcher::RunLauncher(ui, environment);
  }
#else
  (void)argc;
  (void)argv;
#endif
  launcher::ConsoleLauncherUi ui(unattended, ::isatty(STDIN_FILENO) != 0, std::cin, std::cerr);
  return launcher::RunLauncher(ui, environment);
}
