#pragma once
// The document of the window program: one titration system, cleared and refilled in place by
// File New and File Open.
#include "analysis/RobustLines.h"
#include "document/TitrationSystem.h"
#include "framework/DocView.h"

#include <memory>

// What changed, as the document tells its views (the hint of UpdateAllViews). Every view that is
// in sight brings itself up to date; a hidden one does so when it is shown.
enum DocHint : long {
  kHintAll = 0,   // parameters, preferences: anything may have changed
  kHintTitle = 1,  // the system title
  kHintLoaded = 2, // a system was read from a file: its line count is new
  kHintPoints = 3, // points were changed, added or deleted
  kHintLines = 4,  // lines were moved, added, deleted or placed; the line count may be new
};

class CDoc : public CDocument {
public:
  CDoc();

  vexa::TitrationSystem& System() { return system_; }
  const vexa::TitrationSystem& System() const { return system_; }

  bool OnNewDocument() override;
  void DeleteContents() override;
  void Serialize(CArchive& ar) override;

  void OnSystemParameters();
  void OnSystemTitle();

  // What Find lines found, while the lines are still the ones it placed: the results page
  // shows its checks. Any other change of the lines, the points or the parameters takes it
  // away (and undoing that change brings it back).
  using Checks = std::shared_ptr<const vexa::RobustAnalysis>;
  const Checks& FoundChecks() const { return checks_; }
  void SetFoundChecks(Checks checks) { checks_ = std::move(checks); }

private:
  vexa::TitrationSystem system_;
  Checks checks_;
};
