#include "numeric/descent.h"

#include "numeric/vector_state.h"

namespace {

inline double at(std::span<const double> values, int k)
{
    if (k < 0 || size_t(k) >= values.size()) [[unlikely]]
        raiseFault();
    return values[size_t(k)];
}

} // namespace

// The model is inlined into this loop, and the sums stay in locals that live
// in registers across the exponentials; a fault stores them before it unwinds.
[[gnu::flatten]] void sumErrors(const Parameters &p, Held held, const Points &points, Sums &out)
{
    clearUpperVectorState();
    double L = 0, C = 0, T = 0, E = 0;
    int k = 0;
    const int last = points.n - 1;
    auto store = [&] { out = {L, C, T, E, k}; };
    try {
        for (k = 0; k <= last; ++k) {
            const double t = at(points.t, k);
            const double r = chk(f(p, t) - at(points.y, k));
            const double dosR = chk(r + r);
            L = chk(L + chk(dosR * parL(p, held.a, t)));
            C = chk(C + chk(dosR * parC(p, held.c, t)));
            T = chk(T + chk(dosR * parT(p, held.t0, t)));
            E = chk(E + chk(r * r));
        }
    } catch (const Fault &) {
        store();
        throw;
    }
    store();
}

[[gnu::flatten]] BatchEnd descentBatch(Parameters &p, Held held, const Points &points, double s,
                                       int steps, double errorBefore, Sums &sums,
                                       const OnEvaluation &onEvaluation)
{
    BatchEnd end;
    for (int k = 1; k <= steps; ++k) {
        ++end.evaluations;
        sumErrors(p, held, points, sums);
        if (onEvaluation)
            onEvaluation(p, sums);
        if (errorGrew(sums.E, errorBefore)) {
            end.stopped = true;
            break;
        }
        descentUpdate(p, sums, s);
    }
    return end;
}
