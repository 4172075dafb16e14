#include "numeric/growth_figures.h"

#include <cmath>
#include <limits>

namespace {

// ln 2 and ln 81 = 4 ln 3: the time to double, and from 10 % to 90 % of a.
const double kLn2 = std::log(2.0);
const double kLn81 = std::log(81.0);

struct Definition
{
    double value;
    std::array<double, 3> gradient; // over a, c, t0
    std::array<bool, 3> dependsOn;  // over a, c, t0
    double k; // the figure is k / c, with c's interval mapped through it; 0 if not
};

Definition definition(Growth which, const Parameters &p)
{
    const double c2 = p.c * p.c;
    switch (which) {
    case Growth::doubling:
        return {kLn2 / p.c, {0, -kLn2 / c2, 0}, {false, true, false}, kLn2};
    case Growth::tenToNinety:
        return {kLn81 / p.c, {0, -kLn81 / c2, 0}, {false, true, false}, kLn81};
    case Growth::maxSlope:
        return {p.a * p.c / 4, {p.c / 4, p.a / 4, 0}, {true, true, false}, 0};
    case Growth::lag:
        break;
    }
    return {p.t0 - 2 / p.c, {0, 2 / c2, 1}, {false, true, true}, 0};
}

GrowthFigure figure(Growth which, const FitStatistics &fit)
{
    const Definition d = definition(which, fit.p);
    const bool timeOfC = d.k != 0;
    GrowthFigure out;
    if (!std::isfinite(d.value) || (timeOfC && !(fit.p.c > 0)))
        return out;
    out.value = d.value;
    out.fixed = true;
    for (int j = 0; j < 3; ++j)
        out.fixed = out.fixed && (!d.dependsOn[size_t(j)] || isHeld(fit.held, j));
    if (out.fixed || !fit.hasErrors())
        return out;

    const double se = std::sqrt(propagatedVariance(fit, d.gradient));
    double lower = 0, upper = 0;
    if (timeOfC) {
        lower = d.k / fit.upper[1];
        upper = fit.lower[1] > 0 ? d.k / fit.lower[1] : std::numeric_limits<double>::infinity();
    } else {
        lower = d.value - fit.t975 * se;
        upper = d.value + fit.t975 * se;
    }
    if (!std::isfinite(se) || !std::isfinite(lower) || !(std::isfinite(upper) || timeOfC))
        return out;
    out.standardError = se;
    out.lower = lower;
    out.upper = upper;
    return out;
}

} // namespace

GrowthFigures growthFigures(const FitStatistics &fit) noexcept
{
    GrowthFigures out;
    for (int k = 0; k < kGrowthCount; ++k)
        out[size_t(k)] = figure(Growth(k), fit);
    return out;
}
