#pragma once

#include "numeric/fit_statistics.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// The report's figures as the window shows them and the clipboard takes them:
// numbers as the program writes them, "—" where a figure has no meaning and
// "fijo" for the error of a held parameter. The window and the copy read the
// same cells, so what is pasted is what was shown.

inline const QString kNoFigure = QStringLiteral("—");
inline const QString kFixed = QStringLiteral("fijo");
inline const QString kNotMinimum
        = QStringLiteral("el ajuste actual no es un mínimo: las incertidumbres son orientativas");

inline const QString kParameterNames[3]
        = {QStringLiteral("a"), QStringLiteral("c"), QStringLiteral("t0")};

// A figure, or "—" when there is none or it is not finite.
QString figureText(std::optional<double> value);

// Value, standard error, lower and upper 95 % bound of parameter j (a, c, t0).
// A held parameter: its value, "fijo" and two empty bounds; a free one without
// errors: its value and "—"; no best fit: "—" throughout.
QStringList parameterCells(const FitStatistics &fit, int j);

// The correlation of the free parameters i and j to four decimals, "—"
// without errors.
QString correlationText(const FitStatistics &fit, int i, int j);

// The whole report, one list of cells per line: the heading, the parameters of
// the best and of the current fit each under its title (the warning under the
// current one when it is not a minimum), E, s, R², n and p for both, and the
// residual table of the current fit.
QList<QStringList> reportLines(const FitStatistics &best, const FitStatistics &current);

// Cells separated by tabs and lines by line feeds, so that a spreadsheet
// pastes them as cells.
QString tabSeparated(const QList<QStringList> &lines);

// The same lines as one HTML table, the first line as its heading.
QString htmlTable(const QList<QStringList> &lines);
