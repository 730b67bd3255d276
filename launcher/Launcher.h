#pragma once
// The uninstall launcher's run: asks to confirm, writes the uninstaller it carries into the
// Windows folder's TEMP subfolder as "zelcor.exe" and starts it with the launcher's own folder
// (the installation folder) as its command line, without waiting for it.
#include "platform/Registry.h"
#include "platform/Shell.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>

namespace vexa::launcher {

inline constexpr const char* kCaption = "VEXA Uninstall";
inline constexpr const char* kQuestion = "You sure you want to uninstall VEXA v.0.5?";
inline constexpr const char* kWinApiError = "WinAPI error.\nUninstall unaviable.";
inline constexpr const char* kInternalError = "Uninstall internal error.\nUninstall unaviable.";
inline constexpr const char* kResourceType = "EXE";
inline constexpr int kResourceId = 103;

class LauncherUi {
public:
  virtual ~LauncherUi() = default;
  // The question kQuestion with Yes and No; true only for Yes.
  virtual bool Confirm() = 0;
  // An error message box with the caption kCaption.
  virtual void ShowError(const std::string& text) = 0;
};

struct LauncherEnvironment {
  // Carries out the pending file operations (the earlier uninstaller copy) first; may be null.
  platform::RegistryStore* registry = nullptr;
  std::function<std::optional<std::string>()> windowsFolder;
  // The uninstaller's executable, byte for byte; nullopt when the launcher carries none.
  std::optional<std::span<const std::uint8_t>> uninstaller;
  // The launcher's own folder, without a trailing slash; empty when it cannot be told (the
  // uninstaller is then not started: it would take whatever folder it was started in).
  std::string ownFolder;
  platform::Shell* shell = nullptr;
};

// The exit code: 0 when the user declined or the uninstaller was started, 1 after an error.
int RunLauncher(LauncherUi& ui, const LauncherEnvironment& environment);

// The folder of an executable's path: everything from the last slash on removed ("/" stays).
std::string FolderOfProgram(const std::string& programPath);

} // namespace vexa::launcher
