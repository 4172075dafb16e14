#include "numeric/fit_statistics.h"

#include <Eigen/Dense>
#include <boost/math/distributions/students_t.hpp>

#include <cmath>
#include <exception>
#include <limits>

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// At most twenty-one points and three parameters: no heap for the matrices.
using Jacobian = Eigen::Matrix<double, Eigen::Dynamic, Eigen::Dynamic, 0, 32, 3>;
using Square = Eigen::Matrix<double, Eigen::Dynamic, Eigen::Dynamic, 0, 3, 3>;
using Column = Eigen::Matrix<double, Eigen::Dynamic, 1, 0, 32, 1>;

// The residual table by the program's checked model, a figure beyond the
// double range as NaN; then E by the program's checked sums: the same E that
// "Error Cuadrático" shows, and a fault where it would fault.
void residualsAndError(FitStatistics &out, const Points &points)
{
    for (int k = 0; k < points.n; ++k) {
        const double t = points.t[size_t(k)];
        const double y = points.y[size_t(k)];
        double model = kNaN, r = kNaN;
        try {
            model = f(out.p, t);
            r = chk(y - model);
        } catch (const Fault &) { }
        out.residuals.push_back({t, y, model, r});
    }
    Sums sums;
    sumErrors(out.p, {true, true, true}, points, sums);
    out.E = sums.E;
}

std::optional<double> determination(double E, const Points &points)
{
    double mean = 0;
    for (int k = 0; k < points.n; ++k)
        mean += points.y[size_t(k)];
    mean /= points.n;
    double total = 0;
    for (int k = 0; k < points.n; ++k) {
        const double d = points.y[size_t(k)] - mean;
        total += d * d;
    }
    if (!(total > 0) || !std::isfinite(total))
        return std::nullopt;
    return 1 - E / total;
}

// The covariance part: J over the free columns, scaled to unit columns and
// taken apart by SVD, J D⁻¹ = U Σ Vᵀ, so that (JᵀJ)⁻¹ = D⁻¹ V Σ⁻² Vᵀ D⁻¹ and
// the projection of r on J's columns is U Uᵀ r, without forming JᵀJ.
NoAnswer errors(FitStatistics &out, const Points &points)
{
    std::array<int, 3> index{}; // the free parameters, in order
    int count = 0;
    for (int j = 0; j < 3; ++j)
        if (!isHeld(out.held, j))
            index[size_t(count++)] = j;
    out.t975 = studentQuantile(0.975, out.dof);
    if (count == 0)
        return NoAnswer::none; // every parameter held: nothing to estimate

    Jacobian J(points.n, count);
    Column r(points.n);
    for (int k = 0; k < points.n; ++k) {
        const std::array<double, 3> g = modelGradient(out.p, points.t[size_t(k)]);
        for (int j = 0; j < count; ++j)
            J(k, j) = g[size_t(index[size_t(j)])];
        r[k] = out.residuals[size_t(k)].r;
    }
    if (!J.allFinite())
        return NoAnswer::notFinite;
    const Eigen::Matrix<double, Eigen::Dynamic, 1, 0, 3, 1> norms = J.colwise().norm().transpose();
    if (!(norms.minCoeff() > 0) || !norms.allFinite())
        return NoAnswer::illConditioned;
    const Jacobian scaled = J * norms.cwiseInverse().asDiagonal();
    const Eigen::JacobiSVD<Jacobian> svd(scaled, Eigen::ComputeThinU | Eigen::ComputeThinV);
    const auto &sigma = svd.singularValues();
    if (!(sigma.minCoeff() > 0) || sigma.maxCoeff() / sigma.minCoeff() > kMaxCondition)
        return NoAnswer::illConditioned;

    const Square inverse = norms.cwiseInverse().asDiagonal() * svd.matrixV()
            * sigma.array().square().inverse().matrix().asDiagonal() * svd.matrixV().transpose()
            * norms.cwiseInverse().asDiagonal();
    const double s = *out.s;
    const Square root = s * norms.cwiseInverse().asDiagonal() * svd.matrixV()
            * sigma.cwiseInverse().asDiagonal();
    for (int i = 0; i < count; ++i) {
        const size_t m = size_t(index[size_t(i)]);
        out.standardError[m] = s * std::sqrt(inverse(i, i));
        const double value = parameterValue(out.p, int(m));
        out.lower[m] = value - out.t975 * out.standardError[m];
        out.upper[m] = value + out.t975 * out.standardError[m];
        for (int j = 0; j < count; ++j) {
            const size_t k = size_t(index[size_t(j)]);
            out.correlation[m][k] = inverse(i, j) / std::sqrt(inverse(i, i) * inverse(j, j));
            out.covariance[m][k] = s * s * inverse(i, j);
            out.covarianceRoot[m][size_t(j)] = root(i, j);
        }
        if (!std::isfinite(out.lower[m]) || !std::isfinite(out.upper[m]))
            return NoAnswer::notFinite;
    }
    const double projected = (svd.matrixU().transpose() * r).norm();
    out.stepToMinimum = s > 0 ? projected / s : 0.0;
    return NoAnswer::none;
}

