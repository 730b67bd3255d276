#pragma once
// The changes of a titration system as steps of the document's history. Each is made first
// and then put on the history (CChange); undo and redo swap the before and after states and
// tell the views what changed.
#include "analysis/RobustLines.h"
#include "document/PointRows.h"
#include "document/TitrationSystem.h"
#include "framework/DocView.h"

#include <array>
#include <memory>
#include <string>
#include <vector>

// What changed, as the document tells its views (the hint of UpdateAllViews). Every view that is
// in sight brings itself up to date; a hidden one does so when it is shown.
enum DocHint : long {
  kHintAll = 0,    // parameters, preferences: anything may have changed
  kHintTitle = 1,  // the system title
  kHintLoaded = 2, // a system was read from a file: its line count is new
  kHintPoints = 3, // points were changed, added or deleted
  kHintLines = 4,  // lines were moved, added, deleted or placed; the line count may be new
};

// What a change works on (the document): its system, what Find lines found while its lines
// stand, and its views to tell.
class ChangeTarget {
public:
  using Checks = std::shared_ptr<const vexa::RobustAnalysis>;
  virtual vexa::TitrationSystem& System() = 0;
  virtual const Checks& FoundChecks() const = 0;
  virtual void SetFoundChecks(Checks checks) = 0;
  // Tells every view (and the frame) what changed.
  virtual void Tell(DocHint hint) = 0;

protected:
  ~ChangeTarget() = default;
};

// A change of the document's system. It also takes away (and its undoing brings back) the
// checks of a Find lines that the change makes out of date.
class CDocChange : public CChange {
public:
  CDocChange(ChangeTarget& doc, const QString& text, ChangeTarget::Checks checksBefore, ChangeTarget::Checks checksAfter)
      : CChange(text), doc_(doc), checksBefore_(std::move(checksBefore)),
        checksAfter_(std::move(checksAfter)) {}

protected:
  void PutChecks(bool after) { doc_.SetFoundChecks(after ? checksAfter_ : checksBefore_); }
  ChangeTarget& doc_;
  ChangeTarget::Checks checksBefore_, checksAfter_;
};

// Rows [index, index + before.size()) became `after`: typing, pasting and filling values,
// adding and deleting points.
class CPointsChange : public CDocChange {
public:
  // The checks of an earlier Find lines go with the change (the points are no longer theirs).
  CPointsChange(ChangeTarget& doc, const QString& text, int index, std::vector<vexa::PointRow> before,
                std::vector<vexa::PointRow> after);

protected:
  void Apply() override;
  void Revert() override;

private:
  int index_;
  std::vector<vexa::PointRow> before_, after_;
};

// The line table as a whole: its count and its ten records, fit results included.
struct LineTable {
  std::int32_t lineCount = 1;
  std::array<vexa::ApproxLine, vexa::TitrationSystem::kMaxLines> lines{};
  static LineTable Of(const vexa::TitrationSystem& sys) { return {sys.lineCount, sys.lines}; }
  void PutInto(vexa::TitrationSystem& sys) const {
    sys.lineCount = lineCount;
    sys.lines = lines;
  }
  bool operator==(const LineTable&) const = default;
};

// Lines moved, added, deleted or placed. Consecutive moves of the same line by keys merge into
// one step.
class CLinesChange : public CDocChange {
public:
  // `moveOfLine`: the line whose end was moved (merging), or -1 for any other change.
  // checksBefore: the document's checks before the change; the checks after it are the
  // document's own at construction (those of Find lines, or none).
  CLinesChange(ChangeTarget& doc, const QString& text, const LineTable& before, const LineTable& after,
               int moveOfLine, ChangeTarget::Checks checksBefore);
  int id() const override { return moveOfLine_ >= 0 ? 1000 + moveOfLine_ : -1; }
  bool mergeWith(const QUndoCommand* other) override;

protected:
  void Apply() override;
  void Revert() override;

private:
  LineTable before_, after_;
  int moveOfLine_;
};

// The three system parameters; G of every point follows them.
struct SystemParameters {
  double initialVolume = 50, pKw = 14, cTit = 0.01;
  static SystemParameters Of(const vexa::TitrationSystem& sys) {
    return {sys.initialVolume, sys.pKw, sys.cTit};
  }
};

class CParametersChange : public CDocChange {
public:
  CParametersChange(ChangeTarget& doc, const SystemParameters& before, const SystemParameters& after);

protected:
  void Apply() override;
  void Revert() override;

private:
  void Put(const SystemParameters& p);
  SystemParameters before_, after_;
};

class CTitleChange : public CDocChange {
public:
  CTitleChange(ChangeTarget& doc, std::string before, std::string after);

protected:
  void Apply() override;
  void Revert() override;

private:
  std::string before_, after_; // in the documents' code page
};
