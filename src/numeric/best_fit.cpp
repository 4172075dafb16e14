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

// E, its gradient and its exact Hessian at p, all three parameters, from the
// derivatives above: nothing overflows on the way, whatever p.
struct Local
{
    double E{0.0};
    std::array<double, 3> g{};
    Hessian h{};
};

Local local(const Parameters &p, const Points &points)
{
    Local out;
    for (int k = 0; k < points.n; ++k) {
        const PointDerivatives pd = derivatives(p, points.t[size_t(k)]);
        const double r = pd.f - points.y[size_t(k)];
        out.E += r * r;
        for (size_t i = 0; i < 3; ++i) {
            out.g[i] += 2 * r * pd.g[i];
            for (size_t j = 0; j < 3; ++j)
                out.h[i][j] += 2 * (pd.g[i] * pd.g[j] + r * pd.h[i][j]);
        }
    }
    return out;
}

// E alone, with the same care.
double squaredError(const Parameters &p, const Points &points)
{
    double E = 0;
    for (int k = 0; k < points.n; ++k) {
        const double t = points.t[size_t(k)];
        const double r = p.a * logistic(p.c * (t - p.t0)).s - points.y[size_t(k)];
        E += r * r;
    }
    return E;
}

Eigen::MatrixXd freeBlock(const Hessian &h, const FreeSet &free)
{
    Eigen::MatrixXd block(free.count, free.count);
    for (int i = 0; i < free.count; ++i)
        for (int j = 0; j < free.count; ++j)
            block(i, j) = h[size_t(free.index[size_t(i)])][size_t(free.index[size_t(j)])];
    return block;
}

// What a parameter's last digits are measured against: its own size or the
// size of the points for it (max |y| for a, 1 / the span of t for c, max |t|
// for t0), whichever is larger, so that a parameter near 0 is measured on the
// scale of the data rather than on its own rounding noise.
struct Sizes
{
    std::array<double, 3> ofPoints{};

    explicit Sizes(const Points &points)
    {
        if (points.n <= 0)
            return;
        const auto t = points.t.first(size_t(points.n));
        const auto y = points.y.first(size_t(points.n));
        for (double v : y)
            ofPoints[0] = std::max(ofPoints[0], std::fabs(v));
        const auto [low, high] = std::minmax_element(t.begin(), t.end());
        ofPoints[1] = *high > *low ? 1 / (*high - *low) : 0.0;
        ofPoints[2] = std::max(std::fabs(*low), std::fabs(*high));
    }

    // 2^-bits of the size, a power of two; 0 when there is no size at all.
    double quantum(int j, double x, int bits) const
    {
        const double size = std::max(std::fabs(x), ofPoints[size_t(j)]);
        return size > 0 && std::isfinite(size) ? std::ldexp(1.0, std::ilogb(size) - bits) : 0.0;
    }
};

// The Hessian over the free parameters scaled to a unit diagonal, D H D with
// D = diag(1 / √H_jj), has the same definiteness as H but no units: its
// smallest eigenvalue says how well the points pin the parameters down.
bool curved(const Eigen::MatrixXd &h)
{
    const Eigen::VectorXd diagonal = h.diagonal();
    if (!h.allFinite() || !(diagonal.array() > 0).all())
        return false;
    const Eigen::VectorXd d = diagonal.cwiseSqrt().cwiseInverse();
    const Eigen::MatrixXd scaled = d.asDiagonal() * h * d.asDiagonal();
    const Eigen::SelfAdjointEigenSolver<Eigen::MatrixXd> eigen(scaled, Eigen::EigenvaluesOnly);
    return eigen.info() == Eigen::Success
            && eigen.eigenvalues().minCoeff() > kFlatness * eigen.eigenvalues().maxCoeff();
}

