#pragma once

#include <QString>

// Every number shown to the user or read from the user goes through here, in
// the user's locale (Qt's default QLocale): its decimal separator, no grouping.

// Shortest digits that read back to the same double; plain decimal notation for
// 1e-4 <= |value| < 1e15, exponent notation outside; "0" for both zeros.
QString numberToText(double value);

// Reads what numberToText writes, plus an optional sign and surrounding blanks.
// An empty text, blanks only, letters, grouping separators, infinities, NaN and
// magnitudes beyond the double range are faults.
double textToNumber(const QString &text);

// Locale-independent reader for the data file's count line: blanks are skipped,
// a point is the only decimal separator, reading stops at the first character
// that cannot continue the number, and a text without a number gives 0.
// A number beyond the double range is a fault.
double leadingNumber(const QString &text);
