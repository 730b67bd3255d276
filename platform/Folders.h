#pragma once
// The folders the programs work in.
#include <optional>
#include <string>

namespace vexa::platform {

// The full path of the running executable ("/opt/vexa/zelstart"); empty when it cannot be told.
std::string ProgramPath();

// The folder of the running executable with a trailing slash ("/opt/vexa/").
std::string ProgramFolder();

// The Windows folder: $VEXA_WINDOWS_DIR, else $XDG_DATA_HOME/vexa-windows, else
// ~/.local/share/vexa-windows, without a trailing slash. Like the real one it always exists:
// it is created when missing. nullopt when it can neither be found nor created.
std::optional<std::string> WindowsFolder();

// The TEMP subfolder of a Windows folder: the folder, a slash unless it already ends in one,
// and "TEMP". Not created here.
std::string TempFolderOf(const std::string& windowsFolder);

} // namespace vexa::platform
