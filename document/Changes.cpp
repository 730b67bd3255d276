#include "document/Changes.h"


CPointsChange::CPointsChange(CDoc& doc, const QString& text, int index,
                             std::vector<vexa::PointRow> before, std::vector<vexa::PointRow> after)
    : CDocChange(doc, text, doc.FoundChecks(), nullptr), index_(index), before_(std::move(before)),
      after_(std::move(after)) {
  doc.SetFoundChecks(nullptr);
}

void CPointsChange::Apply() {
  PutChecks(true);
  vexa::ReplacePointRows(doc_.System(), index_, static_cast<int>(before_.size()), after_);
  doc_.UpdateAllViews(nullptr, kHintPoints);
}

void CPointsChange::Revert() {
  PutChecks(false);
  vexa::ReplacePointRows(doc_.System(), index_, static_cast<int>(after_.size()), before_);
  doc_.UpdateAllViews(nullptr, kHintPoints);
}

CLinesChange::CLinesChange(CDoc& doc, const QString& text, const LineTable& before,
                           const LineTable& after, int moveOfLine, CDoc::Checks checksBefore)
    : CDocChange(doc, text, std::move(checksBefore), doc.FoundChecks()), before_(before),
      after_(after), moveOfLine_(moveOfLine) {}

bool CLinesChange::mergeWith(const QUndoCommand* other) {
  const auto* next = dynamic_cast<const CLinesChange*>(other);
  if (!next || next->moveOfLine_ != moveOfLine_) return false;
  after_ = next->after_;
  checksAfter_ = next->checksAfter_;
  return true;
}

void CLinesChange::Apply() {
  PutChecks(true);
  after_.PutInto(doc_.System());
  doc_.UpdateAllViews(nullptr, kHintLines);
}

void CLinesChange::Revert() {
  PutChecks(false);
  before_.PutInto(doc_.System());
  doc_.UpdateAllViews(nullptr, kHintLines);
}

CParametersChange::CParametersChange(CDoc& doc, const SystemParameters& before,
                                     const SystemParameters& after)
    : CDocChange(doc, QStringLiteral("system parameters"), doc.FoundChecks(), nullptr),
      before_(before), after_(after) {
  doc.SetFoundChecks(nullptr);
}

void CParametersChange::Put(const SystemParameters& p) {
  vexa::TitrationSystem& sys = doc_.System();
  sys.initialVolume = p.initialVolume;
  sys.pKw = p.pKw;
  sys.cTit = p.cTit;
  sys.RecomputeLinearised();
  doc_.UpdateAllViews(nullptr, kHintAll);
}

void CParametersChange::Apply() {
  PutChecks(true);
  Put(after_);
}

void CParametersChange::Revert() {
  PutChecks(false);
  Put(before_);
}

CTitleChange::CTitleChange(CDoc& doc, std::string before, std::string after)
    : CDocChange(doc, QStringLiteral("title"), doc.FoundChecks(), doc.FoundChecks()),
      before_(std::move(before)), after_(std::move(after)) {}

void CTitleChange::Apply() {
  doc_.System().SetTitle(after_);
  doc_.UpdateAllViews(nullptr, kHintTitle);
}

void CTitleChange::Revert() {
  doc_.System().SetTitle(before_);
  doc_.UpdateAllViews(nullptr, kHintTitle);
}
