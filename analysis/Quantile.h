#pragma once
// Quantiles of Student's t distribution for any number of degrees of freedom. The line fit
// keeps its own two-decimal table; these serve the robust line search and its checks, which
// need two-sided levels and the critical values of the lack-of-fit test.
namespace vexa {

// P(|T| <= t) for Student's t with df degrees of freedom (df >= 1), t >= 0.
double StudentTwoSidedProbability(double t, int df);

// The t with P(|T| <= t) = level (0 < level < 1) for df >= 1 degrees of freedom.
double StudentTwoSidedQuantile(double level, int df);

// The two-sided 0.05 quantile (level 0.95), kept in a table for small df.
double Student95(int df);

// The upper 0.05 quantile of Fisher's F with d1 and d2 degrees of freedom (d1 >= 1); d2 < 1
// stands for infinitely many, where F is chi-squared over d1. Exact for d1 of 1 and 2,
// Paulson's cube-root approximation beyond (within about one per cent).
double Fisher95(int d1, int d2);

} // namespace vexa
