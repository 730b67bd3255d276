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

class CDoc;

// Rows [index, index + before.size()) became `after`: typing, pasting and filling values,
// adding and deleting points.
class CPointsChange : public CChange {
public:
  CPointsChange(CDoc& doc, const QString& text, int index, std::vector<vexa::PointRow> before,
                std::vector<vexa::PointRow> after);

protected:
  void Apply() override;
  void Revert() override;

private:
  CDoc& doc_;
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
class CLinesChange : public CChange {
public:
  // `moveOfLine`: the line whose end was moved (merging), or -1 for any other change.
  CLinesChange(CDoc& doc, const QString& text, const LineTable& before, const LineTable& after,
               int moveOfLine = -1);
  int id() const override { return moveOfLine_ >= 0 ? 1000 + moveOfLine_ : -1; }
  bool mergeWith(const QUndoCommand* other) override;

protected:
  void Apply() override;
  void Revert() override;

private:
  CDoc& doc_;
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

class CParametersChange : public CChange {
public:
  CParametersChange(CDoc& doc, const SystemParameters& before, const SystemParameters& after);

protected:
  void Apply() override;
  void Revert() override;

private:
  void Put(const SystemParameters& p);
  CDoc& doc_;
  SystemParameters before_, after_;
};

class CTitleChange : public CChange {
public:
  CTitleChange(CDoc& doc, std::string before, std::string after);

protected:
  void Apply() override;
  void Revert() override;

private:
  CDoc& doc_;
  std::string before_, after_; // in the documents' code page
};
