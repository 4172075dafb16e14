#include "numeric/fit_bands.h"

#include <cmath>

bool bandsAvailable(const FitStatistics &fit) noexcept
{
    return fit.hasErrors() && fit.s && std::isfinite(*fit.s) && std::isfinite(fit.t975)
            && fit.t975 > 0;
}

std::optional<BandPoint> fitBandsAt(const FitStatistics &fit, double t) noexcept
{
    if (!bandsAvailable(fit) || !std::isfinite(t))
        return std::nullopt;
    const Parameters &p = fit.p;
    const double f = p.a * logistic(p.c * (t - p.t0)).s;
    const double variance = propagatedVariance(fit, modelGradient(p, t));
    const double s = *fit.s;
    const double confidence = fit.t975 * std::sqrt(variance);
    const double prediction = fit.t975 * std::sqrt(s * s + variance);
    const BandPoint band{t, f, f - confidence, f + confidence, f - prediction, f + prediction};
    if (!std::isfinite(band.predictionLower) || !std::isfinite(band.predictionUpper))
        return std::nullopt; // the widest figures: when they are finite, all are
    return band;
}
