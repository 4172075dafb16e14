#pragma once

#include <QString>

#include <optional>

// Every number shown to the user or read from the user goes through here. The
// numbers are written in plain ASCII whatever the user's locale (Qt's default
// QLocale): digits 0-9, '-' for a negative value, 'E' for the exponent, no
// grouping and no direction marks, so that every text the program writes can
// be saved to the single-byte data file and read back under the same locale.

// The decimal separator the program writes and reads: the locale's when it is
// a comma or a full stop, and a full stop for every other locale (for instance
// the Arabic decimal separator U+066B).
QChar decimalSeparator();

// Shortest digits that read back to the same double; plain decimal notation for
// 1e-4 <= |value| < 1e15, exponent notation outside ("1E-05", "-2,5E+300");
// "0" for both zeros. Only characters of ASCII.
QString numberToText(double value);

// Reads what numberToText writes under the same locale, plus an optional sign
// and surrounding blanks; a number typed in the locale's own form (its minus
// sign, its native digits where Qt reads them) reads too. An empty text, blanks
// only, letters, grouping separators, a full stop where the comma separates the
// decimals, infinities, NaN and magnitudes beyond the double range are faults.
double textToNumber(const QString &text);

// The same reading for a caller that only asks whether a text is a number:
// nothing where textToNumber faults.
std::optional<double> readNumber(const QString &text);

// Locale-independent reader for the data file's count line: blanks are skipped,
// a point is the only decimal separator, reading stops at the first character
// that cannot continue the number, and a text without a number gives 0.
// A number beyond the double range is a fault.
double leadingNumber(const QString &text);
