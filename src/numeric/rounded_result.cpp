#include "numeric/rounded_result.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>

namespace {

// The most significant digits a result's value may need (see the header).
constexpr int kMaxValueDigits = 17;

// |x| as its shortest decimal digits d₀d₁d₂… with |x| = d₀.d₁d₂… × 10^exponent;
// "0" and 0 for zero.
struct Shortest
{
    std::string digits;
    int exponent{0};
};

Shortest shortest(double x)
{
    char buffer[64];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(x),
                                       std::chars_format::scientific);
    Shortest out;
    const char *p = buffer;
    for (; p < written.ptr && *p != 'e'; ++p)
        if (*p != '.')
            out.digits += *p;
    if (p < written.ptr) {
        ++p;           // past 'e'
        if (*p == '+') // from_chars reads a minus sign only
            ++p;
        std::from_chars(p, written.ptr, out.exponent);
    }
    return out;
}

// The decimal rounded to a multiple of 10^place, halves up, as the digits of
// that multiple: no leading zeros, "0" for zero.
std::string roundedTo(const Shortest &x, int place)
{
    const int kept = x.exponent - place + 1; // digits at or above the place
    if (kept < 0)
        return "0"; // below a tenth of a unit of the place
    std::string digits = x.digits.substr(0, size_t(std::min(kept, int(x.digits.size()))));
    digits.resize(size_t(kept), '0');
    if (kept < int(x.digits.size()) && x.digits[size_t(kept)] >= '5') {
        int k = kept - 1;
        for (; k >= 0 && digits[size_t(k)] == '9'; --k)
            digits[size_t(k)] = '0';
        if (k >= 0)
            ++digits[size_t(k)];
        else
            digits.insert(digits.begin(), '1');
    }
    const size_t first = digits.find_first_not_of('0');
    return first == std::string::npos ? "0" : digits.substr(first);
}

// digits × 10^power split at the decimal separator.
void split(const std::string &digits, int power, std::string &whole, std::string &fraction)
{
    if (power >= 0) {
        whole = digits == "0" ? digits : digits + std::string(size_t(power), '0');
        fraction.clear();
        return;
    }
    const size_t decimals = size_t(-power);
    std::string padded = digits;
    if (padded.size() <= decimals)
        padded.insert(0, decimals + 1 - padded.size(), '0');
    whole = padded.substr(0, padded.size() - decimals);
    fraction = padded.substr(padded.size() - decimals);
}

std::string numberText(bool negative, const std::string &whole, const std::string &fraction,
                       char separator)
{
    std::string text = negative ? "-" + whole : whole;
    if (!fraction.empty())
        text += separator + fraction;
    return text;
}

} // namespace

std::optional<RoundedResult> roundToUncertainty(double value, double error) noexcept
{
    try {
        if (!std::isfinite(value) || !std::isfinite(error) || !(error > 0))
            return std::nullopt;
        // The error to two significant digits: a multiple of 10^place.
        const Shortest e = shortest(error);
        int place = e.exponent - 1;
        std::string errorDigits = roundedTo(e, place);
        if (errorDigits.size() > 2) { // 99.5 became 100: two digits one decade up, "10"
            errorDigits.pop_back();
            ++place;
        }
        const std::string valueDigits = roundedTo(shortest(value), place);
        const bool zero = valueDigits == "0";
        if (!zero && int(valueDigits.size()) > kMaxValueDigits)
            return std::nullopt;

        // The powers of ten of the leading digits, after rounding.
        const int errorPower = place + 1;
        const int valuePower = zero ? INT_MIN : int(valueDigits.size()) - 1 + place;
        RoundedResult out;
        out.negative = value < 0 && !zero;
        int shift = 0;
        if (errorPower < -4 || errorPower >= 6 || valuePower >= 6) {
            shift = std::max(valuePower, errorPower);
            out.exponent = shift;
        }
        out.decimals = std::max(0, shift - place);
        split(valueDigits, place - shift, out.valueWhole, out.valueFraction);
        split(errorDigits, place - shift, out.errorWhole, out.errorFraction);
        return out;
    } catch (...) { // only the strings' allocations can throw
        return std::nullopt;
    }
}

std::string resultText(const RoundedResult &result, char separator)
{
    std::string text = numberText(result.negative, result.valueWhole, result.valueFraction,
                                  separator)
            + " \xC2\xB1 " // " ± "
            + numberText(false, result.errorWhole, result.errorFraction, separator);
    if (!result.exponent)
        return text;
    const int power = *result.exponent;
    std::string digits = std::to_string(power < 0 ? -power : power);
    if (digits.size() < 2)
        digits.insert(0, 1, '0');
    return "(" + text + ")E" + (power < 0 ? "-" : "+") + digits;
}
