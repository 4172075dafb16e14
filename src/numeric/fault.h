#pragma once

#include <cmath>
#include <cstdint>
#include <exception>

// A run-time fault: an overflow, a division by zero, an invalid operation, an
// index out of range, a text that is not a number or a rejected control write.
// It unwinds the running procedure up to the nearest handler with a fault path.
class Fault : public std::exception
{
public:
    const char *what() const noexcept override { return "ajuste: numeric fault"; }
};

[[noreturn]] void raiseFault();

// Checked arithmetic: every result must be a finite double. With finite
// operands that catches overflow, division by zero and invalid operations,
// while an underflow to 0 passes.
inline double chk(double value)
{
    if (!std::isfinite(value)) [[unlikely]]
        raiseFault();
    return value;
}

// ln(largest double): e^x overflows above this argument.
inline constexpr double kExpLimit = 709.782712893384;

// Up to the limit e^x stays finite (e^709.782712893384 is about 1.797693e308),
// so testing the argument checks the result. A NaN argument faults too.
inline double expChk(double x)
{
    if (!(x <= kExpLimit)) [[unlikely]]
        raiseFault();
    return std::exp(x);
}

inline double sqrtChk(double x)
{
    return chk(std::sqrt(chk(x)));
}

// Scroll bar positions and the data file's count are 16-bit integers: a double
// is rounded to the nearest integer, halves to even, and must fit.
int16_t roundToPosition(double value);

// A fixed array indexed like the rest of the program: an index outside the
// bounds is a fault rather than undefined behaviour.
template <typename T, int Size>
struct CheckedArray
{
    T items[Size]{};

    T &operator()(int k)
    {
        if (k < 0 || k >= Size) [[unlikely]]
            raiseFault();
        return items[k];
    }
    const T &operator()(int k) const
    {
        if (k < 0 || k >= Size) [[unlikely]]
            raiseFault();
        return items[k];
    }
};
