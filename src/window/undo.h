#pragma once

#include "numeric/error_history.h"

#include <QString>

#include <array>

// What an undoable action of the chart view changes, and an undo puts back:
// the parameters, the step size as typed, the Values of the three hold boxes,
// and the error history with the descent's path. The figures are not kept:
// they are computed again from these, as a redraw does.
struct Instantanea
{
    double a{0.0};
    double c{0.0};
    double t0{0.0};
    QString paso;                 // Text1
    std::array<int, 3> fijados{}; // Check1, Check2, Check3
    ErrorHistory historia;

    bool operator==(const Instantanea &) const = default;
};

// Actions kept for undo; older ones are dropped.
inline constexpr int kLimiteDeshacer = 100;
