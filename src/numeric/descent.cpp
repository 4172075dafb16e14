#include "numeric/descent.h"

#include "numeric/vector_state.h"

#include <algorithm>
#include <cfloat>

namespace {

// Points are summed in blocks: the arguments of a block, then its
// exponentials one call after another (independent calls the processor
// overlaps), then its sums with no call in between, so they stay in registers.
constexpr int kBlock = 16;

// How many of the first n entries the array holds: the index of the first
// point whose reading faults, where one does.
int readable(std::span<const double> values, int n)
{
    return int(std::min(size_t(std::max(n, 0)), values.size()));
}

// The argument's exponential, or 1 where the argument faults (the sums reach
// the fault before they use the value), so no call overflows.
inline double expOrOne(double x)
{
    return std::exp(x <= kExpLimit ? x : 0.0);
}

inline bool finite(double x)
{
    return std::fabs(x) <= DBL_MAX;
}

struct Running
{
    double L, C, T, E;
};

// Whether every argument of a block is one the checks let through: u finite
// and within the limit, and -u within it where a slope is taken.
template <bool slopes>
bool inRange(const double *u, int count)
{
    bool all = true;
    for (int j = 0; j < count; ++j) {
        all &= u[j] <= kExpLimit && u[j] >= -DBL_MAX;
        if constexpr (slopes)
            all &= -u[j] <= kExpLimit;
    }
    return all;
}

// A block whose points and arguments are all in range, summed with no check
// per point: the quotients first, in a pass the compiler vectorises, then the
// four sums in the model's order. A sum that meets a term or a partial sum
// beyond the double range can never come back to a finite value, so finite
// sums at the end mean no check would have struck, and the sums are the very
// doubles of the checked loop. Otherwise nothing is kept, and the checked loop
// finds the point and the sums a fault leaves.
template <bool heldA, bool heldC, bool heldT0>
bool quickBlock(const Parameters &p, double slopeT, const Points &points, int begin, int count,
                const double *d, const double *ePlus, const double *eMinus, Running &sums)
{
    double fit[kBlock], overL[kBlock], overC[kBlock], overT[kBlock];
    for (int j = 0; j < count; ++j) {
        fit[j] = p.a / (ePlus[j] + 1);
        if constexpr (!heldA)
            overL[j] = 1 / (ePlus[j] + 1);
        if constexpr (!heldC)
            overC[j] = (d[j] * p.a) / ((eMinus[j] + 2) + ePlus[j]);
        if constexpr (!heldT0)
            overT[j] = slopeT / ((eMinus[j] + 2) + ePlus[j]);
    }
    const double *y = points.y.data() + begin;
    double L = sums.L, C = sums.C, T = sums.T, E = sums.E;
    for (int j = 0; j < count; ++j) {
        const double r = fit[j] - y[j];
        const double dosR = r + r;
        if constexpr (!heldA)
            L = L + dosR * overL[j];
        if constexpr (!heldC)
            C = C + dosR * overC[j];
        if constexpr (!heldT0)
            T = T + dosR * overT[j];
        E = E + r * r;
    }
    if (!(finite(L) && finite(C) && finite(T) && finite(E)))
        return false;
    sums = {L, C, T, E};
    return true;
}

// The sums over the points [begin, end) added to `sums`; the index of the
// point a fault strikes at, with the sums as far as they got, or `end`.
// Each check of the model's functions is kept where a fault can first show:
// a finite sum of finite terms is a finite term's test too, and a held
// parameter's term, dosR·0, leaves its sum as it was.
template <bool heldA, bool heldC, bool heldT0>
int sumBlock(const Parameters &p, const Points &points, int begin, int end, int withT, int withY,
             Running &sums)
{
    constexpr bool slopes = !(heldC && heldT0);
    const int args = std::min(end, withT) - begin;
    const double minusC = -p.c;
    // (-c)·a, parT's numerator: the same at every point, checked at each.
    const double slopeT = minusC * p.a;
    double d[kBlock], u[kBlock], ePlus[kBlock], eMinus[kBlock];
    for (int j = 0; j < args; ++j) {
        d[j] = points.t[size_t(begin + j)] - p.t0;
        u[j] = d[j] * minusC;
    }
    for (int j = 0; j < args; ++j)
        ePlus[j] = expOrOne(u[j]);
    if constexpr (slopes)
        for (int j = 0; j < args; ++j)
            eMinus[j] = expOrOne(-u[j]);
    if (args == end - begin && end <= withY && inRange<slopes>(u, args)
        && quickBlock<heldA, heldC, heldT0>(p, slopeT, points, begin, args, d, ePlus, eMinus, sums))
        return end;
    double L = sums.L, C = sums.C, T = sums.T, E = sums.E;
    int k = begin;
    for (; k < end; ++k) {
        const int j = k - begin;
        // A t beyond the array; t - t0 or u not finite (a non-finite d gives
        // a non-finite u); u beyond the limit; a y beyond the array.
        if (j >= args || !(u[j] <= kExpLimit && u[j] >= -DBL_MAX) || k >= withY) [[unlikely]]
            break;
        const double r = p.a / (ePlus[j] + 1) - points.y[size_t(k)];
        const double dosR = r + r; // finite only where r is
        if (!finite(dosR)) [[unlikely]]
            break;
        if constexpr (!heldA) {
            const double sum = L + dosR * (1 / (ePlus[j] + 1));
            if (!finite(sum)) [[unlikely]]
                break;
            L = sum;
        }
        if constexpr (slopes)
            if (!(-u[j] <= kExpLimit)) [[unlikely]]
                break;
        if constexpr (!heldC) {
            const double numerador = d[j] * p.a;
            if (!finite(numerador)) [[unlikely]]
                break;
            const double sum = C + dosR * (numerador / ((eMinus[j] + 2) + ePlus[j]));
            if (!finite(sum)) [[unlikely]]
                break;
            C = sum;
        }
        if constexpr (!heldT0) {
            if (!finite(slopeT)) [[unlikely]]
                break;
            const double sum = T + dosR * (slopeT / ((eMinus[j] + 2) + ePlus[j]));
            if (!finite(sum)) [[unlikely]]
                break;
            T = sum;
        }
        const double sum = E + r * r;
        if (!finite(sum)) [[unlikely]]
            break;
        E = sum;
    }
    sums = {L, C, T, E};
    return k;
}

template <bool heldA, bool heldC, bool heldT0>
int sumAll(const Parameters &p, const Points &points, Running &sums)
{
    const int n = points.n;
    const int withT = readable(points.t, n), withY = readable(points.y, n);
    for (int begin = 0; begin < n; begin += kBlock) {
        const int end = std::min(begin + kBlock, n);
        const int reached
                = sumBlock<heldA, heldC, heldT0>(p, points, begin, end, withT, withY, sums);
        if (reached < end)
            return reached;
    }
    return std::max(n, 0);
}

} // namespace

