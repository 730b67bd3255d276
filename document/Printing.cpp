#include "document/Printing.h"

#include "document/Doc.h"
#include "gui/DrawSettings.h"
#include "gui/Profile.h"

#include <QFileInfo>

#include <span>

ReportOptions WindowReportOptions(const ReportParts& parts) {
  ReportOptions options;
  options.parts = parts;
  const CProfile profile = ProgramProfile();
  options.draw = ReadDrawSettings(profile);
  options.numberFormat = ReadNumberFormat(profile, "CRView1");
  return options;
}

int PaintSystem(QPagedPaintDevice& device, const CDoc& doc, const ReportParts& parts,
                int currentLine, QString* error) {
  const QString name = doc.GetPathName().isEmpty() ? doc.GetTitle()
                                                   : QFileInfo(doc.GetPathName()).fileName();
  const ReportSystem system{doc.System(), name, doc.FoundChecks().get(), currentLine};
  std::string why;
  const int pages = RenderReport(device, std::span<const ReportSystem>(&system, 1),
                                 WindowReportOptions(parts), {}, &why);
  if (pages <= 0 && error) *error = QString::fromStdString(why);
  return pages;
}
