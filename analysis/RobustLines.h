#pragma once
// The second way of placing lines automatically, and the checks that do not depend on lines.
//
// The points are split into the two excess branches by the sign of G (acid excess G > 0, base
// excess G < 0). In each branch the best straight window of contiguous points is looked for
// anywhere, not only at the ends of the curve: windows that are not straight (a lack-of-fit
// test against a quadratic, and points that scatter about the line more than the readings'
// noise explains), whose slope has the wrong sign or size, or whose Veq lies far outside the
// titrated volumes are rejected, and among the rest the smallest relative error of Veq wins. The
// reading just after a jump's steepest step stays out of the windows where the branch holds
// enough others. The intervals here are two-sided at the 0.05 level and take the correlation
// of A and B into account, so they are not the ΔV the line table shows for the same line.
//
// Beside the lines: the end points where |dpH/dV| peaks (one for every jump that stands clearly
// above the noise) and, for a weak acid or base, the buffer-region function V·10^(−pH) or
// V·10^(pH−pKw), fitted the same way, as a second estimate of Veq.
#include <string>
#include <vector>

namespace vexa {

class TitrationSystem;

enum class Branch { AcidExcess, BaseExcess }; // G > 0 and G < 0

// One straight window found in a branch.
struct BranchLine {
  Branch branch = Branch::AcidExcess;
  bool titrantExcess = false; // the branch where the titrant is in excess (after the jump)
  int lineIndex = -1;         // its slot in the record's line table once placed, else -1
  int firstPoint = 0;         // point numbers counted from 0, firstPoint < endPoint
  int endPoint = 0;
  double a = 0, b = 0;             // G = A + B·V
  double veq = 0;                  // −A/B, ml
  double halfWidth = 0;            // two-sided 0.05 half-width of Veq, ml
  double relativeError = 0;        // halfWidth / |Veq| × 100, per cent
  int degreesOfFreedom = 0;        // points less two
  bool straightnessTested = false; // false for windows too short for the lack-of-fit test
  bool withinNoise = true;  // false when no window of the branch scattered as little as the noise
  bool slopeChecked = true; // false when no window had the slope the titrant gives
  std::vector<std::string> warnings;
};

// A jump of the pH curve: where |dpH/dV| peaks.
struct EndPoint {
  double volume = 0; // ml, the vertex of the parabola through the three slopes around the peak
  double pH = 0;     // the pH at that volume, interpolated between the points around it
  double slope = 0;  // the largest |dpH/dV| between two neighbouring points
  double jump = 0;   // the rise of pH over the jump beyond the slope around it
  int before = 0;    // the points on either side of the steepest step (numbers from 0)
  int after = 0;
};

// The buffer-region function fitted by the same window search.
struct BufferEstimate {
  bool present = false;
  bool acid = true; // V·10^(−pH) for an acid, V·10^(pH−pKw) for a base
  int firstPoint = 0;
  int endPoint = 0;
  double veq = 0;
  double halfWidth = 0;
  double relativeError = 0;
};

enum class Agreement {
  NotTested, // fewer than two lines
  Agree,     // their 0.05 intervals overlap
  Disagree,
};

struct RobustAnalysis {
  bool titrantIsBase = true;     // the pH rises as the titrant is added
  std::vector<BranchLine> lines; // in the order of their points
  Agreement agreement = Agreement::NotTested;
  double combinedVeq = 0; // inverse-variance weighted, when the lines agree
  double combinedHalfWidth = 0;
  // The method's estimate: the combined Veq when two lines agree, the one line when there is
  // one; when two disagree, the one nearer a jump of the curve (without a jump, the
  // titrant-excess line); not a number when there is no line.
  double veq = 0;
  double halfWidth = 0;
  bool weakAnalyte = false;        // the analyte's branch holds no line of the titrant's slope
  double noisePH = 0;              // the pH noise read from the points
  double roundingPH = 0;           // the part of it that the readings' last digit explains
  std::vector<EndPoint> endPoints; // in rising volume
  BufferEstimate buffer;
  std::vector<std::string> warnings; // every warning, plain ASCII, in the order found
};

// Everything the robust method finds, without touching the record. The record's G values must
// be current (they are after every edit).
RobustAnalysis AnalyseChecks(const TitrationSystem& sys);

// Places the lines found in the record (replacing its whole line table, as automatic placement
// does: one empty line when none is found), fits each with FitLine and keeps its status, and
// returns the analysis with every line's slot filled in.
RobustAnalysis FindLines(TitrationSystem& sys);

// A line of text for a status bar or a terminal: the estimate and the verdict.
std::string RobustSummary(const RobustAnalysis& analysis);

} // namespace vexa
