#pragma once

#include "numeric/descent.h"

#include <array>
#include <vector>

// Where the descent should end and how large a step it can take: the
// parameters that minimise E = Σ (f(t_k) − y_k)² over the points, and the
// largest step size for which plain descent settles there.

// Second derivatives of E, rows and columns in the order a, c, t0.
using Hessian = std::array<std::array<double, 3>, 3>;

// The exact Hessian 2 Σ (∇f ∇fᵀ + r ∇²f) at p, all three parameters. Throws
// Fault for a count beyond the arrays or a result beyond the double range.
Hessian errorHessian(const Parameters &p, const Points &points);

// The eigenvalues of the Hessian over the free parameters only, smallest
// first; none when every parameter is held. Throws Fault like errorHessian.
std::vector<double> curvatures(const Parameters &p, Held held, const Points &points);

// The largest of them; 0 when every parameter is held.
double largestCurvature(const Parameters &p, Held held, const Points &points);

// Why there is no best fit to show.
enum class NoFit {
    none,                // there is one
    tooFewPoints,        // fewer points than free parameters
    allHeld,             // nothing left to fit
    noFiniteMinimum,     // no start ends at a finite point where E is least
    runsOff,             // E keeps falling as a parameter runs off to infinity
    noPositiveCurvature, // E is flat or falls along some direction at the result
};

struct BestFit
{
    NoFit whyNot{NoFit::noFiniteMinimum};
    Parameters p{};      // the minimiser; held parameters keep their values
    double E{0.0};       // the squared error there, as the program's sums give it
    double maxStep{0.0}; // 2 / λmax: plain descent settles at p below it, not above

    bool found() const { return whyNot == NoFit::none; }
};

// The best fit over the free parameters by Levenberg–Marquardt from several
// starts (the current parameters; 5, 1, 0; a guess from the data), keeping the
// lowest finite E, then finished by Newton steps on the exact Hessian so that
// the same points and held values give the same digits from any start that
// reaches the same minimum. There is an answer only where the minimum is
// finite and unique: c does not run off to a step (see kRunOff) and doubling
// it does not lower E, the Newton steps settle, and the Hessian over the free
// parameters, scaled to a unit diagonal, has its smallest eigenvalue above
// kFlatness times its largest. Never throws: any failure inside gives no
// answer, with its reason.
BestFit bestFit(const Parameters &current, Held held, const Points &points) noexcept;

// How deep into the flat tails a point lies when |c (t − t0)| is beyond this:
// f is then within e^-30, about 1e-13, of 0 or a. When some points lie there
// and the others all share one t, the curve is becoming a step: E no longer
// depends on c, or keeps falling as |c| grows with t0 following, so c runs
// off rather than settling on a minimum.
inline constexpr double kRunOff = 30.0;

// The smallest eigenvalue of the scaled Hessian, relative to its largest,
// that still counts as curvature: below it the valley is flat to within the
// rounding of the sums. Scaling to a unit diagonal makes the ratio
// independent of the units of t and y.
inline constexpr double kFlatness = 1e-10;
