#include "numeric/race_methods.h"

#include "numeric/best_fit.h"

#include <Eigen/Dense>

#include <array>

namespace {

// At most three unknowns: no allocation inside an iteration.
using Matrix = Eigen::Matrix<double, Eigen::Dynamic, Eigen::Dynamic, 0, 3, 3>;
using Vector = Eigen::Matrix<double, Eigen::Dynamic, 1, 0, 3, 1>;

double &component(Parameters &p, int j)
{
    return j == 0 ? p.a : j == 1 ? p.c : p.t0;
}

double gradient(const Sums &sums, int j)
{
    return j == 0 ? sums.L : j == 1 ? sums.C : sums.T;
}

double at(std::span<const double> values, int k)
{
    if (k < 0 || size_t(k) >= values.size()) [[unlikely]]
        raiseFault();
    return values[size_t(k)];
}

// The free parameters, in the order a, c, t0.
struct FreeIndex
{
    std::array<int, 3> index{};
    int count{0};

    explicit FreeIndex(Held held)
    {
        const bool isHeld[3] = {held.a, held.c, held.t0};
        for (int j = 0; j < 3; ++j)
            if (!isHeld[j])
                index[size_t(count++)] = j;
    }

    int operator[](int i) const { return index[size_t(i)]; }
};

// The program's gradient over the free parameters, times `factor`.
Vector freeGradient(const Sums &sums, const FreeIndex &free, double factor)
{
    Vector g(free.count);
    for (int i = 0; i < free.count; ++i)
        g[i] = chk(factor * gradient(sums, free[i]));
    return g;
}

// JᵀJ over the free parameters, from the program's checked derivatives of the
// model: a held parameter's derivative is never computed, so it cannot fault.
Matrix normalMatrix(const Parameters &p, const FreeIndex &free, Held held, const Points &points)
{
    Matrix m = Matrix::Zero(free.count, free.count);
    for (int k = 0; k < points.n; ++k) {
        const double t = at(points.t, k);
        const double d[3] = {parL(p, held.a, t), parC(p, held.c, t), parT(p, held.t0, t)};
        for (int i = 0; i < free.count; ++i)
            for (int j = 0; j < free.count; ++j)
                m(i, j) = chk(m(i, j) + chk(d[free[i]] * d[free[j]]));
    }
    return m;
}

// Solves m x = b for a symmetric m that ought to be positive definite, by
// Cholesky on m scaled to a unit diagonal. `hessian` says whether a matrix
// that is not positive definite is Newton's Hessian (and the step refused for
// that) or a Gauss–Newton matrix, only positive semidefinite in exact
// arithmetic, which fails to be definite only where it is singular.
StepEnd solve(const Matrix &m, const Vector &b, bool hessian, Vector &x)
{
    const StepEnd indefinite = hessian ? StepEnd::notPositiveDefinite : StepEnd::singular;
    const int count = int(m.rows());
    x = Vector::Zero(count);
    if (count == 0)
        return StepEnd::moved;
    Vector scale(count);
    for (int j = 0; j < count; ++j) {
        if (!(m(j, j) > 0))
            return indefinite;
        scale[j] = 1 / std::sqrt(m(j, j));
    }
    // An entry beyond the double range here exceeds the geometric mean of its
    // diagonal entries, which a positive definite matrix cannot do.
    const Matrix scaled = scale.asDiagonal() * m * scale.asDiagonal();
    if (!scaled.allFinite())
        return indefinite;
    const Eigen::LLT<Matrix> cholesky(scaled);
    if (cholesky.info() != Eigen::Success)
        return indefinite;
    if (!(cholesky.rcond() >= kSingular))
        return StepEnd::singular;
    x = scale.cwiseProduct(cholesky.solve(scale.cwiseProduct(b)));
    for (int j = 0; j < count; ++j)
        chk(x[j]);
    return StepEnd::moved;
}

Parameters movedBy(Parameters p, const FreeIndex &free, const Vector &delta)
{
    for (int i = 0; i < free.count; ++i)
        component(p, free[i]) = chk(component(p, free[i]) + delta[i]);
    return p;
}

// v ← β v − s g, p ← p + v for one parameter.
void heavyBall(double &p, double &v, double g, double s, double beta)
{
    v = chk(chk(beta * v) - chk(s * g));
    p = chk(p + v);
}

} // namespace

