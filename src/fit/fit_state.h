#pragma once

#include "fit/constants.h"
#include "numeric/fault.h"

#include <cstdint>

// All working state of the window. Every procedure and handler uses these
// fields by name; the fields left at zero here are set by start-up.
struct FitState
{
    int16_t i{0};          // loop counter shared by every loop over points, rows or columns
    bool ocupado{false};   // busy: a handler is changing controls and redrawing
    bool modoDatos{false}; // true while the data grid is shown, false in the chart view
    double a{0.0};         // asymptotic level
    double c{0.0};         // rate
    double t0{0.0};        // abscissa of the midpoint
    double escala{0.0};    // vertical scale of the chart
    CheckedArray<double, kArrayBound> x; // t values of the points, indices 0..20
    CheckedArray<double, kArrayBound> y; // y values of the points
    int16_t n{0};                        // points in use: 0..n-1
    double sumL{0.0};                    // dE/da
    double sumC{0.0};                    // dE/dc
    double sumT{0.0};                    // dE/dt0
    double errorCuad{0.0};               // squared error E
    double errorAnt{0.0};                // E before the latest evaluation or batch
    double mediaY{0.0};                  // mean of the y values, divisor of the normalized error
};
