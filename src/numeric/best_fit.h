#pragma once

#include "numeric/descent.h"

#include <array>

// Where the descent should end and how large a step it can take: the
// parameters that minimise E = Σ (f(t_k) − y_k)² over the points, and the
// largest step size for which plain descent settles there.

// Second derivatives of E, rows and columns in the order a, c, t0.
using Hessian = std::array<std::array<double, 3>, 3>;

// The exact Hessian 2 Σ (∇f ∇fᵀ + r ∇²f) at p, all three parameters. Throws
// Fault for a count beyond the arrays or a result beyond the double range.
Hessian errorHessian(const Parameters &p, const Points &points);

// The largest eigenvalue of the Hessian over the free parameters only; 0 when
// every parameter is held. Throws Fault like errorHessian.
double largestCurvature(const Parameters &p, Held held, const Points &points);

struct BestFit
{
    // False when there is no answer: fewer points than free parameters, no
    // finite minimum, every start failing, or no positive curvature there.
    bool found{false};
    Parameters p;        // the minimiser; held parameters keep their values
    double E{0.0};       // the squared error there, as the program's sums give it
    double maxStep{0.0}; // 2 / λmax: plain descent settles at p below it, not above
};

// The best fit over the free parameters by Levenberg–Marquardt from several
// starts (the current parameters; 5, 1, 0; a guess from the data), keeping the
// lowest finite E. Never throws: any failure inside gives `found` false.
BestFit bestFit(const Parameters &current, Held held, const Points &points) noexcept;

// The curve at which a start is taken "running off": when every point lies
// this far into the flat tails (|c (t_k − t0)| beyond it, so f is within
// e^-30, about 1e-13, of 0 or a at every point), E no longer depends on c and
// t0 and keeps falling or stays level as |c| grows: a step, not a minimum.
inline constexpr double kRunOff = 30.0;
