#include "document/Doc.h"

#include "platform/Archive.h"
#include "document/Changes.h"
#include "document/SystemDialogs.h"
#include "resources/Ids.h"
#include "framework/UiSeam.h"

using namespace ids;

CDoc::CDoc() {
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
  system_.Clear();
  CDocument::DeleteContents();
}

void CDoc::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    system_.WriteTo(ar);
    return;
  }
  system_.ReadFrom(ar);
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
