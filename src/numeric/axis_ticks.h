#pragma once

#include <span>
#include <vector>

// Where the ticks of a plot's axes go, apart from any drawing: steps of 1, 2
// or 5 times a power of ten on a linear axis, whole decades on a logarithmic
// one, fewer labels where they would overlap, and tick values rounded so that
// their text is short. None of these functions throws.

// A step between ticks: 1, 2 or 5 times 10^exponent (10 times 10^exponent is
// written as 1 times 10^(exponent + 1)), as the double nearest that decimal.
struct TickStep
{
    double step{1.0};
    int exponent{0}; // of the power of ten the step is a multiple of
};

// The smallest such step that is at least `least`; 1 where `least` is not a
// positive finite number.
TickStep stepAtLeast(double least);

// The step for about one tick every `spacing` pixels along an axis `length`
// pixels long that shows `span` of its values: a span shown on fewer pixels
// than `spacing` takes a single step.
TickStep stepFor(double span, double length, double spacing);

// The multiples of the step from `low` to `high`, both included, lowest
// first: at most kMostTicks of them.
inline constexpr int kMostTicks = 1000;
std::vector<double> linearTicks(double low, double high, TickStep step);

// A tick value rounded to its step's decade, so that it is written in the
// fewest digits (k × 0.1 is 0.3, not 0.30000000000000004).
double roundToStep(double value, TickStep step);

// Whole decades of a logarithmic axis: 10^low to 10^high, high > low.
struct DecadeRange
{
    int low{0};
    int high{1};

    bool operator==(const DecadeRange &) const = default;
};

// The whole decades that hold the base-10 logarithms from leastLog to
// mostLog, one at least; 10^0 to 10^1 where there is none (leastLog >
// mostLog) or either is not finite.
DecadeRange decadesOfLogs(double leastLog, double mostLog);

// The whole decades that hold every positive finite value given; the others,
// which have no place on a logarithmic axis, are left out.
DecadeRange decadesHolding(std::span<const double> values);

// Which labels of an axis with `intervals` equal intervals over `length`
// pixels stand apart when each takes `labelSize` pixels along it: every
// k-th, from the first. At least 1; beyond `intervals` (only the first) where
// not even two fit or the axis has no length.
int labelEvery(int intervals, double length, double labelSize);

// The range of a linear axis framed to finite data from `least` to `largest`:
// a twentieth of their span beyond either end. A single value is framed as
// if the data ran from 1 below it to 1 above it; no value at all (least >
// largest), as if they ran from -1 to 1.
struct ValueRange
{
    double low{0.0};
    double high{1.0};
};
ValueRange framedRange(double least, double largest);
