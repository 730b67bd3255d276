#pragma once
// "Uninstall.log": the list of what an installation put on the machine.
//
// The file is 8-bit text; its bytes are used unchanged as paths and key names. Lines end in
// CR LF; a last line without CR LF is not read, and neither is anything after a zero byte.
// A line starting with ';' is a comment; empty lines are skipped. A line containing a section
// name anywhere is a section header (the names are looked for in the order "[ActiveX]",
// "[REGISTRY]", "[HOME]", "[SYSTEM]", "[DIRS]"; the first found wins). Every other line is an
// entry of the current section; entries before the first header belong to no section.
#include <string>
#include <string_view>
#include <vector>

namespace vexa::uninstaller {

enum class LogSection { None, ActiveX, Registry, Home, System, Dirs };

struct LogEntry {
  LogSection section = LogSection::None;
  std::string text;
  bool operator==(const LogEntry&) const = default;
};

// The entries in file order, each with the section it belongs to. *headerFound, when given,
// tells whether a section header was read.
std::vector<LogEntry> ParseUninstallLog(std::string_view bytes, bool* headerFound = nullptr);

// The section a header line names, or None when the line is no header.
LogSection SectionOfLine(std::string_view line);

} // namespace vexa::uninstaller
