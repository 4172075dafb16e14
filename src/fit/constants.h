#pragma once

#include "numeric/fault.h"
#include "numeric/model.h"

#include <cstdint>

// The program's fixed numbers, each named once.

// Rows of the grid, and so the most points a fit takes.
inline constexpr int kRows = 20;
inline constexpr int kLastRow = kRows - 1;
// The point arrays take indices 0 .. kArrayBound - 1, one beyond the last row:
// a loop that runs past the points reads a zero before it faults.
inline constexpr int kArrayBound = kRows + 1;
// Lines of the data file: the count, then the t and the y of each row.
inline constexpr int kFileLines = 1 + 2 * kRows;

// The parameters at start-up and after a recovery, and the chart's scale.
inline constexpr Parameters kStart{5.0, 1.0, 0.0};
inline constexpr double kStartScale = 10.0;

// A parameter's scroll bar: parameter = position / scale + origin, and the
// position nearest a parameter, halves to even. A position outside a 16-bit
// integer is a fault, and so, when it is written, is one outside min .. max.
struct BarMapping
{
    int min;
    int max;
    double scale;
    double origin;

    double parameter(int position) const { return chk(position / scale + origin); }
    int16_t position(double parameter) const
    {
        return roundToPosition(chk(chk(scale * parameter) - scale * origin));
    }
    double lowest() const { return min / scale + origin; }
    double highest() const { return max / scale + origin; }
};

inline constexpr BarMapping kBarA{-100, 100, 10, 10}; // a from 0 to 20
inline constexpr BarMapping kBarC{-60, 60, 10, 0};    // c from -6 to 6
inline constexpr BarMapping kBarT0{-100, 100, 5, 0};  // t0 from -20 to 20

// Significant digits of a start chosen on the error map, and of the a that
// goes with it: the boxes then show "0,8123" rather than seventeen digits.
inline constexpr int kMapDigits = 4;
