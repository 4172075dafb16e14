#include "fit/fit_view.h"

#include <algorithm>

Points FitView::points() const
{
    const FitState &fit = state();
    return {fit.x.items, fit.y.items, fit.n};
}

// The points are compared with those of the last reading, so that the count
// follows every writer of the fit state (a capture, a restore, a test that
// sets the fields) without any of them having to announce it. A count beyond
// the arrays (a data file's) compares the values the arrays hold.
std::uint64_t FitView::pointsRevision() const noexcept
{
    const FitState &fit = state();
    const int held = std::clamp(int(fit.n), 0, kArrayBound);
    bool same = fit.n == counted;
    for (int k = 0; same && k < held; ++k)
        same = fit.x.items[k] == countedValues[size_t(2 * k)]
                && fit.y.items[k] == countedValues[size_t(2 * k + 1)];
    if (!same) {
        counted = fit.n;
        for (int k = 0; k < held; ++k) {
            countedValues[size_t(2 * k)] = fit.x.items[k];
            countedValues[size_t(2 * k + 1)] = fit.y.items[k];
        }
        ++revision;
    }
    return revision;
}
