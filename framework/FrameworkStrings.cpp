// The framework's own standard texts: prompts of the standard commands and the messages of
// the document and data-exchange handling. Registered with the program's string table at start.
#include "framework/FrameworkStrings.h"

#include "resources/Ids.h"
#include "resources/Texts.h"

#include <iterator>

namespace {

using namespace ids;

// The framework's own texts.
const vexa::StringEntry kFrameworkStrings[] = {
    {AFX_IDS_IDLEMESSAGE, "For Help, press F1"},
    {AFX_IDS_UNTITLED, "Untitled"},
    {AFX_IDS_RECENT_FILE, "Recent File"},
    {AFX_IDS_ALLFILTER, "All Files (*.*)"},
    {AFX_IDP_ASK_TO_SAVE, "Save changes to %1?"},
    {AFX_IDP_FAILED_TO_OPEN_DOC, "Failed to open document."},
    {AFX_IDP_FAILED_TO_SAVE_DOC, "Failed to save document."},
    {AFX_IDP_FAILED_INVALID_FORMAT, "Unexpected file format."},
    {AFX_IDP_FILE_NOT_FOUND, "%1 was not found."},
    {AFX_IDP_FILE_ACCESS_DENIED, "%1 could not be accessed."},
    {AFX_IDP_FILE_REPLACE, "%1 already exists.\nDo you want to replace it?"},
    {AFX_IDP_PARSE_INT, "Please enter an integer."},
    {AFX_IDP_PARSE_REAL, "Please enter a number."},
    {AFX_IDP_PARSE_INT_RANGE, "Please enter an integer between %1 and %2."},
    {AFX_IDP_PARSE_REAL_RANGE, "Please enter a number between %1 and %2."},
    {AFX_IDP_PARSE_STRING_SIZE, "Please enter no more than %1 characters."},
    {ID_FILE_NEW, "Create a new document\nNew"},
    {ID_FILE_OPEN, "Open an existing document\nOpen"},
    {ID_FILE_CLOSE, "Close the active document\nClose"},
    {ID_FILE_SAVE, "Save the active document\nSave"},
    {ID_FILE_SAVE_AS, "Save the active document with a new name\nSave As"},
    {ID_FILE_PAGE_SETUP, "Change the printing options\nPage Setup"},
    {ID_FILE_PRINT_SETUP, "Change the printer and printing options\nPrint Setup"},
    {ID_FILE_PRINT, "Print the active document\nPrint"},
    {ID_FILE_PRINT_PREVIEW, "Display full pages\nPrint Preview"},
    {ID_FILE_MRU_FILE1, "Open this document"},
    {ID_FILE_MRU_FILE1 + 1, "Open this document"},
    {ID_FILE_MRU_FILE1 + 2, "Open this document"},
    {ID_FILE_MRU_FILE1 + 3, "Open this document"},
    {ID_APP_ABOUT, "Display program information, version number and copyright\nAbout"},
    {ID_APP_EXIT, "Quit the application; prompts to save documents\nExit"},
    {ID_HELP, "Display the help page\nHelp"},
    {ID_CONTEXT_HELP, "Display help for clicked on buttons, menus and windows\nHelp"},
    {ID_NEXT_PANE, "Switch to the next window pane\nNext Pane"},
    {ID_PREV_PANE, "Switch back to the previous window pane\nPrevious Pane"},
    {ID_WINDOW_SPLIT, "Split the active window into panes\nSplit"},
    {ID_EDIT_COPY, "Copy the selection and put it on the Clipboard\nCopy"},
    {ID_EDIT_CUT, "Cut the selection and put it on the Clipboard\nCut"},
    {ID_EDIT_PASTE, "Insert Clipboard contents\nPaste"},
    {ID_EDIT_UNDO, "Undo the last action\nUndo"},
    {ID_EDIT_REDO, "Redo the previously undone action\nRedo"},
    {ID_VIEW_TOOLBAR, "Show or hide the toolbar\nToggle ToolBar"},
    {ID_VIEW_STATUS_BAR, "Show or hide the status bar\nToggle StatusBar"},
    {ID_INDICATOR_CAPS, "CAP"},
    {ID_INDICATOR_NUM, "NUM"},
    {ID_INDICATOR_SCRL, "SCRL"},
};

} // namespace

void RegisterFrameworkStrings() {
  vexa::RegisterStrings(kFrameworkStrings, std::size(kFrameworkStrings));
}
