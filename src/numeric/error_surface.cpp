#include "numeric/error_surface.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// E and a at one point of the plane, from d = t − t0 at each point.
struct Cell
{
    double E{kNaN};
    double a{kNaN}; // a* or the held a; NaN when a* leaves the double range
};

// `g` is room for one value per point. With a free, g is divided by its
// largest value before it is squared, so that Σ g² cannot underflow where
// every point lies deep in the lower tail; the largest g is at least
// 1 / (e^kExpLimit + 1) > 0.
Cell cellAt(double a, double c, std::span<const double> d, std::span<const double> y, Held held,
            double *g)
{
    const bool bothSides = !(held.c && held.t0);
    const int n = int(d.size());
    double largest = 0.0;
    for (int k = 0; k < n; ++k) {
        const double u = d[k] * -c;
        if (!(u <= kExpLimit) || (bothSides && !(-u <= kExpLimit)))
            return {};
        g[k] = 1 / (std::exp(u) + 1);
        largest = std::max(largest, g[k]);
    }
    double scale = a;
    if (!held.a) {
        double gy = 0.0, gg = 0.0;
        for (int k = 0; k < n; ++k) {
            g[k] /= largest;
            gy += g[k] * y[k];
            gg += g[k] * g[k];
        }
        scale = gy / gg;
        a = scale / largest;
    }
    double E = 0.0;
    for (int k = 0; k < n; ++k) {
        const double r = scale * g[k] - y[k];
        E += r * r;
    }
    if (!std::isfinite(E))
        return {};
    return {E, std::isfinite(a) ? a : kNaN};
}

// The points' t and y, or nothing for a count the arrays do not hold.
bool usable(const Points &points)
{
    return points.n > 0 && size_t(points.n) <= points.t.size()
            && size_t(points.n) <= points.y.size();
}

Cell pointAt(double a, double c, double t0, Held held, const Points &points)
{
    if (!usable(points) || !std::isfinite(c) || !std::isfinite(t0))
        return {};
    std::vector<double> d(size_t(points.n)), g(size_t(points.n));
    for (int k = 0; k < points.n; ++k)
        d[size_t(k)] = points.t[size_t(k)] - t0;
    return cellAt(a, c, d, points.y.first(size_t(points.n)), held, g.data());
}

} // namespace

std::optional<double> optimalA(double c, double t0, const Points &points)
{
    const double a = pointAt(0.0, c, t0, {}, points).a;
    return std::isnan(a) ? std::nullopt : std::optional<double>(a);
}

double mapError(double a, double c, double t0, Held held, const Points &points)
{
    return pointAt(a, c, t0, held, points).E;
}

std::vector<double> errorSurface(const SurfaceGrid &grid, double a, Held held, const Points &points)
{
    const int columns = std::max(grid.columns, 0), rows = std::max(grid.rows, 0);
    std::vector<double> surface(size_t(columns) * size_t(rows), kNaN);
    if (!usable(points))
        return surface;
    const size_t n = size_t(points.n);
    const std::span<const double> y = points.y.first(n);
    std::vector<double> d(n), g(n);
    for (int row = 0; row < rows; ++row) {
        const double t0 = grid.t0(row);
        for (size_t k = 0; k < n; ++k)
            d[k] = points.t[k] - t0;
        double *out = surface.data() + size_t(row) * size_t(columns);
        for (int column = 0; column < columns; ++column) {
            const double E = cellAt(a, grid.c(column), d, y, held, g.data()).E;
            out[column] = std::isnan(E) ? kNaN : std::log10(E);
        }
    }
    return surface;
}
