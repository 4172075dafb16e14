#pragma once

// Decimal rounding that text can show: the results are the doubles nearest
// the rounded decimals, so that the program writes them in few digits.

// x rounded to a multiple of 10^exponent, as the double nearest that decimal
// (so that its text reads back to it); 0, infinities and NaN unchanged.
double roundToDecade(double x, int exponent);

// x rounded to `digits` significant decimal digits, likewise.
double roundToDigits(double x, int digits);
