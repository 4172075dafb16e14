#pragma once

#include "numeric/descent.h"

#include <optional>
#include <vector>

// The squared error over the plane of c and t0: the landscape the descent
// walks on. The model is linear in a, so when a is free each point of the
// plane takes the a that makes E least there,
//     a* = Σ y·g / Σ g²,  g = 1 / (1 + e^(−c(t − t0))),
// and E(a*) = Σ (a*·g − y)²; when a is held, E is taken at its value. None of
// these functions throws: where the program's own evaluation at a point would
// fault, the answer is NaN (or nothing).

// a* at (c, t0) over the points; nothing when there is no point, when the
// exponential of some point overflows, or when a* lies beyond the double range.
std::optional<double> optimalA(double c, double t0, const Points &points);

// E at (c, t0), with a at `a` when held.a and at a* otherwise. NaN where the
// program's evaluation there faults: no point, an exponent beyond kExpLimit at
// some point (on either side for the derivatives, which are taken unless c and
// t0 are both held), or E beyond the double range.
double mapError(double a, double c, double t0, Held held, const Points &points);

// A rectangle of the plane cut into columns across c and rows down t0; the
// values are taken at the cell centres, the rows from the highest t0 down, as
// an image is stored.
struct SurfaceGrid
{
    double cLow{0.0}, cHigh{1.0};
    double t0Low{0.0}, t0High{1.0};
    int columns{1}, rows{1};

    double c(int column) const { return cLow + (column + 0.5) * ((cHigh - cLow) / columns); }
    double t0(int row) const { return t0High - (row + 0.5) * ((t0High - t0Low) / rows); }
};

// log10 E at every cell of the grid, row by row: the value of mapError at the
// cell's centre, NaN where that is NaN and −∞ where E is 0.
std::vector<double> errorSurface(const SurfaceGrid &grid, double a, Held held,
                                 const Points &points);
