#pragma once
// Command, control and string IDs of the window program, in one place as in a resource header.
// A command ID doubles as the string-table ID of its status prompt and tooltip.

namespace ids {

// --- the framework's own commands ---
inline constexpr int ID_FILE_NEW = 57600;
inline constexpr int ID_FILE_OPEN = 57601;
inline constexpr int ID_FILE_CLOSE = 57602;
inline constexpr int ID_FILE_SAVE = 57603;
inline constexpr int ID_FILE_SAVE_AS = 57604;
inline constexpr int ID_FILE_PAGE_SETUP = 57605;
inline constexpr int ID_FILE_PRINT_SETUP = 57606;
inline constexpr int ID_FILE_PRINT = 57607;
inline constexpr int ID_FILE_PRINT_DIRECT = 57608;
inline constexpr int ID_FILE_PRINT_PREVIEW = 57609;
inline constexpr int ID_FILE_MRU_FILE1 = 57616; // the four recent files: 57616 ... 57619
inline constexpr int ID_FILE_MRU_COUNT = 4;
inline constexpr int ID_EDIT_COPY = 57634;
inline constexpr int ID_EDIT_CUT = 57635;
inline constexpr int ID_EDIT_PASTE = 57637;
inline constexpr int ID_EDIT_UNDO = 57643;
inline constexpr int ID_EDIT_REDO = 57644;
inline constexpr int ID_WINDOW_SPLIT = 57653;
inline constexpr int ID_APP_ABOUT = 57664;
inline constexpr int ID_APP_EXIT = 57665;
inline constexpr int ID_HELP_INDEX = 57666;
inline constexpr int ID_HELP_FINDER = 57667;
inline constexpr int ID_HELP_USING = 57668;
inline constexpr int ID_CONTEXT_HELP = 57669;
inline constexpr int ID_HELP = 57670;
inline constexpr int ID_DEFAULT_HELP = 57671;
inline constexpr int ID_NEXT_PANE = 57680;
inline constexpr int ID_PREV_PANE = 57681;
inline constexpr int ID_VIEW_TOOLBAR = 59392;
inline constexpr int ID_VIEW_STATUS_BAR = 59393;

// --- status-bar indicators ---
inline constexpr int ID_SEPARATOR = 0;
inline constexpr int ID_INDICATOR_CAPS = 59137;
inline constexpr int ID_INDICATOR_NUM = 59138;
inline constexpr int ID_INDICATOR_SCRL = 59139;

// --- the program's commands ---
inline constexpr int ID_SYSTEM_TITLE = 32772;
inline constexpr int ID_FILL_COLUMN = 32787; // also the text of the fill's error message
inline constexpr int ID_DATA_FORMAT = 32788;
inline constexpr int ID_SAVE_LOG = 32805;
inline constexpr int ID_FILL_ROW = 32851;
inline constexpr int ID_VIEW_CLASSIC = 32870;
inline constexpr int ID_VIEW_VEXA = 32871;
inline constexpr int ID_ADD_POINT = 32872;
inline constexpr int ID_DELETE_POINT = 32873;
inline constexpr int ID_ADD_SEVERAL_POINTS = 32874;
inline constexpr int ID_PREFERENCES = 32877;
inline constexpr int ID_SET_AUTO_LINES = 32880;
inline constexpr int ID_ADD_LINE = 32882;
inline constexpr int ID_SELECT_LINE1 = 32883; // "# 1" ... "# 10": 32883 ... 32892
inline constexpr int ID_SELECT_LINE10 = 32892;
inline constexpr int ID_DELETE_LINE = 32903;
inline constexpr int ID_LINE_COMBO = 32906; // the line-selection box of the toolbar
inline constexpr int ID_SYSTEM_PARAMETERS = 32907;
inline constexpr int ID_FONT_MINUS3 = 32909;
inline constexpr int ID_FONT_MINUS2 = 32910;
inline constexpr int ID_FONT_MINUS1 = 32911;
inline constexpr int ID_FONT_PLUS1 = 32912;
inline constexpr int ID_FONT_PLUS2 = 32913;
inline constexpr int ID_FONT_PLUS3 = 32914;
inline constexpr int ID_FONT_NORMAL = 32915;

// --- strings ---
inline constexpr int IDR_MAINFRAME = 128;       // the document template string
inline constexpr int AFX_IDS_APP_TITLE = 57344; // "VEXA"
inline constexpr int AFX_IDS_IDLEMESSAGE = 57345;
inline constexpr int IDS_CATEGORY_DATA = 57610;
inline constexpr int IDS_CATEGORY_GRAPHICS = 57615;
inline constexpr int IDS_CATEGORY_RESULTS = 57620;
inline constexpr int IDS_UNTITLED_SYSTEM = 57645;
inline constexpr int IDS_DONT_SAVE_LOG = 32801;
inline constexpr int IDS_LOG_FIRST = 32806; // the results log's templates, 32806 ... 32824
inline constexpr int IDS_LOG_LAST = 32824;

// --- the framework's standard messages ---
inline constexpr int AFX_IDS_UNTITLED = 0xF000 + 1;    // "Untitled"
inline constexpr int AFX_IDP_ASK_TO_SAVE = 0xF100 + 2; // "Save changes to %1?"
inline constexpr int AFX_IDP_FAILED_TO_OPEN_DOC = 0xF100 + 3;
inline constexpr int AFX_IDP_FAILED_TO_SAVE_DOC = 0xF100 + 4;
inline constexpr int AFX_IDP_FAILED_INVALID_FORMAT = 0xF100 + 5;
inline constexpr int AFX_IDP_FILE_NOT_FOUND = 0xF100 + 6;
inline constexpr int AFX_IDP_FILE_ACCESS_DENIED = 0xF100 + 7;
inline constexpr int AFX_IDP_FILE_REPLACE = 0xF100 + 8; // "%1 already exists.\nDo you want..."
inline constexpr int AFX_IDP_PARSE_INT = 0xF100 + 20;
inline constexpr int AFX_IDP_PARSE_REAL = 0xF100 + 21;
inline constexpr int AFX_IDP_PARSE_INT_RANGE = 0xF100 + 22;
inline constexpr int AFX_IDP_PARSE_REAL_RANGE = 0xF100 + 23;
inline constexpr int AFX_IDP_PARSE_STRING_SIZE = 0xF100 + 24;
inline constexpr int AFX_IDS_RECENT_FILE = 0xF000 + 2; // "Recent File"
inline constexpr int AFX_IDS_ALLFILTER = 0xF000 + 3;   // "All Files (*.*)"

// --- dialog controls ---
inline constexpr int IDC_INITIAL_VOLUME = 1008;
inline constexpr int IDC_PKW = 1082;
inline constexpr int IDC_CTIT = 1016;
inline constexpr int IDC_SYSTEM_TITLE = 1030;
inline constexpr int IDC_BROWSER = 1081;
inline constexpr int IDC_WEB_ADDRESS = 1094;

// --- pictures: the category icons, closed and open ---
inline constexpr int IDI_SYSTEM_OPEN = 130;
inline constexpr int IDI_SYSTEM_CLOSED = 131;
inline constexpr int IDI_DATA_CLOSED = 132;
inline constexpr int IDI_DATA_OPEN = 133;
inline constexpr int IDI_GRAPH_CLOSED = 140;
inline constexpr int IDI_GRAPH_OPEN = 141;
inline constexpr int IDI_RESULTS_CLOSED = 146;
inline constexpr int IDI_RESULTS_OPEN = 147;
inline constexpr int IDR_LOGO = 181; // the About box's picture

// --- the graph ---
inline constexpr int ID_SAVE_GRAPH = 32930; // "Save graph...": the picture as PNG or SVG
inline constexpr int ID_FILE_EXPORT_PDF = 32931;   // the view in sight as a PDF
inline constexpr int ID_REPORT_PRINT = 32932;      // the whole report: print
inline constexpr int ID_REPORT_PREVIEW = 32933;    // ... preview
inline constexpr int ID_REPORT_EXPORT_PDF = 32934; // ... as a PDF
inline constexpr int ID_FIND_LINES = 32935;        // the second automatic method
inline constexpr int ID_FILE_IMPORT = 32936;       // a table of points from a CSV or a sheet
inline constexpr int IDS_TITRANT_VOLUME = 32789;
inline constexpr int IDS_CLASSIC_TITLE = 32790;
inline constexpr int IDS_VEXA_TITLE = 32791;
inline constexpr int IDS_ASK_DELETE_LINE = 32792;
inline constexpr int IDS_ASK_ADD_LINE = 32793;
inline constexpr int IDS_PH = 32794;
inline constexpr int IDS_G = 32795;
inline constexpr int IDS_ASK_AUTO_LINES = 32800;

// --- the Preferences dialog ---
inline constexpr int IDD_PREFERENCES = 180;
inline constexpr int IDC_FRAME_COLOR = 1034;
inline constexpr int IDC_GRID_COLOR = 1083;
inline constexpr int IDC_DERIV_COLOR = 1085;
inline constexpr int IDC_PLOT_COLOR = 1086;
inline constexpr int IDC_BEGIN_COLOR = 1087;
inline constexpr int IDC_END_COLOR = 1088;
inline constexpr int IDC_MARKER_TYPE = 1089;
inline constexpr int IDC_FILL_COLOR = 1090;
inline constexpr int IDC_OUTLINE_COLOR = 1091;
inline constexpr int IDC_MARKER_SIZE = 1092;
inline constexpr int IDC_MARKER_SPIN = 1093;

// --- the grid views and their dialogs ---
inline constexpr int IDS_NO_DATA = 57622;

inline constexpr int IDD_FILL = 162;
inline constexpr int IDD_NUMBER_FORMAT = 163;
inline constexpr int IDD_ADD_POINTS = 176;

// The fill dialog.
inline constexpr int IDC_FILL_VALUE1 = 1014;
inline constexpr int IDC_FILL_VALUE2 = 1015;
inline constexpr int IDC_FILL_BY_STEP = 1005;
inline constexpr int IDC_FILL_EVENLY = 1006;
inline constexpr int IDC_FILL_FROM_CURRENT = 1043;
// The number-format dialog.
inline constexpr int IDC_FORMAT_LIST = 1012;
inline constexpr int IDC_FORMAT_SAMPLE = 1014;
// The add-points dialog.
inline constexpr int IDC_POINT_COUNT = 1078;
inline constexpr int IDC_POINT_SPIN = 1003;

// The grid's child windows.
inline constexpr int IDC_GRID_HSCROLL = 100;
inline constexpr int IDC_GRID_VSCROLL = 101;
inline constexpr int IDC_GRID_EDITOR = 102;

} // namespace ids
