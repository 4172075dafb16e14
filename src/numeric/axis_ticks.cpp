#include "numeric/axis_ticks.h"

#include "numeric/decimal_rounding.h"

#include <algorithm>
#include <cmath>

TickStep stepAtLeast(double least)
{
    if (!(least > 0) || !std::isfinite(least))
        return {};
    const int exponent = int(std::floor(std::log10(least)));
    const double unit = std::pow(10.0, exponent);
    for (const double factor : {1.0, 2.0, 5.0})
        if (factor * unit >= least)
            return {roundToDecade(factor * unit, exponent), exponent};
    // Above five units, ten: one unit of the next decade.
    return {roundToDecade(10 * unit, exponent + 1), exponent + 1};
}

TickStep stepFor(double span, double length, double spacing)
{
    return stepAtLeast(span / std::max(1.0, length / spacing));
}

std::vector<double> linearTicks(double low, double high, TickStep step)
{
    std::vector<double> ticks;
    if (!(step.step > 0) || !std::isfinite(low) || !std::isfinite(high))
        return ticks;
    // The bound on the count also ends the loop where k is too large for ++k
    // to change it.
    for (double k = std::ceil(low / step.step);
         k * step.step <= high && int(ticks.size()) < kMostTicks; ++k)
        ticks.push_back(k * step.step);
    return ticks;
}

double roundToStep(double value, TickStep step)
{
    return roundToDecade(value, step.exponent);
}

DecadeRange decadesOfLogs(double leastLog, double mostLog)
{
    if (!(leastLog <= mostLog) || !std::isfinite(leastLog) || !std::isfinite(mostLog))
        return {};
    const int low = int(std::floor(leastLog));
    return {low, std::max(int(std::ceil(mostLog)), low + 1)};
}

DecadeRange decadesHolding(std::span<const double> values)
{
    double least = HUGE_VAL, largest = -HUGE_VAL;
    for (const double value : values) {
        if (value > 0 && std::isfinite(value)) {
            least = std::min(least, value);
            largest = std::max(largest, value);
        }
    }
    if (least > largest)
        return {};
    return decadesOfLogs(std::log10(least), std::log10(largest));
}

int labelEvery(int intervals, double length, double labelSize)
{
    const int beyond = std::max(1, intervals + 1);
    if (!(length > 0))
        return beyond;
    const double every = std::ceil(double(intervals) * labelSize / length);
    return every < beyond ? std::max(1, int(every)) : beyond;
}

ValueRange framedRange(double least, double largest)
{
    if (!(least < largest)) {
        const double middle = least <= largest ? least : 0.0;
        least = middle - 1;
        largest = middle + 1;
    }
    const double margin = (largest - least) / 20;
    return {least - margin, largest + margin};
}
