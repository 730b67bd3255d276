#pragma once
// The least-squares fit of one approximating line over a range of points, free of any record:
// it reads the volumes V and linearised values G it is given and returns what it found.
#include "analysis/ApproxLine.h"

#include <span>

namespace vexa {

// The outcome of one fit. Which fields hold results depends on the code:
//   kLineFitted     every field;
//   kLineTwoPoints  a, b, veq, and sigmaVeq, deltaA, deltaB, deltaVeq set to 0;
//   kLineFitFailed  none, or only a and b when hasSlope says so (a fit that failed after it
//                   had computed them);
//   kLineFewPoints  none.
struct LineFit {
  int status = kLineFewPoints;
  bool hasSlope = false;
  double sigmaVeq = 0;
  double a = 0;
  double b = 0;
  double deltaA = 0;
  double deltaB = 0;
  double deltaVeq = 0;
  double veq = 0;
  double rhoXY = 0;
  double rhoAB = 0;

  // Writes into a line record exactly the fields this outcome holds, and nothing else: the
  // record keeps the rest of its previous fit. The status is left to the caller.
  void WriteTo(ApproxLine& line) const;
};

// Fits G = A + B·V by least squares to the points from the smaller to the larger of
// firstPoint and endPoint, both included, with error estimates at the 0.05 risk level.
// A range outside the spans (or spans of different lengths beyond the shorter) gives
// kLineFitFailed with nothing computed.
LineFit FitLeastSquares(std::span<const double> volume, std::span<const double> g, int firstPoint,
                        int endPoint);

} // namespace vexa
