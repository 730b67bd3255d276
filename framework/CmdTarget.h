#pragma once
// Command targets and command routing. A target keeps a map of command handlers and update
// handlers by command ID (like a message map). The frame routes a command to the active view,
// then the document, then the frame, then the application; the first handler wins.
#include <QString>

#include <functional>
#include <map>
#include <utility>

// What an update handler sets for one command: enabled state and check mark.
class CCmdUI {
public:
  explicit CCmdUI(int id) : m_nID(id) {}
  void Enable(bool on = true) { enabled = on; }
  void SetCheck(int check = 1) { checked = check != 0; }
  // A new menu text ("&Undo paste of 12 cells"); the accelerator's text is kept after it.
  void SetText(const QString& menuText) {
    text = menuText;
    hasText = true;
  }
  int m_nID;
  bool enabled = true;
  bool checked = false;
  bool hasText = false;
  QString text;
};

class CCmdTarget {
public:
  CCmdTarget() = default;
  virtual ~CCmdTarget() = default;
  CCmdTarget(const CCmdTarget&) = delete;
  CCmdTarget& operator=(const CCmdTarget&) = delete;

  // Runs the handler of `id`, if this target has one. Returns whether it had one.
  virtual bool OnCmdMsg(int id);
  // Runs the update handler of `id`, if any; returns whether it had one.
  virtual bool OnUpdateCmdMsg(CCmdUI& ui);
  bool HasCommandHandler(int id) const;

protected:
  void OnCommand(int id, std::function<void()> handler);
  void OnCommandRange(int first, int last, std::function<void(int)> handler);
  void OnUpdateCommand(int id, std::function<void(CCmdUI&)> handler);
  void OnUpdateCommandRange(int first, int last, std::function<void(CCmdUI&)> handler);

private:
  struct Range {
    int last;
    std::function<void(int)> handler;
  };
  struct UpdateRange {
    int last;
    std::function<void(CCmdUI&)> handler;
  };
  std::map<int, Range> commands_;      // first id -> range
  std::map<int, UpdateRange> updates_; // first id -> range
};

// Routes commands along a chain of targets (nulls skipped).
namespace cmdroute {
// Returns whether some target handled the command.
template <typename... T> bool Dispatch(int id, T*... targets) {
  bool done = false;
  ((done = done || (targets && targets->OnCmdMsg(id))), ...);
  return done;
}
// Sets ui from the first update handler on the route; without one, the command is enabled
// when some target has a command handler for it and disabled otherwise.
template <typename... T> void Update(CCmdUI& ui, T*... targets) {
  bool done = false;
  ((done = done || (targets && targets->OnUpdateCmdMsg(ui))), ...);
  if (done) return;
  bool handled = false;
  ((handled = handled || (targets && targets->HasCommandHandler(ui.m_nID))), ...);
  ui.enabled = handled;
}
} // namespace cmdroute
