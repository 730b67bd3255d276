#include "platform/Folders.h"

#include <cstdlib>
#include <filesystem>
#include <pwd.h>
#include <unistd.h>

namespace vexa::platform {

namespace {

std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return v ? std::string(v) : std::string();
}

std::string Home() {
  std::string home = Env("HOME");
  if (home.empty())
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) home = pw->pw_dir;
  return home;
}

} // namespace

std::string ProgramPath() {
  std::error_code ec;
  const auto path = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::string() : path.string();
}

std::string ProgramFolder() {
  const std::string path = ProgramPath();
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return "./";
  return path.substr(0, slash + 1);
}

std::optional<std::string> WindowsFolder() {
  std::string dir = Env("VEXA_WINDOWS_DIR");
  if (dir.empty()) {
    std::string data = Env("XDG_DATA_HOME");
    if (data.empty()) {
      const std::string home = Home();
      if (home.empty()) return std::nullopt;
      data = home + "/.local/share";
    }
    dir = data + "/vexa-windows";
  }
  while (dir.size() > 1 && dir.back() == '/')
    dir.pop_back();
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (!std::filesystem::is_directory(dir, ec)) return std::nullopt;
  return dir;
}

std::string TempFolderOf(const std::string& windowsFolder) {
  if (!windowsFolder.empty() && windowsFolder.back() == '/') return windowsFolder + "TEMP";
  return windowsFolder + "/TEMP";
}

} // namespace vexa::platform
