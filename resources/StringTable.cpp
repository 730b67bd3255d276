#include "resources/StringTable.h"

#include "framework/Commands.h"
#include "framework/Strings.h"

#include <string>

using namespace ids;

namespace {

const StringEntry kStrings[] = {
    {IDR_MAINFRAME, "_V_E_X_A_\n\nVexa\nVexa Files (*.vexa)\n.vexa\nVexa.Document\nVexa Document"},
    {AFX_IDS_APP_TITLE, "VEXA"},
    {AFX_IDS_IDLEMESSAGE, "For Help, press F1"},
    {IDS_CATEGORY_DATA, "Data"},
    {IDS_CATEGORY_GRAPHICS, "Graphics"},
    {IDS_CATEGORY_RESULTS, "Results"},
    {IDS_UNTITLED_SYSTEM, "Untitled system"},
    {IDS_DONT_SAVE_LOG, "Don't save log file."},
    {IDC_WEB_ADDRESS, kWebAddress},
    {ID_SYSTEM_PARAMETERS,
     "Use for setting system parameters (initial volume, pKw & ect.)\nSystem parameters"},
    {ID_SYSTEM_TITLE, "Change system title\nSystem title"},
    {ID_PREFERENCES, "Edit of application settings\nApplication settings"},
    {ID_VIEW_CLASSIC, "View graph as titration curve\nShow classic view"},
    {ID_VIEW_VEXA, "View graph as vexa curve\nShow Vexa view"},
    {ID_ADD_LINE, "Add approximate line\nAdd line"},
    {ID_DELETE_LINE, "Delete current approximate line\nDelete line"},
    {ID_SAVE_LOG, "Save log in the user defined file"},
    {ID_SET_AUTO_LINES, "Place the approximating lines automatically\nSet auto lines"},
    {ID_ADD_POINT, "Insert a point before the current one\nAdd point"},
    {ID_DELETE_POINT, "Delete the current point\nDelete point"},
    {ID_ADD_SEVERAL_POINTS, "Add several points at once\nAdd several points"},
    {ID_DATA_FORMAT, "Choose the number format of the table\nFormat"},
    {ID_LINE_COMBO, "Select the current approximating line\nSelect line"},
    {ID_FONT_MINUS3, "Decrease font size by 3 unit"},
    {ID_FONT_MINUS2, "Decrease font size by 2 unit"},
    {ID_FONT_MINUS1, "Decrease font size by 1 unit"},
    {ID_FONT_NORMAL, "Set normal font"},
    {ID_FONT_PLUS1, "Increase font size by 1 unit"},
    {ID_FONT_PLUS2, "Increase font size by 2 unit"},
    {ID_FONT_PLUS3, "Increase font size by 3 unit"},
    {ID_APP_ABOUT, "Display program information, version number and copyright\nAbout"},
};

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

void RegisterAppStrings() {
  RegisterStrings(kStrings, sizeof kStrings / sizeof kStrings[0]);
  // "Select line" entries: "Select line # 1\nLine # 1" ...
  static std::vector<std::string> texts;
  static std::vector<StringEntry> lines;
  if (lines.empty()) {
    texts.reserve(10);
    for (int i = 0; i < 10; ++i) {
      texts.push_back("Select approximating line # " + std::to_string(i + 1) + "\nLine # " +
                      std::to_string(i + 1));
      lines.push_back(StringEntry{ID_SELECT_LINE1 + i, nullptr});
    }
    for (int i = 0; i < 10; ++i)
      lines[static_cast<std::size_t>(i)].text = texts[static_cast<std::size_t>(i)].c_str();
  }
  RegisterStrings(lines.data(), lines.size());
}

const std::vector<MenuItem>& MainMenu() {
  static const std::vector<MenuItem> menu = {
      Popup("&File",
            {Cmd("&New\tCtrl+N", ID_FILE_NEW), Cmd("&Open...\tCtrl+O", ID_FILE_OPEN),
             Cmd("&Save\tCtrl+S", ID_FILE_SAVE), Cmd("Save &As...", ID_FILE_SAVE_AS), Sep(),
             Cmd("&Print...\tCtrl+P", ID_FILE_PRINT), Cmd("Print Pre&view", ID_FILE_PRINT_PREVIEW),
             Cmd("P&rint Setup...", ID_FILE_PRINT_SETUP), Sep(),
             Cmd("Recent File", ID_FILE_MRU_FILE1), Sep(), Cmd("Preferences...", ID_PREFERENCES),
             Sep(), Cmd("E&xit", ID_APP_EXIT)}),
      Popup("&Edit", {Cmd("&Undo\tCtrl+Z", ID_EDIT_UNDO), Sep(), Cmd("Cu&t\tCtrl+X", ID_EDIT_CUT),
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
                    Cmd("Set auto lines", ID_SET_AUTO_LINES),
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
      {ID_FILE_OPEN, "Ctrl+O"},
      {ID_FILE_SAVE, "Ctrl+S"},
      {ID_FILE_PRINT, "Ctrl+P"},
      {ID_EDIT_UNDO, "Ctrl+Z"},
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
                                           0,
                                           ID_SYSTEM_PARAMETERS,
                                           ID_PREFERENCES};
  return buttons;
}
