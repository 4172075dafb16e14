#include "numeric/best_fit.h"

#include <Eigen/Dense>
#include <unsupported/Eigen/NonLinearOptimization>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <optional>
#include <vector>

namespace {

// The model's gradient and Hessian at one point, in the order a, c, t0, with
// d = t − t0, u = c d: f = a σ(u).
struct PointDerivatives
{
    double f;
    std::array<double, 3> g;
    Hessian h;
};

PointDerivatives derivatives(const Parameters &p, double t)
{
    const double d = t - p.t0;
    const Logistic l = logistic(p.c * d);
    const double fcc = p.a * d * d * l.dds;
    const double fct = -p.a * l.ds - p.a * p.c * d * l.dds;
    const double ftt = p.a * p.c * p.c * l.dds;
    return {p.a * l.s,
            {l.s, p.a * d * l.ds, -p.a * p.c * l.ds},
            {{{0, d * l.ds, -p.c * l.ds}, {d * l.ds, fcc, fct}, {-p.c * l.ds, fct, ftt}}}};
}

double &component(Parameters &p, int j)
{
    return j == 0 ? p.a : j == 1 ? p.c : p.t0;
}

// The solver's unknowns are the free parameters, in the order a, c, t0.
struct FreeSet
{
    std::array<int, 3> index{};
    int count{0};

    explicit FreeSet(Held held)
    {
        const bool isHeld[3] = {held.a, held.c, held.t0};
        for (int j = 0; j < 3; ++j)
            if (!isHeld[j])
                index[size_t(count++)] = j;
    }

    Eigen::VectorXd unknowns(Parameters p) const
    {
        Eigen::VectorXd x(count);
        for (int j = 0; j < count; ++j)
            x[j] = component(p, index[size_t(j)]);
        return x;
    }

    Parameters with(Parameters base, const Eigen::VectorXd &x) const
    {
        for (int j = 0; j < count; ++j)
            component(base, index[size_t(j)]) = x[j];
        return base;
    }
};

// The residuals f(t_k) − y_k and their Jacobian over the free parameters, as
// the solver wants them. A non-finite value ends that start (-1 asks the
// solver to stop).
struct Residuals
{
    const Points &points;
    const FreeSet &free;
    Parameters base;

    int values() const { return points.n; }

    int operator()(const Eigen::VectorXd &x, Eigen::VectorXd &r) const
    {
        const Parameters p = free.with(base, x);
        for (int k = 0; k < points.n; ++k) {
            const double t = points.t[size_t(k)];
            r[k] = p.a * logistic(p.c * (t - p.t0)).s - points.y[size_t(k)];
        }
        return r.allFinite() ? 0 : -1;
    }

