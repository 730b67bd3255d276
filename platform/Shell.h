#pragma once
// The desktop shell: open a document or an address with its default application, start a
// program. Both are detached: the caller does not wait, and the started process outlives it.
#include <string>
#include <vector>

namespace vexa::platform {

class Shell {
public:
  virtual ~Shell() = default;
  // Opens a file or an address with the desktop's default application. True when the
  // opener was started.
  virtual bool Open(const std::string& target) = 0;
  // Starts a program with one parameter string, passed whole as a single argument, spaces
  // and all (no argument when it is empty). True when the program was started.
  virtual bool Start(const std::string& program, const std::string& parameters) = 0;
};

// The real shell: xdg-open, and the program itself.
class SystemShell final : public Shell {
public:
  bool Open(const std::string& target) override;
  bool Start(const std::string& program, const std::string& parameters) override;
};

// True when VEXA_UNATTENDED is "1": the uninstall programs then show no window and ask
// nothing (the safe answer is taken).
bool UnattendedMode();

// True when a window can be shown: a display is named (DISPLAY, WAYLAND_DISPLAY) or the
// toolkit is told which platform to use (QT_QPA_PLATFORM).
bool DisplayAvailable();

// Starts argv[0] (searched on PATH when search is true) with argv, detached: in a session of
// its own, not a child of the caller. True when the program could be executed.
bool SpawnDetached(const std::vector<std::string>& argv, bool search);

} // namespace vexa::platform
