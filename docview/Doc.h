#pragma once
// The document of the window program: one titration system, cleared and refilled in place by
// File New and File Open.
#include "docview/Changes.h"
#include "docview/Printing.h"
#include "document/TitrationSystem.h"
#include "framework/DocView.h"

#include <memory>

class CDoc : public CDocument, public ChangeTarget {
public:
  CDoc();

  vexa::TitrationSystem& System() override { return system_; }
  const vexa::TitrationSystem& System() const { return system_; }
  void Tell(DocHint hint) override { UpdateAllViews(nullptr, hint); }

  bool OnNewDocument() override;
  void DeleteContents() override;
  void Serialize(CArchive& ar) override;

  // The document's name in a printed page's header: its file name, else its title.
  QString PrintName() const;
  // Prints `parts` of the system (see PaintSystem).
  int Print(QPagedPaintDevice& device, const ReportParts& parts, int currentLine,
            QString* error) const;

  void OnSystemParameters();
  void OnSystemTitle();

  // What Find lines found, while the lines are still the ones it placed: the results page
  // shows its checks. Any other change of the lines, the points or the parameters takes it
  // away (and undoing that change brings it back).
  const Checks& FoundChecks() const override { return checks_; }
  void SetFoundChecks(Checks checks) override { checks_ = std::move(checks); }

private:
  vexa::TitrationSystem system_;
  Checks checks_;
};
