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

} // namespace vexa
