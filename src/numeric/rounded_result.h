#pragma once

#include <optional>
#include <string>

// A result rounded to its uncertainty, as a lab report writes it: the
// standard error to two significant digits and the value to the same decimal
// place, "8,05 ± 0,15", "316 ± 31", "940 ± 470", "100,0 ± 1,5" (the zeros its
// place asks for are kept). A carry into the next decade keeps two
// significant digits there: 0,0996 ± 0,00996 gives "0,100 ± 0,010".
//
// Fixed notation while the rounded error is at least 1e-4 and the rounded
// value and the rounded error are both below 1e6 in magnitude; beyond, one
// shared power of ten, that of the larger of the two, "(1,000 ± 0,030)E-07".
//
// The digits rounded are the shortest that read back to the same double,
// the ones the program writes for the value and the error in their own cells,
// so the result agrees with rounding those cells by hand; halves round up
// (away from zero), the rule taught at school: an error written 0,145 gives
// 0,15, a value written 2,45 with an error of 1,49 gives "2,5 ± 1,5".
//
// The decisions where the rule is silent:
// - a negative value keeps its sign ("-8,05 ± 0,15"), unless it rounds to
//   zero: a value far smaller than its error gives "0 ± 12" (0,0001 ± 12,
//   or −0,0001 ± 12) and "0,00 ± 0,12" (0,0001 ± 0,12);
// - an error of 0 gives no result: there is no decimal place to round to;
// - nor does an error so small that the value would need more than 17
//   significant digits, the most that tell two doubles apart: the error is
//   then below the value's own rounding;
// - nor a value or an error that is not finite, nor a negative error.

// The parts the text is made of, so that the caller writes it with the
// locale's decimal separator: [-]whole[,fraction] ± whole[,fraction], in
// parentheses followed by "E" and the exponent when there is one. Where a
// plain text will do (a cell, a label, the copied line), resultText writes it
// with the separator the caller passes, and the caller writes "—" where
// roundToUncertainty gives none; the parts are there for a
// writer of its own (rich text with a superscript power of ten, a PDF).
struct RoundedResult
{
    bool negative{false};      // the value's sign; false when it rounds to zero
    std::string valueWhole;    // ASCII digits before the separator, "0" at least
    std::string valueFraction; // `decimals` ASCII digits after it
    std::string errorWhole;
    std::string errorFraction;
    int decimals{0};             // the digits after the separator, in both
    std::optional<int> exponent; // the shared power of ten; none in fixed notation
};

// The result for value ± error; none in the cases above.
std::optional<RoundedResult> roundToUncertainty(double value, double error) noexcept;

// The text in UTF-8 with the given decimal separator: "8,05 ± 0,15",
// "-0,00276 ± 0,00051", "(1,000 ± 0,030)E-07"; the exponent as the program
// writes its numbers, signed and with two digits at least ("E+06", "E+300").
std::string resultText(const RoundedResult &result, char separator);
