#include "resources/Menus.h"

#include "resources/Ids.h"

#include <string>

using namespace ids;

namespace {

MenuItem Cmd(const char* text, int id) {
  return MenuItem{text, id, {}};
}
MenuItem Sep() {
  return MenuItem{nullptr, 0, {}};
}
MenuItem Popup(const char* text, std::vector<MenuItem> items) {
  return MenuItem{text, 0, std::move(items)};
}

} // namespace

const std::vector<MenuItem>& MainMenu() {
  static const std::vector<MenuItem> menu = {
      Popup("&File",
            {Cmd("&New\tCtrl+N", ID_FILE_NEW), Cmd("&Open...\tCtrl+O", ID_FILE_OPEN),
             Cmd("&Import...\tCtrl+I", ID_FILE_IMPORT),
             Cmd("&Save\tCtrl+S", ID_FILE_SAVE), Cmd("Save &As...", ID_FILE_SAVE_AS), Sep(),
             Cmd("&Print...\tCtrl+P", ID_FILE_PRINT), Cmd("Print Pre&view", ID_FILE_PRINT_PREVIEW),
             Cmd("&Export PDF...", ID_FILE_EXPORT_PDF),
             Popup("Re&port", {Cmd("&Print...", ID_REPORT_PRINT),
                               Cmd("Print Pre&view", ID_REPORT_PREVIEW),
                               Cmd("&Export PDF...", ID_REPORT_EXPORT_PDF)}),
             Cmd("P&rint Setup...", ID_FILE_PRINT_SETUP), Sep(),
             Cmd("Recent File", ID_FILE_MRU_FILE1), Sep(), Cmd("Preferences...", ID_PREFERENCES),
             Sep(), Cmd("E&xit\tCtrl+Q", ID_APP_EXIT)}),
      Popup("&Edit", {Cmd("&Undo\tCtrl+Z", ID_EDIT_UNDO), Cmd("&Redo\tCtrl+Y", ID_EDIT_REDO), Sep(), Cmd("Cu&t\tCtrl+X", ID_EDIT_CUT),
                      Cmd("&Copy\tCtrl+C", ID_EDIT_COPY), Cmd("&Paste\tCtrl+V", ID_EDIT_PASTE)}),
      Popup("&View", {Cmd("&Toolbar", ID_VIEW_TOOLBAR), Cmd("&Status Bar", ID_VIEW_STATUS_BAR),
                      Cmd("S&plit", ID_WINDOW_SPLIT)}),
      Popup("Operation",
            {Popup("General", {Cmd("System title...", ID_SYSTEM_TITLE),
                               Cmd("System parameters...", ID_SYSTEM_PARAMETERS)}),
             Popup("Data", {Cmd("Add point..", ID_ADD_POINT), Cmd("Delete point", ID_DELETE_POINT),
                            Cmd("Add several points...", ID_ADD_SEVERAL_POINTS), Sep(),
                            Cmd("Format...", ID_DATA_FORMAT), Sep(),
                            Cmd("Fill column...", ID_FILL_COLUMN), Cmd("Fill row...", ID_FILL_ROW)}),
             Popup("Graphics",
                   {Cmd("Titration curve", ID_VIEW_CLASSIC), Cmd("Vexa curve", ID_VIEW_VEXA), Sep(),
                    Cmd("Set auto lines", ID_SET_AUTO_LINES), Cmd("Find lines", ID_FIND_LINES),
                    Popup("Select line", {Cmd("# &1\tCtrl+1", ID_SELECT_LINE1),
                                          Cmd("# &2\tCtrl+2", ID_SELECT_LINE1 + 1),
                                          Cmd("# &3\tCtrl+3", ID_SELECT_LINE1 + 2),
                                          Cmd("# &4\tCtrl+4", ID_SELECT_LINE1 + 3),
                                          Cmd("# &5\tCtrl+5", ID_SELECT_LINE1 + 4),
                                          Cmd("# &6\tCtrl+6", ID_SELECT_LINE1 + 5),
                                          Cmd("# &7\tCtrl+7", ID_SELECT_LINE1 + 6),
                                          Cmd("# &8\tCtrl+8", ID_SELECT_LINE1 + 7),
                                          Cmd("# &9\tCtrl+9", ID_SELECT_LINE1 + 8),
                                          Cmd("# 1&0\tCtrl+10", ID_SELECT_LINE1 + 9)}),
                    Cmd("Add line", ID_ADD_LINE), Cmd("Delete current line", ID_DELETE_LINE)}),
             Popup("Results",
                   {Popup("Font size", {Cmd("-3", ID_FONT_MINUS3), Cmd("-2", ID_FONT_MINUS2),
                                        Cmd("-1", ID_FONT_MINUS1),
                                        Cmd("0 (Normal)", ID_FONT_NORMAL), Cmd("+1", ID_FONT_PLUS1),
                                        Cmd("+2", ID_FONT_PLUS2), Cmd("+3", ID_FONT_PLUS3)}),
                    Cmd("Save log...", ID_SAVE_LOG)})}),
      Popup("&Help", {Cmd("&About VEXA...", ID_APP_ABOUT)}),
  };
  return menu;
}

const std::vector<Accelerator>& Accelerators() {
  static const std::vector<Accelerator> accels = {
      {ID_FILE_NEW, "Ctrl+N"},
      {ID_APP_EXIT, "Ctrl+Q"},
      {ID_FILE_IMPORT, "Ctrl+I"},
      {ID_FILE_OPEN, "Ctrl+O"},
      {ID_FILE_SAVE, "Ctrl+S"},
      {ID_FILE_PRINT, "Ctrl+P"},
      {ID_EDIT_UNDO, "Ctrl+Z"},
      {ID_EDIT_REDO, "Ctrl+Y"},
      {ID_EDIT_REDO, "Ctrl+Shift+Z"},
      {ID_EDIT_CUT, "Ctrl+X"},
      {ID_EDIT_COPY, "Ctrl+C"},
      {ID_EDIT_PASTE, "Ctrl+V"},
      {ID_EDIT_UNDO, "Alt+Backspace"},
      {ID_EDIT_CUT, "Shift+Del"},
      {ID_EDIT_COPY, "Ctrl+Ins"},
      {ID_EDIT_PASTE, "Shift+Ins"},
      {ID_NEXT_PANE, "F6"},
      {ID_PREV_PANE, "Shift+F6"},
      {ID_HELP, "F1"},
      {ID_CONTEXT_HELP, "Shift+F1"},
  };
  return accels;
}

const std::vector<int>& ToolbarButtons() {
  static const std::vector<int> buttons = {ID_FILE_NEW,
                                           ID_FILE_OPEN,
                                           ID_FILE_SAVE,
                                           0,
                                           ID_EDIT_CUT,
                                           ID_EDIT_COPY,
                                           ID_EDIT_PASTE,
                                           0,
                                           ID_FILE_PRINT,
                                           0,
                                           ID_VIEW_CLASSIC,
                                           ID_VIEW_VEXA,
                                           0,
                                           ID_LINE_COMBO,
                                           0,
                                           ID_ADD_LINE,
                                           ID_DELETE_LINE,
                                           ID_FIND_LINES,
                                           0,
                                           ID_SYSTEM_PARAMETERS,
                                           ID_PREFERENCES};
  return buttons;
}