// c runs off when the curve is becoming a step: some point lies deep in the
// flat tails and the others all share one t (the riser of the step, where f
// may take any value between 0 and a), so E falls or stays level as |c|
// grows with t0 following; or when simply doubling c lowers E.
bool cRunsOff(const Parameters &p, const Points &points)
{
    if (p.c == 0)
        return false;
    bool inTails = false;
    std::optional<double> riser;
    for (int k = 0; k < points.n; ++k) {
        const double t = points.t[size_t(k)];
        if (std::fabs(p.c * (t - p.t0)) > kRunOff)
            inTails = true;
        else if (!riser)
            riser = t;
        else if (*riser != t)
            return false;
    }
    if (inTails)
        return true;
    Parameters steeper = p;
    steeper.c *= 2;
    return squaredError(steeper, points) < squaredError(p, points);
}

// Whether p is a finite, unique minimum over the free parameters as far as
// p alone tells.
NoFit verdict(const Parameters &p, const FreeSet &free, Held held, const Points &points)
{
    if (!held.c && cRunsOff(p, points))
        return NoFit::runsOff;
    if (!curved(freeBlock(local(p, points).h, free)))
        return NoFit::noPositiveCurvature;
    return NoFit::none;
}

// Newton steps on the exact Hessian from x, at most 16. Near a minimum each
// one doubles the correct digits, so they settle within a few steps: they
// stop once a step moves no parameter by more than 2^-40 of its size, or,
// `toTheLastBit`, once a step no longer changes x at all. Steps that have not
// settled after 16 mean there is no minimum near: E keeps falling along a
// valley that leads off, and none is returned.
std::optional<Eigen::VectorXd> newton(Eigen::VectorXd x, const FreeSet &free,
                                      const Parameters &base, const Points &points,
                                      const Sizes &sizes, bool toTheLastBit)
{
    bool settled = false;
    for (int k = 0; k < 16; ++k) {
        const Local at = local(free.with(base, x), points);
        Eigen::VectorXd g(free.count);
        for (int j = 0; j < free.count; ++j)
            g[j] = at.g[size_t(free.index[size_t(j)])];
        const Eigen::LDLT<Eigen::MatrixXd> ldlt(freeBlock(at.h, free));
        const Eigen::VectorXd next = x - ldlt.solve(g);
        if (ldlt.info() != Eigen::Success || !next.allFinite())
            return std::nullopt;
        if (next == x)
            return x;
        settled = true;
        for (int j = 0; j < free.count; ++j)
            settled = settled
                    && std::fabs(next[j] - x[j]) <= sizes.quantum(free.index[size_t(j)], x[j], 40);
        x = next;
        if (settled && !toTheLastBit)
            return x;
    }
    return settled ? std::optional(x) : std::nullopt;
}

// x rounded to 26 significant bits of each parameter's size. Newton steps
// from a point within rounding of the minimum land on one of a few
// neighbouring doubles, depending on where they came from; from the rounded
// point, the same for every start, they always land on the same one.
Eigen::VectorXd rounded(Eigen::VectorXd x, const FreeSet &free, const Sizes &sizes)
{
    for (int j = 0; j < free.count; ++j)
        if (const double quantum = sizes.quantum(free.index[size_t(j)], x[j], 26); quantum > 0)
            x[j] = std::nearbyint(x[j] / quantum) * quantum;
    return x;
}

// The solver's result finished by Newton steps, and the same digits for
// every start that reached the same minimum.
std::optional<Parameters> finished(const Parameters &p, const FreeSet &free, const Points &points)
{
    const Sizes sizes(points);
    const auto near = newton(free.unknowns(p), free, p, points, sizes, false);
    if (!near)
        return std::nullopt;
    const auto last = newton(rounded(*near, free, sizes), free, p, points, sizes, true);
    if (!last)
        return std::nullopt;
    return free.with(p, *last);
}

enum class End { converged, ranOff, failed };

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

struct Candidate
{
    End end{End::failed};
    Parameters p;
    double E{0.0};
};