    int df(const Eigen::VectorXd &x, Eigen::MatrixXd &jacobian) const
    {
        const Parameters p = free.with(base, x);
        for (int k = 0; k < points.n; ++k) {
            const PointDerivatives pd = derivatives(p, points.t[size_t(k)]);
            for (int j = 0; j < free.count; ++j)
                jacobian(k, j) = pd.g[size_t(free.index[size_t(j)])];
        }
        return jacobian.allFinite() ? 0 : -1;
    }
};

bool converged(Eigen::LevenbergMarquardtSpace::Status status)
{
    using namespace Eigen::LevenbergMarquardtSpace;
    switch (status) {
    case RelativeReductionTooSmall:
    case RelativeErrorTooSmall:
    case RelativeErrorAndReductionTooSmall:
    case CosinusTooSmall:
    case FtolTooSmall:
    case XtolTooSmall:
    case GtolTooSmall:
        return true;
    default: // out of evaluations, improper input, or a non-finite value
        return false;
    }
}

// Every point deep in the flat tails: the curve has become a step.
bool runsOff(const Parameters &p, const Points &points)
{
    for (int k = 0; k < points.n; ++k)
        if (std::fabs(p.c * (points.t[size_t(k)] - p.t0)) <= kRunOff)
            return false;
    return true;
}

struct Candidate
{
    Parameters p;
    double E;
};

// One start of the solver. Its result counts only when the solver met one of
// its convergence tests, the parameters are finite, c has not run off, and
// the program's own checked sums give E there.
std::optional<Candidate> solveFrom(Parameters start, const FreeSet &free, Held held,
                                   const Points &points)
{
    try {
        Residuals residuals{points, free, start};
        Eigen::LevenbergMarquardt<Residuals> solver(residuals);
        solver.parameters.ftol = 1e-12;
        solver.parameters.xtol = 1e-12;
        // MINPACK's own budget: a start that needs more is running off.
        solver.parameters.maxfev = 100 * (free.count + 1);
        Eigen::VectorXd x = free.unknowns(start);
        if (!converged(solver.minimize(x)) || !x.allFinite())
            return std::nullopt;
        const Parameters p = free.with(start, x);
        if (!held.c && runsOff(p, points))
            return std::nullopt;
        // E alone, as "Error Cuadrático" would show it at p: no derivative
        // (and none of its exponentials) is needed for that.
        Sums sums;
        sumErrors(p, {true, true, true}, points, sums);
        return Candidate{p, sums.E};
    } catch (const Fault &) {
        return std::nullopt;
    }
}

// a from the largest y, t0 where the points (in order of t) cross half of it,
// c from the slope there (the logistic's slope at t0 is a c / 4).
Parameters guessFromData(const Points &points)
{
    if (points.n <= 0)
        return {5, 1, 0};
    std::vector<int> order(size_t(points.n));
    std::iota(order.begin(), order.end(), 0);
    auto t = [&](int k) { return points.t[size_t(k)]; };
    auto y = [&](int k) { return points.y[size_t(k)]; };
    std::stable_sort(order.begin(), order.end(), [&](int l, int r) { return t(l) < t(r); });
    Parameters guess{*std::max_element(points.y.begin(), points.y.begin() + points.n), 1.0, 0.0};
    const double half = guess.a / 2;
    // Without a crossing, the point nearest half of a.
    guess.t0 = t(*std::min_element(order.begin(), order.end(), [&](int l, int r) {
        return std::fabs(y(l) - half) < std::fabs(y(r) - half);
    }));
    for (size_t k = 1; k < order.size(); ++k) {
        const int l = order[k - 1], r = order[k];
        if ((y(l) - half) * (y(r) - half) > 0 || !(t(r) > t(l)))
            continue;
        const double slope = (y(r) - y(l)) / (t(r) - t(l));
        guess.t0 = y(r) != y(l) ? t(l) + (half - y(l)) / slope : (t(l) + t(r)) / 2;
        if (guess.a != 0)
            guess.c = 4 * slope / guess.a;
        break;
    }
    if (!std::isfinite(guess.a) || !std::isfinite(guess.c) || !std::isfinite(guess.t0))
        return {5, 1, 0};
    return guess;
}

// A start with the held parameters at their current values.
Parameters keepingHeld(Parameters start, const Parameters &current, Held held)
{
    if (held.a)
        start.a = current.a;
    if (held.c)
        start.c = current.c;
    if (held.t0)
        start.t0 = current.t0;
    return start;
}

BestFit solve(const Parameters &current, Held held, const Points &points)
{
    const FreeSet free(held);
    const bool pointsFit = points.n >= 0 && size_t(points.n) <= points.t.size()
            && size_t(points.n) <= points.y.size();
    if (free.count == 0 || !pointsFit || points.n < free.count)
        return {};

    const std::array<Parameters, 3> starts{keepingHeld(current, current, held),
                                           keepingHeld({5, 1, 0}, current, held),
                                           keepingHeld(guessFromData(points), current, held)};
    std::optional<Candidate> best;
    for (size_t k = 0; k < starts.size(); ++k) {
        const Parameters &start = starts[k];
        // The current parameters are often the start values themselves.
        if (std::any_of(starts.begin(), starts.begin() + long(k), [&](const Parameters &q) {
                return q.a == start.a && q.c == start.c && q.t0 == start.t0;
            }))
            continue;
        const auto found = solveFrom(start, free, held, points);
        if (found && (!best || found->E < best->E))
            best = found;
    }
    if (!best)
        return {};
    const double lambda = largestCurvature(best->p, held, points);
    const double maxStep = 2 / lambda;
    if (!(lambda > 0) || !std::isfinite(maxStep))
        return {};
    return {true, best->p, best->E, maxStep};
}

} // namespace

Hessian errorHessian(const Parameters &p, const Points &points)
{
    if (points.n < 0 || size_t(points.n) > points.t.size() || size_t(points.n) > points.y.size())
        raiseFault();
    Hessian h{};
    for (int k = 0; k < points.n; ++k) {
        const PointDerivatives pd = derivatives(p, points.t[size_t(k)]);
        const double r = pd.f - points.y[size_t(k)];
        for (size_t i = 0; i < 3; ++i)
            for (size_t j = 0; j < 3; ++j)
                h[i][j] += 2 * (pd.g[i] * pd.g[j] + r * pd.h[i][j]);
    }
    for (auto &row : h)
        for (double &value : row)
            chk(value);
    return h;
}

double largestCurvature(const Parameters &p, Held held, const Points &points)
{
    const FreeSet free(held);
    if (free.count == 0)
        return 0;
    const Hessian h = errorHessian(p, points);
    Eigen::MatrixXd block(free.count, free.count);
    for (int i = 0; i < free.count; ++i)
        for (int j = 0; j < free.count; ++j)
            block(i, j) = h[size_t(free.index[size_t(i)])][size_t(free.index[size_t(j)])];
    const Eigen::SelfAdjointEigenSolver<Eigen::MatrixXd> eigen(block, Eigen::EigenvaluesOnly);
    if (eigen.info() != Eigen::Success)
        raiseFault();
    return eigen.eigenvalues().maxCoeff();
}

BestFit bestFit(const Parameters &current, Held held, const Points &points) noexcept
{
    try {
        return solve(current, held, points);
    } catch (const std::exception &) { // Fault, and anything the library might throw
        return {};
    } catch (...) {
        return {};
    }
}
