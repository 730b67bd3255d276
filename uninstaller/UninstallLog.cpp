#include "uninstaller/UninstallLog.h"

#include <utility>

namespace vexa::uninstaller {

LogSection SectionOfLine(std::string_view line) {
  static constexpr std::pair<std::string_view, LogSection> kHeaders[] = {
      {"[ActiveX]", LogSection::ActiveX},
      {"[REGISTRY]", LogSection::Registry},
      {"[HOME]", LogSection::Home},
      {"[SYSTEM]", LogSection::System},
      {"[DIRS]", LogSection::Dirs}};
  for (const auto& [name, section] : kHeaders)
    if (line.find(name) != std::string_view::npos) return section;
  return LogSection::None;
}

std::vector<LogEntry> ParseUninstallLog(std::string_view bytes, bool* headerFound) {
  if (headerFound) *headerFound = false;
  // The text ends at a zero byte: no path can hold one.
  if (const auto zero = bytes.find('\0'); zero != std::string_view::npos)
    bytes = bytes.substr(0, zero);
  std::vector<LogEntry> entries;
  LogSection current = LogSection::None;
  size_t pos = 0;
  while (pos < bytes.size()) {
    const size_t end = bytes.find("\r\n", pos);
    if (end == std::string_view::npos) break; // a last line without CR LF
    const std::string_view line = bytes.substr(pos, end - pos);
    pos = end + 2;
    if (line.empty() || line.front() == ';') continue;
    if (const LogSection section = SectionOfLine(line); section != LogSection::None) {
      current = section;
      if (headerFound) *headerFound = true;
      continue;
    }
    entries.push_back({current, std::string(line)});
  }
  return entries;
}

} // namespace vexa::uninstaller
