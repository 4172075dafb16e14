#pragma once

#include "fit/fit_state.h"
#include "numeric/best_fit.h"
#include "numeric/error_history.h"

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

protected:
    ~FitView() = default;
};
