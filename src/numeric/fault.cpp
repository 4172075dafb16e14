#include "numeric/fault.h"

void raiseFault()
{
    throw Fault();
}

int16_t roundToPosition(double value)
{
    chk(value);
    // nearbyint follows the default rounding mode: to nearest, halves to even.
    const double rounded = std::nearbyint(value);
    if (rounded < -32768.0 || rounded > 32767.0)
        raiseFault();
    return static_cast<int16_t>(rounded);
}
