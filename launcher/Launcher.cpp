#include "launcher/Launcher.h"

#include "platform/AtomicFile.h"
#include "platform/Folders.h"
#include "platform/PendingFileOperations.h"

#include <string_view>
#include <sys/stat.h>

namespace vexa::launcher {

std::string FolderOfProgram(const std::string& programPath) {
  const auto slash = programPath.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return programPath.substr(0, slash);
}

int RunLauncher(LauncherUi& ui, const LauncherEnvironment& env) {
  // The nearest this platform has to a restart: an earlier copy of the uninstaller goes now.
  if (env.registry) platform::RunPendingFileOperations(*env.registry);

  if (!ui.Confirm()) return 0;

  const std::optional<std::string> windows = env.windowsFolder ? env.windowsFolder() : std::nullopt;
  if (!windows) {
    ui.ShowError(kWinApiError);
    return 1;
  }
  auto internalError = [&] {
    ui.ShowError(kInternalError);
    return 1;
  };
  if (!env.uninstaller || env.uninstaller->empty()) return internalError();

  const std::string temp = platform::TempFolderOf(*windows);
  ::mkdir(temp.c_str(), 0755); // an existing folder, or a failure, shows in the next step
  const std::string target = temp + "/zelcor.exe";
  // Written whole or not at all; a copy still running from an earlier launch keeps its file.
  const std::string_view bytes(reinterpret_cast<const char*>(env.uninstaller->data()),
                               env.uninstaller->size());
  if (!platform::WriteFileAtomically(target, bytes, nullptr, 0755)) return internalError();
  if (::chmod(target.c_str(), 0755) != 0) return internalError();

  if (env.ownFolder.empty()) return internalError();
  if (!env.shell || !env.shell->Start(target, env.ownFolder)) return internalError();
  return 0;
}

} // namespace vexa::launcher
