#include "docview/Printing.h"

#include "gui/DrawSettings.h"
#include "gui/Profile.h"


#include <span>

ReportOptions WindowReportOptions(const ReportParts& parts) {
  ReportOptions options;
  options.parts = parts;
  const CProfile profile = ProgramProfile();
  options.draw = ReadDrawSettings(profile);
  options.numberFormat = ReadNumberFormat(profile, "CRView1");
  return options;
}

int PaintSystem(QPagedPaintDevice& device, const vexa::TitrationSystem& record, const QString& name,
                const vexa::RobustAnalysis* checks, const ReportParts& parts, int currentLine,
                QString* error) {
  const ReportSystem system{record, name, checks, currentLine};
  std::string why;
  const int pages = RenderReport(device, std::span<const ReportSystem>(&system, 1),
                                 WindowReportOptions(parts), {}, &why);
  if (pages <= 0 && error) *error = QString::fromStdString(why);
  return pages;
}