// The counts, which have a meaning in every case. Points beyond the arrays
// count as none.
FitStatistics counted(const Parameters &p, Held held, const Points &points)
{
    FitStatistics out;
    out.p = p;
    out.held = held;
    out.free = int(!held.a) + int(!held.c) + int(!held.t0);
    const bool pointsFit = points.n >= 0 && size_t(points.n) <= points.t.size()
            && size_t(points.n) <= points.y.size() && points.n <= Jacobian::MaxRowsAtCompileTime;
    out.n = pointsFit ? points.n : 0;
    out.dof = out.n - out.free;
    return out;
}

FitStatistics compute(const Parameters &p, Held held, const Points &points)
{
    FitStatistics out = counted(p, held, points);
    if (out.n == 0) {
        out.reason = NoAnswer::tooFewPoints;
        return out;
    }
    try {
        residualsAndError(out, points);
    } catch (const Fault &) {
        out.reason = NoAnswer::notFinite;
        return out;
    }
    out.R2 = determination(*out.E, points);
    if (out.dof <= 0) {
        out.reason = NoAnswer::tooFewPoints;
        return out;
    }
    out.s = std::sqrt(*out.E / out.dof);
    out.reason = errors(out, points);
    if (!out.hasErrors()) {
        out.standardError = out.lower = out.upper = {};
        out.correlation = out.covariance = out.covarianceRoot = {};
        out.stepToMinimum = 0;
    }
    return out;
}

} // namespace

double parameterValue(const Parameters &p, int j)
{
    return j == 0 ? p.a : j == 1 ? p.c : p.t0;
}

bool isHeld(Held held, int j)
{
    return j == 0 ? held.a : j == 1 ? held.c : held.t0;
}

std::array<double, 3> modelGradient(const Parameters &p, double t) noexcept
{
    const double d = t - p.t0;
    const Logistic l = logistic(p.c * d);
    return {l.s, p.a * d * l.ds, -p.a * p.c * l.ds};
}

double propagatedVariance(const FitStatistics &fit, const std::array<double, 3> &g) noexcept
{
    // Rᵀ g over the free rows; R's columns beyond the free count are 0.
    double sum = 0;
    for (size_t k = 0; k < 3; ++k) {
        double component = 0;
        for (size_t j = 0; j < 3; ++j)
            if (!isHeld(fit.held, int(j)))
                component += fit.covarianceRoot[j][k] * g[j];
        sum += component * component;
    }
    return sum;
}

double studentQuantile(double probability, int dof) noexcept
{
    try {
        if (dof < 1 || !(probability > 0 && probability < 1))
            return kNaN;
        return boost::math::quantile(boost::math::students_t(dof), probability);
    } catch (const std::exception &) { // Boost reports a domain or evaluation error by throwing
        return kNaN;
    }
}

FitStatistics fitStatistics(const Parameters &p, Held held, const Points &points) noexcept
{
    try {
        return compute(p, held, points);
    } catch (...) { // only an allocation of the residual table can throw
        FitStatistics none = counted(p, held, points);
        none.reason = NoAnswer::notFinite;
        return none;
    }
}

FitStatistics bestFitStatistics(const BestFit &best, Held held, const Points &points) noexcept
{
    if (best.found())
        return fitStatistics(best.p, held, points);
    FitStatistics none = counted(Parameters{kNaN, kNaN, kNaN}, held, points);
    none.reason = NoAnswer::noBestFit;
    return none;
}
