#pragma once
// The menus, accelerators and toolbar of the window program.
#include <vector>

// One item of a menu: a command (id > 0), a pop-up (children), or a separator (neither).
struct MenuItem {
  const char* text;
  int id;
  std::vector<MenuItem> children;
};
// The main menu bar, pop-ups in order: "&File", "&Edit", "&View", "Operation", "&Help".
const std::vector<MenuItem>& MainMenu();

struct Accelerator {
  int id;
  const char* keys; // as QKeySequence reads it: "Ctrl+N", "Shift+Del"
};
const std::vector<Accelerator>& Accelerators();

// The toolbar's buttons in order; 0 is a separator.
const std::vector<int>& ToolbarButtons();
