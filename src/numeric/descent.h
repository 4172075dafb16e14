#pragma once

#include "numeric/model.h"

#include <span>
#include <utility>

// The points in use: t[k], y[k] for k = 0..n-1. The spans are the whole
// arrays; an index beyond them is a fault, as it is everywhere else.
struct Points
{
    std::span<const double> t;
    std::span<const double> y;
    int n{0};
};

// The squared error E and its gradient, summed over the points (not divided
// by n), and how far the sum got: `done` is the index of the point being
// summed when a fault struck, n after a complete pass.
struct Sums
{
    double L{0.0}; // dE/da
    double C{0.0}; // dE/dc
    double T{0.0}; // dE/dt0
    double E{0.0}; // squared error
    int done{0};
};

// Sums at p over the points. Throws Fault; `out` then holds the sums of the
// points before the failing one, exactly as point-by-point updates leave them.
void sumErrors(const Parameters &p, Held held, const Points &points, Sums &out);

// The warning rule: the error grew when it exceeds the one before.
inline bool errorGrew(double error, double before)
{
    return error - before > 0;
}

// One plain descent update with step size s: c first, then a, then t0. A
// fault leaves the parameters updated up to the failing one.
inline void descentUpdate(Parameters &p, const Sums &sums, double s)
{
    p.c = chk(p.c - chk(s * sums.C));
    p.a = chk(p.a - chk(s * sums.L));
    p.t0 = chk(p.t0 - chk(s * sums.T));
}

struct BatchEnd
{
    int evaluations{0};  // iterations evaluated, the stopping one included
    bool stopped{false}; // the error grew past the one before the batch
};

// Up to `steps` iterations of: the sums at p, then stop without updating if
// the error exceeds `errorBefore`, else one update. `p` and `sums` are worked
// in place, so after a fault they hold what the iterations had reached.
// `onEvaluation(p, sums)` is called with the parameters and the sums of every
// evaluation, in order; it is a template parameter, so recording the history
// costs no indirect call per step.
template <typename OnEvaluation>
BatchEnd descentBatch(Parameters &p, Held held, const Points &points, double s, int steps,
                      double errorBefore, Sums &sums, OnEvaluation &&onEvaluation)
{
    BatchEnd end;
    for (int k = 1; k <= steps; ++k) {
        ++end.evaluations;
        sumErrors(p, held, points, sums);
        onEvaluation(std::as_const(p), std::as_const(sums));
        if (errorGrew(sums.E, errorBefore)) {
            end.stopped = true;
            break;
        }
        descentUpdate(p, sums, s);
    }
    return end;
}

// The same with no one told of the evaluations.
BatchEnd descentBatch(Parameters &p, Held held, const Points &points, double s, int steps,
                      double errorBefore, Sums &sums);

// Root-mean-square residual as a percentage of the mean y: 0/0 with no point
// and a division by zero with a zero mean are faults.
inline double normalizedError(double error, int n, double mean)
{
    return chk(chk(sqrtChk(chk(error / double(n))) / mean) * 100);
}
