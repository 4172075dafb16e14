#include "numeric/decimal_rounding.h"

#include <algorithm>
#include <charconv>
#include <cmath>

double roundToDigits(double x, int digits)
{
    if (x == 0 || !std::isfinite(x))
        return x;
    char text[64];
    const auto written = std::to_chars(text, text + sizeof text, x, std::chars_format::scientific,
                                       std::clamp(digits, 1, 17) - 1);
    double rounded = x;
    std::from_chars(text, written.ptr, rounded);
    return rounded;
}

double roundToDecade(double x, int exponent)
{
    if (x == 0 || !std::isfinite(x))
        return x;
    if (exponent > 0) {
        const int magnitude = int(std::floor(std::log10(std::fabs(x))));
        if (magnitude >= exponent)
            return roundToDigits(x, magnitude - exponent + 1);
        const double unit = std::pow(10.0, exponent);
        return std::nearbyint(x / unit) * unit;
    }
    // Finer than the smallest subnormal there is nothing left to round.
    if (exponent < -340)
        return x;
    char text[1024];
    const auto written
            = std::to_chars(text, text + sizeof text, x, std::chars_format::fixed, -exponent);
    double rounded = x;
    std::from_chars(text, written.ptr, rounded);
    return rounded;
}