// One start of the solver. A start that uses up MINPACK's own budget of
// evaluations is running off (as a and t0 do together for points that grow
// like a pure exponential); one that meets a non-finite value fails.
Candidate solveFrom(Parameters start, const FreeSet &free, const Points &points)
{
    Residuals residuals{points, free, start};
    Eigen::LevenbergMarquardt<Residuals> solver(residuals);
    solver.parameters.ftol = 1e-12;
    solver.parameters.xtol = 1e-12;
    solver.parameters.maxfev = 100 * (free.count + 1);
    Eigen::VectorXd x = free.unknowns(start);
    const auto status = solver.minimize(x);
    if (!x.allFinite())
        return {};
    const Parameters p = free.with(start, x);
    const double E = squaredError(p, points);
    if (!std::isfinite(E))
        return {};
    if (converged(status))
        return {End::converged, p, E};
    if (status == Eigen::LevenbergMarquardtSpace::TooManyFunctionEvaluation)
        return {End::ranOff, p, E};
    return {};
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
    if (free.count == 0)
        return {NoFit::allHeld};
    // A count beyond the arrays claims points that are not there.
    const bool pointsFit = points.n >= 0 && size_t(points.n) <= points.t.size()
            && size_t(points.n) <= points.y.size();
    if (!pointsFit || points.n < free.count)
        return {NoFit::tooFewPoints};

    const std::array<Parameters, 3> starts{keepingHeld(current, current, held),
                                           keepingHeld({5, 1, 0}, current, held),
                                           keepingHeld(guessFromData(points), current, held)};
    Candidate best;
    bool ranOff = false;
    for (size_t k = 0; k < starts.size(); ++k) {
        const Parameters &start = starts[k];
        // The current parameters are often the start values themselves.
        if (std::any_of(starts.begin(), starts.begin() + long(k), [&](const Parameters &q) {
                return q.a == start.a && q.c == start.c && q.t0 == start.t0;
            }))
            continue;
        const Candidate found = solveFrom(start, free, points);
        ranOff = ranOff || found.end == End::ranOff;
        if (found.end == End::converged && (best.end != End::converged || found.E < best.E))
            best = found;
    }
    if (best.end != End::converged)
        return {ranOff ? NoFit::runsOff : NoFit::noFiniteMinimum};
    // Judged before the Newton steps, which need a Hessian they can trust,
    // and again after them.
    if (const NoFit why = verdict(best.p, free, held, points); why != NoFit::none)
        return {why};
    const std::optional<Parameters> p = finished(best.p, free, points);
    if (!p)
        return {NoFit::runsOff};
    if (const NoFit why = verdict(*p, free, held, points); why != NoFit::none)
        return {why};
    // E as "Error Cuadrático" would show it at p: no derivative (and none of
    // its exponentials) is needed for that. A fault here means the program
    // itself could not evaluate p, and unwinds to bestFit.
    Sums sums;
    sumErrors(*p, {true, true, true}, points, sums);
    const double lambda = largestCurvature(*p, held, points);
    const double maxStep = 2 / lambda;
    if (!(lambda > 0) || !std::isfinite(maxStep))
        return {NoFit::noPositiveCurvature};
    return {NoFit::none, *p, sums.E, maxStep};
}

} // namespace

Hessian errorHessian(const Parameters &p, const Points &points)
{
    if (points.n < 0 || size_t(points.n) > points.t.size() || size_t(points.n) > points.y.size())
        raiseFault();
    Hessian h = local(p, points).h;
    for (auto &row : h)
        for (double &value : row)
            chk(value);
    return h;
}

std::vector<double> curvatures(const Parameters &p, Held held, const Points &points)
{
    const FreeSet free(held);
    if (free.count == 0)
        return {};
    const Eigen::SelfAdjointEigenSolver<Eigen::MatrixXd> eigen(
            freeBlock(errorHessian(p, points), free), Eigen::EigenvaluesOnly);
    if (eigen.info() != Eigen::Success)
        raiseFault();
    // The solver gives them in increasing order.
    const Eigen::VectorXd &values = eigen.eigenvalues();
    return {values.begin(), values.end()};
}

double largestCurvature(const Parameters &p, Held held, const Points &points)
{
    const std::vector<double> values = curvatures(p, held, points);
    return values.empty() ? 0.0 : values.back();
}

BestFit bestFit(const Parameters &current, Held held, const Points &points) noexcept
{
    try {
        return solve(current, held, points);
    } catch (const std::exception &) { // Fault, and anything the library might throw
        return {NoFit::noFiniteMinimum};
    } catch (...) {
        return {NoFit::noFiniteMinimum};
    }
}
