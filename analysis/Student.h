#pragma once
// One-sided Student coefficients for the 0.05 risk level, to two decimals.
namespace vexa {

struct StudentRow {
  int df;
  double t;
};
inline constexpr int kStudentRows = 34;
extern const StudentRow kStudentTable[kStudentRows];

// The coefficient for df degrees of freedom (df ≥ 1): the table row up to 30, linear
// interpolation between 30, 40, 60, 120 and 240, and 1.64 from 240 on.
double StudentCoefficient(int df);

} // namespace vexa
