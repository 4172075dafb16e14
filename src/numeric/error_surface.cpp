#include "numeric/error_surface.h"

#include "numeric/vector_state.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// E and a at one point of the plane, from d = t − t0 at each point.
struct Cell
{
    double E{kNaN};
    double a{kNaN}; // a* or the held a; NaN when a* leaves the double range
};

// E and a from g = 1 / (1 + e^(−c(t − t0))) at each point, in `g` (which it
// changes). With a free, g is divided by its largest value before it is
// squared, so that Σ g² cannot underflow where every point lies deep in the
// lower tail; the largest g is at least 1 / (e^kExpLimit + 1) > 0.
Cell fromLogistic(double a, std::span<const double> y, Held held, double *g)
{
    const int n = int(y.size());
    double scale = a;
    if (!held.a) {
        double largest = 0.0;
        for (int k = 0; k < n; ++k)
            largest = std::max(largest, g[k]);
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

// Whether the program's evaluation faults at some point, from the exponents
// u = d·(−c): beyond the limit, or −u beyond it when the derivatives are taken.
bool faultsAt(double c, std::span<const double> d, Held held)
{
    const bool bothSides = !(held.c && held.t0);
    bool faults = false;
    for (const double dk : d) {
        const double u = dk * -c;
        faults = faults | !(u <= kExpLimit) | (bothSides & !(-u <= kExpLimit));
    }
    return faults;
}

// `g` is room for one value per point.
Cell cellAt(double a, double c, std::span<const double> d, std::span<const double> y, Held held,
            double *g)
{
    if (faultsAt(c, d, held))
        return {};
    for (size_t k = 0; k < d.size(); ++k)
        g[k] = 1 / (std::exp(d[k] * -c) + 1);
    return fromLogistic(a, y, held, g);
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
    errorSurfaceRows(grid, surfaceColumns(grid, points), a, held, points, 0, rows, surface);
    return surface;
}

SurfaceColumns surfaceColumns(const SurfaceGrid &grid, const Points &points)
{
    SurfaceColumns out;
    if (!usable(points) || grid.columns <= 0)
        return out;
    constexpr int lanes = SurfaceColumns::kLanes;
    const size_t n = size_t(points.n);
    const std::span<const double> t = points.t.first(n);
    const auto [least, most] = std::minmax_element(t.begin(), t.end());
    out.tMiddle = *least / 2 + *most / 2;
    out.tLeast = *least;
    out.tMost = *most;
    out.stride = (grid.columns + lanes - 1) / lanes * lanes;
    const size_t stride = size_t(out.stride);
    out.factors.resize(stride * n);
    out.usable.resize(stride);
    for (size_t column = 0; column < stride; ++column) {
        const double c = grid.c(std::min(int(column), grid.columns - 1));
        bool within = true;
        for (size_t k = 0; k < n; ++k) {
            const double x = (t[k] - out.tMiddle) * -c;
            within = within && std::fabs(x) <= SurfaceColumns::kFactorLimit;
            out.factors[k * stride + column] = within ? std::exp(x) : 0.0;
        }
        out.usable[column] = within;
    }
    return out;
}

namespace {

constexpr int kLanes = SurfaceColumns::kLanes;
constexpr double kNoUnderflow = 1e-200;

// log10 E at kLanes cells of one row, from their columns' factors (`factors`
// is the first point's, a stride apart for the next) and their c, into `out`:
// the arithmetic of cellAt and fromLogistic for each lane, in their order,
// but for the product of the factors and, where it changes nothing but the
// last bits, no division by the largest g: with Σ g² above kNoUnderflow no g
// that counts has underflowed. The lanes are independent, so their chains of
// sums run side by side. `room` holds n·kLanes values; every t is finite, and
// `dLeast`, `dMost` are the least and the largest t − t0.
void factoredCells(double a, Held held, const double *c, double fromMiddle, double dLeast,
                   double dMost, std::span<const double> y, const double *__restrict factors,
                   size_t stride, double *__restrict room, double *out)
{
    const size_t n = y.size();
    double rowFactor[kLanes], scale[kLanes], E[kLanes] = {};
    bool faults[kLanes];
    for (int lane = 0; lane < kLanes; ++lane) {
        rowFactor[lane] = std::exp(c[lane] * fromMiddle);
        scale[lane] = a;
        // Rounding keeps the order of products, so the extreme exponents
        // d·(−c) are those of the extreme d: the same test as faultsAt.
        const double u1 = dLeast * -c[lane], u2 = dMost * -c[lane];
        const double uMost = std::max(u1, u2), uLeast = std::min(u1, u2);
        faults[lane] = !(uMost <= kExpLimit) || (!(held.c && held.t0) && !(-uLeast <= kExpLimit));
    }
    for (size_t k = 0; k < n; ++k) {
        double *g = room + k * kLanes;
        const double *factor = factors + k * stride;
        for (int lane = 0; lane < kLanes; ++lane)
            g[lane] = 1 / (factor[lane] * rowFactor[lane] + 1);
    }
    if (!held.a) {
        double gy[kLanes] = {}, gg[kLanes] = {};
        for (size_t k = 0; k < n; ++k) {
            const double *g = room + k * kLanes;
            for (int lane = 0; lane < kLanes; ++lane) {
                gy[lane] += g[lane] * y[k];
                gg[lane] += g[lane] * g[lane];
            }
        }
        bool small = false;
        for (int lane = 0; lane < kLanes; ++lane)
            small = small || !(gg[lane] >= kNoUnderflow);
        if (small) {
            // Deep in the lower tail: g divided by its largest, as fromLogistic does.
            for (int lane = 0; lane < kLanes; ++lane) {
                double largest = 0.0, y2 = 0.0, g2 = 0.0;
                for (size_t k = 0; k < n; ++k)
                    largest = std::max(largest, room[k * kLanes + size_t(lane)]);
                for (size_t k = 0; k < n; ++k) {
                    double &g = room[k * kLanes + size_t(lane)];
                    g /= largest;
                    y2 += g * y[k];
                    g2 += g * g;
                }
                gy[lane] = y2;
                gg[lane] = g2;
            }
        }
        for (int lane = 0; lane < kLanes; ++lane)
            scale[lane] = gy[lane] / gg[lane];
    }
    for (size_t k = 0; k < n; ++k) {
        const double *g = room + k * kLanes;
        for (int lane = 0; lane < kLanes; ++lane) {
            const double r = scale[lane] * g[lane] - y[k];
            E[lane] += r * r;
        }
    }
    for (int lane = 0; lane < kLanes; ++lane)
        out[lane] = faults[lane] || !std::isfinite(E[lane]) ? kNaN : std::log10(E[lane]);
}

} // namespace

void errorSurfaceRows(const SurfaceGrid &grid, const SurfaceColumns &columns, double a, Held held,
                      const Points &points, int begin, int end, std::span<double> surface)
{
    const int width = std::max(grid.columns, 0);
    begin = std::max(begin, 0);
    end = std::min(end, std::max(grid.rows, 0));
    if (!usable(points) || width == 0 || columns.usable.size() != size_t(columns.stride)
        || columns.stride < width || surface.size() < size_t(width) * size_t(std::max(end, 0))) {
        for (int row = begin; row < end; ++row)
            std::fill_n(surface.begin() + ptrdiff_t(row) * width, width, kNaN);
        return;
    }
    clearUpperVectorState();
    const size_t n = size_t(points.n), stride = size_t(columns.stride);
    const std::span<const double> y = points.y.first(n);
    std::vector<double> d(n), g(n), room(n * kLanes);
    for (int row = begin; row < end; ++row) {
        const double t0 = grid.t0(row);
        const double fromMiddle = t0 - columns.tMiddle;
        const double dLeast = columns.tLeast - t0, dMost = columns.tMost - t0;
        for (size_t k = 0; k < n; ++k)
            d[k] = points.t[k] - t0;
        double *out = surface.data() + size_t(row) * size_t(width);
        for (int first = 0; first < width; first += kLanes) {
            double c[kLanes], values[kLanes];
            bool factored = true;
            for (int lane = 0; lane < kLanes; ++lane) {
                const int column = std::min(first + lane, width - 1);
                c[lane] = grid.c(column);
                factored = factored && columns.usable[size_t(first + lane)]
                        && std::fabs(c[lane] * fromMiddle) <= SurfaceColumns::kFactorLimit;
            }
            if (factored) {
                factoredCells(a, held, c, fromMiddle, dLeast, dMost, y,
                              columns.factors.data() + first, stride, room.data(), values);
            } else {
                for (int lane = 0; lane < kLanes; ++lane) {
                    const double E = cellAt(a, c[lane], d, y, held, g.data()).E;
                    values[lane] = std::isnan(E) ? kNaN : std::log10(E);
                }
            }
            std::copy_n(values, std::min(kLanes, width - first), out + first);
        }
    }
}
