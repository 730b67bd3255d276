#pragma once
// The changes of a titration system as steps of the document's history. Each is made first
// and then put on the history (CChange); undo and redo swap the before and after states and
// tell the views what changed.
#include "document/PointRows.h"
#include "document/TitrationSystem.h"
#include "framework/DocView.h"

#include <array>
#include <string>
#include <vector>

#include "document/Doc.h"

// A change of the document's system. It also takes away (and its undoing brings back) the
// checks of a Find lines that the change makes out of date.
class CDocChange : public CChange {
public:
  CDocChange(CDoc& doc, const QString& text, CDoc::Checks checksBefore, CDoc::Checks checksAfter)
      : CChange(text), doc_(doc), checksBefore_(std::move(checksBefore)),
        checksAfter_(std::move(checksAfter)) {}

protected:
  void PutChecks(bool after) { doc_.SetFoundChecks(after ? checksAfter_ : checksBefore_); }
  CDoc& doc_;
  CDoc::Checks checksBefore_, checksAfter_;
};

// Rows [index, index + before.size()) became `after`: typing, pasting and filling values,
// adding and deleting points.
class CPointsChange : public CDocChange {
public:
  // The checks of an earlier Find lines go with the change (the points are no longer theirs).
  CPointsChange(CDoc& doc, const QString& text, int index, std::vector<vexa::PointRow> before,
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
  CLinesChange(CDoc& doc, const QString& text, const LineTable& before, const LineTable& after,
               int moveOfLine, CDoc::Checks checksBefore);
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
  CParametersChange(CDoc& doc, const SystemParameters& before, const SystemParameters& after);

protected:
  void Apply() override;
  void Revert() override;

private:
  void Put(const SystemParameters& p);
  SystemParameters before_, after_;
};

class CTitleChange : public CDocChange {
public:
  CTitleChange(CDoc& doc, std::string before, std::string after);

protected:
  void Apply() override;
  void Revert() override;

private:
  std::string before_, after_; // in the documents' code page
};
