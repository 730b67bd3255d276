#pragma once
// The program's way to the Qt module (cli/QtModule.h): found beside the program (or where
// $VEXA_QT_MODULE names it), loaded the first time it is needed, kept until the program ends.
#include "cli/QtModule.h"

#include <string>
#include <vector>

namespace vexa::cli {

// The module, or nullptr with *error saying why it cannot be used ("plot needs vexa's Qt
// module: cannot load /opt/vexa/vexa-qt.so ..."). `what` names the work for the message
// ("plot"). Throws Unavailable in a build that has no module.
const QtModule* QtSide(const std::string& what, std::string* error);

// The module's functions, one caller at a time for drawing. Each returns false with *error
// filled when the module or the function is not there or the work fails.
bool DrawPlot(const PlotRequest& request, std::string* bytes, std::string* error);
bool DrawReportPdf(const PdfRequest& request, std::string* bytes, std::string* error);
bool ReadSpreadsheet(const std::string& path, const std::string& sheet,
                     std::vector<std::vector<std::string>>* rows, std::string* sheetName,
                     std::string* error);

// Whether a file's name is a spreadsheet's (.xlsx .xlsm .ods .xls ...): only such files are
// handed to the module, so reading a text table never loads it.
bool HasSpreadsheetName(const std::string& path);

} // namespace vexa::cli
