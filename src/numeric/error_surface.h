#pragma once

#include "numeric/descent.h"

#include <optional>
#include <span>
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
// cell's centre, NaN where that is NaN and −∞ where E is 0. A cell is NaN by
// the same test of the exponents as mapError's; its value may differ from
// mapError's in the last bits (see SurfaceColumns).
std::vector<double> errorSurface(const SurfaceGrid &grid, double a, Held held,
                                 const Points &points);

// What every row of a surface shares. e^(−c(t − t0)) is taken as the product
// e^(−c(t − tm))·e^(c(t0 − tm)) about the middle tm of the points' t: the first
// factor depends on the column and the point alone, so a cell takes one
// exponential instead of one per point. Where either argument exceeds
// kFactorLimit (the product could then leave the normal range) the cell takes
// every exponential itself, as mapError does. Cells are taken kLanes columns
// at a time, each lane a cell of its own with the same arithmetic in the same
// order, so that the processor works on several cells at once; the columns
// are padded to a whole number of groups with copies of the last one.
struct SurfaceColumns
{
    static constexpr double kFactorLimit = 300;
    static constexpr int kLanes = 8;
    double tMiddle{0.0};
    double tLeast{0.0}, tMost{0.0};
    int stride{0};                     // the columns, padded
    std::vector<double> factors;       // e^(−c(t − tm)), stride columns of each point in turn
    std::vector<unsigned char> usable; // by column: every one of its factors within the limit
};

SurfaceColumns surfaceColumns(const SurfaceGrid &grid, const Points &points);

// The rows [begin, end) of errorSurface(grid, a, held, points), written into
// their place in `surface`, which holds the whole grid. Rows apart share
// nothing but what they read, so they may be computed on threads of their own.
void errorSurfaceRows(const SurfaceGrid &grid, const SurfaceColumns &columns, double a, Held held,
                      const Points &points, int begin, int end, std::span<double> surface);
