#pragma once

#include "numeric/best_fit.h"

#include <array>
#include <optional>
#include <vector>

// The statistics of a fit by least squares, over the free parameters only,
// with the asymptotic formulas: J is the n × p Jacobian of the model at the
// parameters, the covariance is s² (JᵀJ)⁻¹ with s² = E / (n − p), the standard
// errors are the square roots of its diagonal, and the 95 % interval is
// value ± t(0.975; n − p) · standard error. Arrays are indexed a, c, t0.
// Any other figure g(a, c, t0) of the fit has the variance ∇gᵀ Cov ∇g (the
// delta method): propagatedVariance gives it from the same covariance, so the
// bands and the growth figures share the parameters' numbers.

// Why a column has no standard errors, intervals or correlations.
enum class NoAnswer {
    none,           // every figure has its meaning
    tooFewPoints,   // n ≤ p: no degree of freedom is left to estimate s
    illConditioned, // JᵀJ is singular or too near it (kMaxCondition)
    notFinite,      // the model or a figure leaves the double range at these parameters
    noBestFit,      // the best-fit column, when the solver found no best fit
};

// The largest condition number of J, its columns first scaled to unit length,
// for which the errors are given. Scaling makes it independent of the units
// of a, c and t0; beyond 1e8 the condition number of JᵀJ passes 1e16, where
// double arithmetic cannot tell it from a singular matrix and the correlation
// of some pair of parameters differs from ±1 by less than a rounding error.
inline constexpr double kMaxCondition = 1e8;

// The gradient counts as negligible when the Gauss–Newton step it points to,
// (JᵀJ)⁻¹ Jᵀ r, is shorter than this many standard errors, measured with the
// covariance itself: √(‖projection of r on J's columns‖²) / s.
inline constexpr double kNegligibleStep = 0.01;

// One row of the residual table: the point, the model there and y − f(t);
// NaN for a figure beyond the double range.
struct ResidualRow
{
    double t, y, f, r;
};

struct FitStatistics
{
    NoAnswer reason{NoAnswer::none};
    Parameters p;             // the parameters the statistics are taken at
    Held held;                // held parameters have no error: they are shown as fixed
    int n{0};                 // points
    int free{0};              // p, the free parameters
    int dof{0};               // n − p
    std::optional<double> E;  // squared error, as the program's sums give it
    std::optional<double> s;  // residual standard error √(E / (n − p))
    std::optional<double> R2; // 1 − E / Σ (y − ȳ)²; none when every y is the same
    // For the free parameters when `reason` is none.
    std::array<double, 3> standardError{};
    std::array<double, 3> lower{}; // 95 % interval
    std::array<double, 3> upper{};
    std::array<std::array<double, 3>, 3> correlation{};
    // Cov = s² (JᵀJ)⁻¹ over the free parameters, rows and columns a, c, t0;
    // a held parameter's row and column are 0.
    std::array<std::array<double, 3>, 3> covariance{};
    // R with Cov = R Rᵀ, from the same decomposition (R = s D⁻¹ V Σ⁻¹ in the
    // notation of fit_statistics.cpp), rows a, c, t0 and a held row 0: a
    // variance taken as ‖Rᵀ g‖² is a sum of squares, never below 0 by rounding.
    std::array<std::array<double, 3>, 3> covarianceRoot{};
    double t975{0.0};                   // t(0.975; n − p); also when every parameter is held
    double stepToMinimum{0.0};          // Gauss–Newton step in standard errors; 0 at a minimum
    std::vector<ResidualRow> residuals; // one row per point

    bool hasErrors() const { return reason == NoAnswer::none; }
    bool atMinimum() const { return !hasErrors() || stepToMinimum < kNegligibleStep; }
};

double parameterValue(const Parameters &p, int j);
bool isHeld(Held held, int j);

// The model's gradient (∂f/∂a, ∂f/∂c, ∂f/∂t0) at t, by the overflow-free
// logistic: finite for every finite a, c, t0 and t whose products stay finite,
// however far t lies from t0 (a tail's entries then go to 0 or a, not to NaN).
std::array<double, 3> modelGradient(const Parameters &p, double t) noexcept;

// The variance gᵀ Cov g = ‖Rᵀ g‖² of a figure whose gradient over a, c, t0 is
// g, taken over the free parameters only: a held parameter's entry is not
// read, so it contributes nothing even where it is not finite. 0 when every
// parameter is held; meaningful only when `fit.hasErrors()`.
double propagatedVariance(const FitStatistics &fit, const std::array<double, 3> &g) noexcept;

// The statistics at p. Never throws: where a figure has no meaning, `reason`
// says why and the figures that do have one are still given.
FitStatistics fitStatistics(const Parameters &p, Held held, const Points &points) noexcept;

// The same at the best fit; `reason` is noBestFit when there is none.
FitStatistics bestFitStatistics(const BestFit &best, Held held, const Points &points) noexcept;

// The Student t quantile t(probability; degrees of freedom); NaN when either
// is out of range.
double studentQuantile(double probability, int dof) noexcept;
