#pragma once

#include "fit/constants.h"
#include "fit/fit_state.h"
#include "numeric/best_fit.h"
#include "numeric/descent.h"
#include "numeric/error_history.h"

#include <array>
#include <cstdint>
#include <optional>

// What a view that only shows the fit reads. The window hands a view this
// read-only face and tells it when to read again (its estadoCambiado signal);
// nothing here writes the fit state. A view that lets the user act asks the
// window by a signal of its own, which the window connects to the handler a
// typed value goes through.
class FitView
{
public:
    // The working state as the last handler left it.
    virtual const FitState &state() const = 0;
    // Which parameters the descent holds, as the check boxes say now.
    virtual Held held() const = 0;
    // The error of every evaluation the steps made since the history began,
    // and the parameters it was made at: the descent's path.
    virtual const ErrorHistory &history() const = 0;
    // The best fit over the points in use, the held parameters and their
    // values; solved again only when one of those has changed.
    virtual const BestFit &best() const = 0;
    // The step size in "Paso", read as a step button reads it; none while
    // its text is not a number.
    virtual std::optional<double> stepSize() const = 0;

    // The points in use, t and y of points 0 .. n - 1, as the numeric core
    // takes them. The only place they are gathered from the fit state.
    Points points() const;
    // A count that changes exactly when the points in use change (their
    // number, a t or a y) and at no other time: a step, a new start or a held
    // box leaves it as it is. Whatever was worked out from the points is kept
    // with the count it was worked out at, and worked out again when the count
    // differs. Never throws.
    std::uint64_t pointsRevision() const noexcept;

protected:
    ~FitView() = default;

private:
    // The points the count was last read for: their number, then t and y of
    // each of them the arrays hold.
    mutable int counted{0};
    mutable std::array<double, 2 * kArrayBound> countedValues{};
    mutable std::uint64_t revision{0};
};
