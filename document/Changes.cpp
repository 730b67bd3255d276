#include "document/Changes.h"

#include "document/Doc.h"

CPointsChange::CPointsChange(CDoc& doc, const QString& text, int index,
                             std::vector<vexa::PointRow> before, std::vector<vexa::PointRow> after)
    : CChange(text), doc_(doc), index_(index), before_(std::move(before)),
      after_(std::move(after)) {}

void CPointsChange::Apply() {
  vexa::ReplacePointRows(doc_.System(), index_, static_cast<int>(before_.size()), after_);
  doc_.UpdateAllViews(nullptr, kHintPoints);
}

void CPointsChange::Revert() {
  vexa::ReplacePointRows(doc_.System(), index_, static_cast<int>(after_.size()), before_);
  doc_.UpdateAllViews(nullptr, kHintPoints);
}

CLinesChange::CLinesChange(CDoc& doc, const QString& text, const LineTable& before,
                           const LineTable& after, int moveOfLine)
    : CChange(text), doc_(doc), before_(before), after_(after), moveOfLine_(moveOfLine) {}

bool CLinesChange::mergeWith(const QUndoCommand* other) {
  const auto* next = dynamic_cast<const CLinesChange*>(other);
  if (!next || next->moveOfLine_ != moveOfLine_) return false;
  after_ = next->after_;
  return true;
}

void CLinesChange::Apply() {
  after_.PutInto(doc_.System());
  doc_.UpdateAllViews(nullptr, kHintLines);
}

void CLinesChange::Revert() {
  before_.PutInto(doc_.System());
  doc_.UpdateAllViews(nullptr, kHintLines);
}

CParametersChange::CParametersChange(CDoc& doc, const SystemParameters& before,
                                     const SystemParameters& after)
    : CChange(QStringLiteral("system parameters")), doc_(doc), before_(before), after_(after) {}

void CParametersChange::Put(const SystemParameters& p) {
  vexa::TitrationSystem& sys = doc_.System();
  sys.initialVolume = p.initialVolume;
  sys.pKw = p.pKw;
  sys.cTit = p.cTit;
  sys.RecomputeLinearised();
  doc_.UpdateAllViews(nullptr, kHintAll);
}

void CParametersChange::Apply() {
  Put(after_);
}

void CParametersChange::Revert() {
  Put(before_);
}

CTitleChange::CTitleChange(CDoc& doc, std::string before, std::string after)
    : CChange(QStringLiteral("title")), doc_(doc), before_(std::move(before)),
      after_(std::move(after)) {}

void CTitleChange::Apply() {
  doc_.System().SetTitle(after_);
  doc_.UpdateAllViews(nullptr, kHintTitle);
}

void CTitleChange::Revert() {
  doc_.System().SetTitle(before_);
  doc_.UpdateAllViews(nullptr, kHintTitle);
}
