#pragma once

#include "numeric/descent.h"

// The seven methods of the race of methods (see race.h), each a small type
// behind one stepping interface. Every method works on the program's own
// error sums: E and its gradient come from sumErrors with the held set, so a
// method faults wherever the window's own evaluation would, and a held
// parameter has a zero gradient and never moves. The methods that solve a
// linear system (Gauss–Newton, Levenberg–Marquardt, Newton) solve it over the
// free parameters only.

// Where a method stands: its parameters and the program's sums there.
struct Iterate
{
    Parameters p{};
    Sums sums{};
};

// The program's evaluation of E and its gradient (sumErrors with the held
// set), counting the evaluations made, a faulting one included.
class Evaluator
{
public:
    Evaluator(Held held, const Points &points) : held_(held), points_(points) { }

    Sums operator()(const Parameters &p)
    {
        ++count_;
        Sums sums;
        sumErrors(p, held_, points_, sums);
        return sums;
    }

    Held held() const { return held_; }
    const Points &points() const { return points_; }
    int count() const { return count_; }

private:
    Held held_;
    Points points_;
    int count_{0};
};

// How an iteration ended, faults aside (they are thrown).
enum class StepEnd {
    moved,               // the method made its update (a trial of LM, kept or not, counts)
    singular,            // the linear system has no reliable solution
    notPositiveDefinite, // Newton's Hessian over the free parameters is not positive definite
};

// One iteration of a method. `at` holds the parameters and sums of the last
// iteration (or of the start); step() leaves the next ones there, evaluating
// through `evaluate`. Throws Fault when the arithmetic overflows, exactly as
// the program's evaluation and update do; `at` is then of no further use.
class RaceMethod
{
public:
    virtual ~RaceMethod() = default;
    virtual StepEnd step(Iterate &at, Evaluator &evaluate) = 0;
};

// The window's own descent: descentUpdate with step size s (c, a, t0 in that
// order), then the sums at the new parameters: one evaluation per iteration.
class PlainDescent final : public RaceMethod
{
public:
    explicit PlainDescent(double s) : s(s) { }
    StepEnd step(Iterate &at, Evaluator &evaluate) override;

private:
    double s;
};

// Heavy ball: v ← β v − s ∇E, p ← p + v, with v = 0 at the start. One
// evaluation per iteration.
class Momentum final : public RaceMethod
{
public:
    Momentum(double s, double beta) : s(s), beta(beta) { }
    StepEnd step(Iterate &at, Evaluator &evaluate) override;

private:
    double s, beta;
    Parameters v{};
};

// Nesterov's look-ahead: v ← β v − s ∇E(p + β v), p ← p + v. Two evaluations
// per iteration: the gradient at the look-ahead point, and E where p lands
// (which the race records and tests against the best fit).
class Nesterov final : public RaceMethod
{
public:
    Nesterov(double s, double beta) : s(s), beta(beta) { }
    StepEnd step(Iterate &at, Evaluator &evaluate) override;

private:
    double s, beta;
    Parameters v{};
};

// Adam (Kingma and Ba): m ← β₁ m + (1 − β₁) g, u ← β₂ u + (1 − β₂) g², and
// p ← p − α m̂ / (√û + ε) with the bias corrections m̂ = m / (1 − β₁ᵏ) and
// û = u / (1 − β₂ᵏ) at iteration k. One evaluation per iteration.
class Adam final : public RaceMethod
{
public:
    explicit Adam(double alpha) : alpha(alpha) { }
    StepEnd step(Iterate &at, Evaluator &evaluate) override;

    static constexpr double kBeta1 = 0.9;
    static constexpr double kBeta2 = 0.999;
    static constexpr double kEpsilon = 1e-8;

private:
    double alpha;
    Parameters m{}, u{};
    double beta1Power{1.0}, beta2Power{1.0}; // β₁ᵏ, β₂ᵏ
};

// Gauss–Newton: JᵀJ δ = −Jᵀr over the free parameters, J the model's
// derivatives at the points (parL, parC, parT) and Jᵀr half the program's
// gradient; p ← p + δ. One evaluation per iteration, besides the Jacobian.
class GaussNewton final : public RaceMethod
{
public:
    StepEnd step(Iterate &at, Evaluator &evaluate) override;
};

// Levenberg–Marquardt: (JᵀJ + λ diag(JᵀJ)) δ = −Jᵀr, a trial p + δ; a trial
// that lowers E is kept and λ divided by 10, any other is refused (p stays)
// and λ multiplied by 10. One trial, kept or not, is one iteration and one
// evaluation.
class LevenbergMarquardt final : public RaceMethod
{
public:
    explicit LevenbergMarquardt(double lambda = kStartLambda) : lambda_(lambda) { }
    StepEnd step(Iterate &at, Evaluator &evaluate) override;

    double lambda() const { return lambda_; } // the λ of the next trial
    static constexpr double kStartLambda = 1e-3;

private:
    double lambda_;
};

// Newton: H δ = −∇E with the exact Hessian of E over the free parameters
// (errorHessian), p ← p + δ. Stops where H is not positive definite, since
// the step then need not go down. One evaluation per iteration, besides the
// Hessian.
class Newton final : public RaceMethod
{
public:
    StepEnd step(Iterate &at, Evaluator &evaluate) override;
};

// A system counts as singular when its matrix, scaled to a unit diagonal, has
// a reciprocal condition number below this: its solution would keep fewer
// than about four correct digits. Scaling makes the test independent of the
// units of t and y.
inline constexpr double kSingular = 1e-12;