// The model and its three derivatives take two exponentials per point, e^u and
// e^-u with u = (t - t0)·(-c): f and parL use e^u, parC and parT both (d·c is
// exactly -(d·(-c))), so every value is the very double the model's functions
// give. The checks come in the model's order: u first (a non-finite t - t0 or
// u, or u beyond the limit), then the y, then L, then e^-u where a slope is
// taken, then C, T and E, so a fault strikes at the same step and leaves the
// same sums as point-by-point evaluation with six exponentials does.
void sumErrors(const Parameters &p, Held held, const Points &points, Sums &out)
{
    clearUpperVectorState();
    Running sums{0, 0, 0, 0};
    using Sum = int (*)(const Parameters &, const Points &, Running &);
    static constexpr Sum byHeld[8]
            = {sumAll<false, false, false>, sumAll<false, false, true>, sumAll<false, true, false>,
               sumAll<false, true, true>,   sumAll<true, false, false>, sumAll<true, false, true>,
               sumAll<true, true, false>,   sumAll<true, true, true>};
    const int reached = byHeld[held.a * 4 + held.c * 2 + held.t0](p, points, sums);
    out = {sums.L, sums.C, sums.T, sums.E, reached};
    if (reached < points.n)
        raiseFault();
}

BatchEnd descentBatch(Parameters &p, Held held, const Points &points, double s, int steps,
                      double errorBefore, Sums &sums)
{
    return descentBatch(p, held, points, s, steps, errorBefore, sums,
                        [](const Parameters &, const Sums &) {});
}
