#pragma once

#include "numeric/fit_statistics.h"

#include <array>
#include <optional>

// The figures a growth curve is reported with, each a function of a, c and t0
// with its standard error by the delta method, √(gᵀ Cov g) with g its
// gradient over the free parameters (propagatedVariance), and a 95 % interval:
//
//   doubling     ln 2 / c       "tiempo de duplicación"
//   tenToNinety  ln 81 / c      "tiempo del 10 % al 90 %" (from f = a/10 to 9a/10)
//   maxSlope     a c / 4        "pendiente máxima" (the slope at t0)
//   lag          t0 − 2 / c     "tiempo de latencia" (where the tangent at t0 crosses 0)
//
// The intervals of maxSlope and lag are value ± q SE, q = t(0.975; n − p),
// like the parameters'. The two times depend on c alone and fall as c grows,
// so theirs is the image of c's own interval [c_inf, c_sup]: [k / c_sup,
// k / c_inf], with an upper end of +∞ when c_inf is not positive (or k / c_inf
// overflows). The two times have no value for c ≤ 0; lag has one for c < 0
// too (the formula still gives the tangent's crossing of a falling curve).
//
// The report's rows map onto the fields as the parameters' do: `value` or
// "—"; then "fijo" when `fixed`, else `standardError`, `lower` and `upper`, or
// "—" without a standard error (an upper end of +∞ is written "∞"); the
// result is roundToUncertainty(*value, *standardError). Each column of the
// report calls growthFigures on its own statistics: the current fit's are
// taken at the current parameters, as its a, c and t0 are.

enum class Growth { doubling, tenToNinety, maxSlope, lag };
inline constexpr int kGrowthCount = 4;

struct GrowthFigure
{
    std::optional<double> value; // none: no best fit, c ≤ 0 for the times, or not finite
    // Every parameter the figure depends on is held: it is as fixed as they
    // are, with no error (doubling and tenToNinety with c held, maxSlope with a
    // and c held, lag with c and t0 held).
    bool fixed{false};
    std::optional<double> standardError; // none when fixed, or without errors
    double lower{0.0};                   // 95 % interval, with a standard error only
    double upper{0.0};
};

using GrowthFigures = std::array<GrowthFigure, kGrowthCount>;

inline const GrowthFigure &growthFigure(const GrowthFigures &figures, Growth which)
{
    return figures[size_t(which)];
}

// The four figures of one column of the report (the current fit or the best
// fit), in the order of Growth, from its statistics. Never throws; a figure
// that leaves the double range has no value, or no standard error when only
// that does.
GrowthFigures growthFigures(const FitStatistics &fit) noexcept;
