#include "analysis/Student.h"

namespace vexa {

const StudentRow kStudentTable[kStudentRows] = {
    {1, 6.31},   {2, 2.92},   {3, 2.35},   {4, 2.13},   {5, 2.02},   {6, 1.94},   {7, 1.90},
    {8, 1.86},   {9, 1.83},   {10, 1.81},  {11, 1.80},  {12, 1.78},  {13, 1.77},  {14, 1.76},
    {15, 1.75},  {16, 1.75},  {17, 1.74},  {18, 1.73},  {19, 1.73},  {20, 1.73},  {21, 1.72},
    {22, 1.72},  {23, 1.71},  {24, 1.71},  {25, 1.71},  {26, 1.71},  {27, 1.70},  {28, 1.70},
    {29, 1.70},  {30, 1.70},  {40, 1.68},  {60, 1.67},  {120, 1.66}, {240, 1.64}};

double StudentCoefficient(int df) {
  if (df < 1) df = 1; // the only caller passes n - 2 with n >= 3
  if (df <= 30) return kStudentTable[df - 1].t;
  // Rows 40, 60, 120 and 240: the first whose df is greater than the argument.
  for (int row = 30; row < kStudentRows; ++row) {
    if (kStudentTable[row].df > df) {
      const StudentRow lo = kStudentTable[row - 1];
      const StudentRow hi = kStudentTable[row];
      return lo.t + (hi.t - lo.t) / (hi.df - lo.df) * (df - lo.df);
    }
  }
  return 1.64;
}

} // namespace vexa
