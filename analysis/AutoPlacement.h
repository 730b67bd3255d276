#pragma once
// Automatic placement of the lines: the measure it minimises, the search for the best line
// from either end of the table, what it found, and the message that tells the user when it
// found no line worth keeping.
#include "analysis/ApproxLine.h"
#include "analysis/LineFit.h"

#include <span>
#include <string>

namespace vexa {

// A line is kept only when its relative error of Veq is below this, in per cent.
inline constexpr double kAutoLineErrorLimit = 10;

// |ΔV / Veq × 100|, the measure the placement minimises. A ratio that is not a finite number
// (Veq = 0, NaN) is infinite: never better than anything.
double PlacementError(double deltaVeq, double veq);

// The best trial line of one search.
struct PlacementTrial {
  bool found = false; // some trial was fitted with a finite relative error
  int firstPoint = 0; // the trial's point numbers as the line stores them
  int endPoint = 0;
  double relativeError = 0; // its |ΔV / Veq × 100|, per cent (when found)
};

// What automatic placement did. The line table itself is the record's business; this says
// how many lines were kept and what the best trial of each search was.
struct AutoLinesOutcome {
  int pointCount = 0;  // the number of points the placement worked on
  int linesPlaced = 0; // 0, 1 or 2 lines accepted
  PlacementTrial head; // the line from the first point (ends 2, 3, ... N-1)
  PlacementTrial tail; // the line to the last point (ends N-3, N-4, ... 0); not searched
                       // when the head line covers every point
  // The better of the two trials (the head line on a tie), or nullptr when neither was found.
  const PlacementTrial* Best() const;
};

// The message for the user when automatic placement kept no line, in UTF-8: that no line
// reached a relative error below 10 % and which trial came closest. Empty when a line was kept.
std::string AutoLinesMessage(const AutoLinesOutcome& outcome);

// The searches. Trial lines grow one point at a time: from the first point (first point 0,
// ends 2, 3, ... N-1) or from the last one (first point N-1, ends N-3, N-4, ... 0). A trial
// counts only when its fit succeeds with a finite relative error; of the trials with the
// smallest error the first one tried wins. The result is the one a refit of every trial in
// turn would give, found in linear time: only the trials whose error cannot be told apart
// from the best by rounding bounds are refitted. bestFit, when given, receives the fit of the
// best trial (when found).
PlacementTrial BestHeadTrial(std::span<const double> volume, std::span<const double> g,
                             LineFit* bestFit = nullptr);
PlacementTrial BestTailTrial(std::span<const double> volume, std::span<const double> g,
                             LineFit* bestFit = nullptr);

// The fields a search's trial fits leave in a line record that they all used in turn (each
// writes what its result code lets it write): replayed from the last trial backwards, so it
// costs a fit or two unless the last trials failed.
class TrialReplay {
public:
  // Adds the trials of one search; searches are added latest first.
  void AddHeadTrials(std::span<const double> volume, std::span<const double> g);
  void AddTailTrials(std::span<const double> volume, std::span<const double> g);
  // Writes what the trials added so far left; fields no trial wrote keep their values.
  void WriteTo(ApproxLine& line) const;

private:
  void AddTrials(std::span<const double> volume, std::span<const double> g, bool fromEnd);
  bool complete_ = false; // a full fit was found: earlier trials no longer matter
  bool hasSlope_ = false;
  double a_ = 0, b_ = 0;
  ApproxLine full_{};
  bool hasFull_ = false;
};

} // namespace vexa
