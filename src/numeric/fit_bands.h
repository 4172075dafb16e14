#pragma once

#include "numeric/fit_statistics.h"

#include <optional>

// The 95 % bands of a fitted curve, from the fit's own statistics: with g(t)
// the model's gradient over the free parameters at the fit, Cov and s from
// FitStatistics and q = t(0.975; n − p),
//   confidence band (where the curve lies):      f(t) ± q √(g(t)ᵀ Cov g(t))
//   prediction band (where a new point falls):   f(t) ± q √(s² + g(t)ᵀ Cov g(t))
// A held parameter has no column in g. The covariance is computed once, with
// the statistics; each t then costs one logistic and a 3 × 3 product, so a
// figure can sample a few hundred t on every refresh.
//
// Use: take the best fit's statistics once per refresh (the report already
// has them, `bestFitStatistics`), ask bandsAvailable once, then fitBandsAt
// for each t the figure samples and for each point of the copied table, in
// grid order. When bandsAvailable is false, `reason` says why: noBestFit,
// illConditioned (no unique best fit) or tooFewPoints (n = p leaves no
// degree of freedom for s). When it is true a t still has none only where a
// figure at t leaves the double range; the copied table writes "—" there and
// the figure leaves a gap.

struct BandPoint
{
    double t{0.0};
    double f{0.0}; // the fitted curve, a σ(c (t − t0)), free of overflow
    double confidenceLower{0.0};
    double confidenceUpper{0.0};
    double predictionLower{0.0};
    double predictionUpper{0.0};
};

// Whether the statistics give bands at all: they have errors (a best fit that
// exists, well conditioned, with a degree of freedom) and a finite quantile.
bool bandsAvailable(const FitStatistics &fit) noexcept;

// The bands at t; none where bandsAvailable is false, or where t is not
// finite or a figure at t leaves the double range (only for t or parameters
// near the limits of the double range). With every parameter held the
// confidence band is the curve itself and the prediction band f ± q s.
std::optional<BandPoint> fitBandsAt(const FitStatistics &fit, double t) noexcept;
