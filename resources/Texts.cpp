// The program's string table: every text that has an ID, in one place. Plain C++, so the
// engine (the default title, the results page), the drawing code and the window program all
// read the same table. The texts are UTF-8; those of the results page are plain ASCII and so
// the same bytes in the documents' code page.
#include "resources/Texts.h"

#include "resources/Ids.h"
#include "resources/PageTemplates.h"
#include <map>

namespace vexa {

namespace {

using namespace ids;

constexpr StringEntry kStrings[] = {
    // --- the results page and the default title ---
    {page::kSystemRow.id, page::kSystemRow.text},
    {page::kPointCountRow.id, page::kPointCountRow.text},
    {page::kTitrantRow.id, page::kTitrantRow.text},
    {page::kPKwRow.id, page::kPKwRow.text},
    {page::kInitialVolumeRow.id, page::kInitialVolumeRow.text},
    {page::kLineCountRow.id, page::kLineCountRow.text},
    {page::kLinesHeadingRow.id, page::kLinesHeadingRow.text},
    {page::kLineRow.id, page::kLineRow.text},
    {page::kPointsRow.id, page::kPointsRow.text},
    {page::kARow.id, page::kARow.text},
    {page::kBRow.id, page::kBRow.text},
    {page::kVeqRow.id, page::kVeqRow.text},
    {page::kCsubRow.id, page::kCsubRow.text},
    {page::kPHJumpRow.id, page::kPHJumpRow.text},
    {page::kRhoRow.id, page::kRhoRow.text},
    {page::kFitFailed.id, page::kFitFailed.text},
    {page::kTooFewPoints.id, page::kTooFewPoints.text},
    {page::kUnexpectedError.id, page::kUnexpectedError.text},
    {page::kRiskNote.id, page::kRiskNote.text},
    // --- the window program ---
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
    {ID_FILE_IMPORT, "Make a new system from a table of points: CSV, text or spreadsheet\nImport"},
    {ID_FIND_LINES, "Find the straightest line of each branch, wherever it lies, with its checks\nFind lines"},
    {ID_FILE_EXPORT_PDF, "Write what is in sight as a PDF file\nExport PDF"},
    {ID_REPORT_PRINT, "Print the whole report: results, both graphs and every point\nPrint report"},
    {ID_REPORT_PREVIEW, "Show the pages of the whole report\nReport preview"},
    {ID_REPORT_EXPORT_PDF, "Write the whole report as a PDF file\nExport report PDF"},
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
    // --- the graph ---
    {IDS_TITRANT_VOLUME, "Titrant volume"},
    {IDS_CLASSIC_TITLE, "Titration curve (classic view)"},
    {IDS_VEXA_TITLE, "Titration curve (Vexa view)"},
    {IDS_PH, "pH"},
    {IDS_G, "G"},
    {IDS_ASK_AUTO_LINES, "Note: The <auto line> option delete all existing lines.\nYou sure you "
                         "want to execute this command?"},
    {IDS_ASK_DELETE_LINE, "You sure you want to delete current line?"},
    {IDS_ASK_ADD_LINE, "You sure you want to add new line?"},
    {ID_SAVE_GRAPH, "Save the graph as a PNG or SVG picture\nSave graph"},
    // --- the grid views ---
    {IDS_NO_DATA, "NO DATA"},
    {ID_FILL_COLUMN, "Fill the curent column by numbers"},
    {ID_FILL_ROW, "Fill the curent row by numbers"},
    // --- the line box's entries ---
    {ID_SELECT_LINE1 + 0, "Select approximating line # 1\nLine # 1"},
    {ID_SELECT_LINE1 + 1, "Select approximating line # 2\nLine # 2"},
    {ID_SELECT_LINE1 + 2, "Select approximating line # 3\nLine # 3"},
    {ID_SELECT_LINE1 + 3, "Select approximating line # 4\nLine # 4"},
    {ID_SELECT_LINE1 + 4, "Select approximating line # 5\nLine # 5"},
    {ID_SELECT_LINE1 + 5, "Select approximating line # 6\nLine # 6"},
    {ID_SELECT_LINE1 + 6, "Select approximating line # 7\nLine # 7"},
    {ID_SELECT_LINE1 + 7, "Select approximating line # 8\nLine # 8"},
    {ID_SELECT_LINE1 + 8, "Select approximating line # 9\nLine # 9"},
    {ID_SELECT_LINE1 + 9, "Select approximating line # 10\nLine # 10"},
};

std::map<int, const char*>& Registered() {
  static std::map<int, const char*> registered;
  return registered;
}

} // namespace

void RegisterStrings(const StringEntry* entries, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i)
    Registered()[entries[i].id] = entries[i].text;
}

const char* ProgramString(int id) {
  // The program's own text comes first: it may word a standard text its own way.
  for (const StringEntry& e : kStrings)
    if (e.id == id) return e.text;
  const auto& registered = Registered();
  if (auto it = registered.find(id); it != registered.end()) return it->second;
  return "";
}

} // namespace vexa
