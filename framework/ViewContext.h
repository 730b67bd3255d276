#pragma once
// What a view is handed when it is created: the drawing settings, the two shared fonts, the
// grid's off-screen bitmap, the program folder, the toolbar's line list and the context menus.
// The application owns all of them; a view never reaches up to the application object or to
// the main window for them.
#include <QString>

#include <functional>
#include <memory>

class CFont;
class CImageDC;
class QMenu;
struct DrawSettings;

// The toolbar's drop-down list of the approximating lines, as the graph keeps it in step.
struct LineSelector {
  // Entries "# 1" ... "# count", with entry `selection` chosen (none when outside).
  std::function<void(int count, int selection)> fill;
  std::function<void(int index)> select;
  std::function<void(bool enable)> enable;
};

// The off-screen bitmap the table views draw through. It is made anew for each size; once it
// cannot be made, the views draw straight into the window for the rest of the run.
struct BackBuffer {
  std::unique_ptr<CImageDC> bitmap;
  bool usable = true;
};

struct ViewContext {
  const DrawSettings* drawSettings = nullptr;
  const CFont* largeFont = nullptr;
  const CFont* smallFont = nullptr;
  BackBuffer* backBuffer = nullptr;
  // The folder of the running program, with a trailing slash ("log.html", "how_use.html").
  const QString* programFolder = nullptr;
  LineSelector lineSelector;
  // The pop-up at a position of the main menu's "Operation" menu (0 General, 1 Data,
  // 2 Graphics, 3 Results): the views' right-click menus.
  std::function<QMenu*(int index)> operationMenu;

  QString ProgramFolder() const { return programFolder ? *programFolder : QString(); }
  QMenu* OperationMenu(int index) const { return operationMenu ? operationMenu(index) : nullptr; }
};