StepEnd PlainDescent::step(Iterate &at, Evaluator &evaluate)
{
    descentUpdate(at.p, at.sums, s);
    at.sums = evaluate(at.p);
    return StepEnd::moved;
}

StepEnd Momentum::step(Iterate &at, Evaluator &evaluate)
{
    heavyBall(at.p.c, v.c, at.sums.C, s, beta);
    heavyBall(at.p.a, v.a, at.sums.L, s, beta);
    heavyBall(at.p.t0, v.t0, at.sums.T, s, beta);
    at.sums = evaluate(at.p);
    return StepEnd::moved;
}

StepEnd Nesterov::step(Iterate &at, Evaluator &evaluate)
{
    const Parameters ahead{chk(at.p.a + chk(beta * v.a)), chk(at.p.c + chk(beta * v.c)),
                           chk(at.p.t0 + chk(beta * v.t0))};
    const Sums there = evaluate(ahead);
    heavyBall(at.p.c, v.c, there.C, s, beta);
    heavyBall(at.p.a, v.a, there.L, s, beta);
    heavyBall(at.p.t0, v.t0, there.T, s, beta);
    at.sums = evaluate(at.p);
    return StepEnd::moved;
}

StepEnd Adam::step(Iterate &at, Evaluator &evaluate)
{
    beta1Power *= kBeta1; // an underflow to 0 leaves the correction at 1
    beta2Power *= kBeta2;
    auto move = [&](double &p, double &m, double &u, double g) {
        m = chk(chk(kBeta1 * m) + chk((1 - kBeta1) * g));
        u = chk(chk(kBeta2 * u) + chk(chk((1 - kBeta2) * g) * g));
        const double mHat = chk(m / (1 - beta1Power));
        const double uHat = chk(u / (1 - beta2Power));
        p = chk(p - chk(alpha * chk(mHat / chk(sqrtChk(uHat) + kEpsilon))));
    };
    move(at.p.c, m.c, u.c, at.sums.C);
    move(at.p.a, m.a, u.a, at.sums.L);
    move(at.p.t0, m.t0, u.t0, at.sums.T);
    at.sums = evaluate(at.p);
    return StepEnd::moved;
}

StepEnd GaussNewton::step(Iterate &at, Evaluator &evaluate)
{
    const FreeIndex free(evaluate.held());
    Vector delta;
    // Jᵀr is half the program's gradient.
    const StepEnd end = solve(normalMatrix(at.p, free, evaluate.held(), evaluate.points()),
                              freeGradient(at.sums, free, -0.5), false, delta);
    if (end != StepEnd::moved)
        return end;
    at.p = movedBy(at.p, free, delta);
    at.sums = evaluate(at.p);
    return StepEnd::moved;
}

StepEnd LevenbergMarquardt::step(Iterate &at, Evaluator &evaluate)
{
    const FreeIndex free(evaluate.held());
    Matrix m = normalMatrix(at.p, free, evaluate.held(), evaluate.points());
    for (int j = 0; j < free.count; ++j)
        m(j, j) = chk(m(j, j) + chk(lambda_ * m(j, j)));
    Vector delta;
    const StepEnd end = solve(m, freeGradient(at.sums, free, -0.5), false, delta);
    if (end != StepEnd::moved)
        return end;
    const Parameters trial = movedBy(at.p, free, delta);
    const Sums there = evaluate(trial);
    if (there.E < at.sums.E) {
        at = {trial, there};
        lambda_ /= 10; // unchecked: an underflow towards 0 only leaves Gauss–Newton
    } else {
        lambda_ = chk(lambda_ * 10);
    }
    return StepEnd::moved;
}

StepEnd Newton::step(Iterate &at, Evaluator &evaluate)
{
    const FreeIndex free(evaluate.held());
    const Hessian h = errorHessian(at.p, evaluate.points());
    Matrix m(free.count, free.count);
    for (int i = 0; i < free.count; ++i)
        for (int j = 0; j < free.count; ++j)
            m(i, j) = h[size_t(free[i])][size_t(free[j])];
    Vector delta;
    const StepEnd end = solve(m, freeGradient(at.sums, free, -1), true, delta);
    if (end != StepEnd::moved)
        return end;
    at.p = movedBy(at.p, free, delta);
    at.sums = evaluate(at.p);
    return StepEnd::moved;
}
