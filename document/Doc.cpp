#include "document/Doc.h"

#include "platform/Archive.h"
#include "document/Changes.h"
#include "framework/Background.h"
#include "document/Printing.h"
#include "document/SystemDialogs.h"
#include "resources/Ids.h"
#include "framework/UiSeam.h"

#include <memory>
#include <optional>
#include <string>

using namespace ids;

CDoc::CDoc() {
  // The whole report; also what Print prints when the view in sight prints nothing of its own.
  auto report = [this](QPagedPaintDevice& device, QString* error) {
    return PaintSystem(device, *this, ReportParts::All(), 0, error);
  };
  for (int id : {ID_FILE_PRINT, ID_REPORT_PRINT})
    OnCommand(id, [this, report] {
      if (CommitPendingEdits()) PrintPages(GetFrame(), report);
    });
  OnCommand(ID_FILE_PRINT_DIRECT, [report] { PrintPagesDirectly(report); });
  for (int id : {ID_FILE_PRINT_PREVIEW, ID_REPORT_PREVIEW})
    OnCommand(id, [this, report] {
      if (CommitPendingEdits()) PreviewPages(GetFrame(), report);
    });
  for (int id : {ID_FILE_EXPORT_PDF, ID_REPORT_EXPORT_PDF})
    OnCommand(id, [this, report] {
      if (CommitPendingEdits())
        ExportPdf(GetFrame(), this, GetTitle() + QStringLiteral("-report.pdf"), report);
    });
  OnCommand(ID_SYSTEM_PARAMETERS, [this] { OnSystemParameters(); });
  OnCommand(ID_SYSTEM_TITLE, [this] { OnSystemTitle(); });
  OnUpdateCommand(ID_SYSTEM_PARAMETERS, [](CCmdUI& ui) { ui.Enable(true); });
  OnUpdateCommand(ID_SYSTEM_TITLE, [](CCmdUI& ui) { ui.Enable(true); });
}

bool CDoc::OnNewDocument() {
  if (!CDocument::OnNewDocument()) return false;
  system_.ResetToNew(vexa::TitrationSystem::kNewTitleId);
  return true;
}

void CDoc::DeleteContents() {
  checks_.reset();
  system_.Clear();
  CDocument::DeleteContents();
}

void CDoc::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    system_.WriteTo(ar);
    return;
  }
  // A file of a million points takes a while to read: it is read into a record of its own off
  // the window's thread, and taken over when it is whole.
  auto bytes = std::make_shared<const std::string>(ar.Unread());
  auto loaded = std::make_shared<vexa::TitrationSystem>();
  auto failure = std::make_shared<std::optional<vexa::ArchiveException>>();
  const bool read = RunInBackground(GetFrame(), QStringLiteral("Opening the file..."),
                                    [bytes, loaded, failure](const WorkControl&) {
                                      try {
                                        CArchive in(*bytes);
                                        loaded->ReadFrom(in);
                                      } catch (const vexa::ArchiveException& e) {
                                        *failure = e;
                                      }
                                    });
  if (!read) throw CUserCancelled{};
  if (*failure) throw **failure;
  system_.CopyFrom(*loaded);
  // Whoever keeps a list of the lines refills it for the loaded line count.
  UpdateAllViews(nullptr, kHintLoaded);
}

void CDoc::OnSystemParameters() {
  if (!CommitPendingEdits()) return;
  CSystemParamsDlg dlg(GetFrame());
  dlg.m_pKw = system_.pKw;
  dlg.m_cTit = system_.cTit;
  dlg.m_initialVolume = system_.initialVolume;
  if (dlg.DoModal() != IDOK) return;
  const SystemParameters before = SystemParameters::Of(system_);
  system_.pKw = dlg.m_pKw;
  system_.cTit = dlg.m_cTit;
  system_.initialVolume = dlg.m_initialVolume;
  system_.RecomputeLinearised();
  UpdateAllViews(nullptr, kHintAll);
  // OK without a change is a step all the same: the document counts as changed.
  PushChange(new CParametersChange(*this, before, SystemParameters::Of(system_)));
}

void CDoc::OnSystemTitle() {
  if (!CommitPendingEdits()) return;
  CSystemTitleDlg dlg(GetFrame());
  dlg.m_title = system_.Title();
  if (dlg.DoModal() != IDOK) return;
  const std::string before = system_.Title();
  system_.SetTitle(dlg.m_title);
  // The category tree's root, the graph's title box and the results page show it.
  UpdateAllViews(nullptr, kHintTitle);
  PushChange(new CTitleChange(*this, before, system_.Title()));
}
