#pragma once

#include "numeric/fit_bands.h"
#include "numeric/fit_statistics.h"
#include "numeric/growth_figures.h"

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

// The growth figures' rows, in the order of Growth.
inline const QString kGrowthNames[kGrowthCount]
        = {QStringLiteral("tiempo de duplicación"), QStringLiteral("tiempo del 10 % al 90 %"),
           QStringLiteral("pendiente máxima"), QStringLiteral("tiempo de latencia")};

// The cells of a row with a standard error: value, error, the two ends of the
// 95 % interval, and the result rounded to the error.
inline constexpr int kRowCells = 5;

// A figure, or "—" when there is none or it is not finite.
QString figureText(std::optional<double> value);

// value ± error rounded to the error, "8,05 ± 0,15", with the program's
// decimal separator; "—" where there is no such result (see rounded_result.h).
QString resultCell(double value, double error);

// Value, standard error, lower and upper 95 % bound of parameter j (a, c, t0)
// and the result. A held parameter: its value, "fijo" and three empty cells; a
// free one without errors: its value and "—"; no best fit: "—" throughout.
QStringList parameterCells(const FitStatistics &fit, int j);

// The same five cells for one growth figure of the column: "—" without a
// value; its value, "fijo" and three empty cells when every parameter it
// depends on is held; its value and "—" without a standard error. An interval
// without an upper end (a time whose c may be 0) ends in "∞".
QStringList growthCells(const FitStatistics &fit, const GrowthFigure &figure);

// The correlation of the free parameters i and j to four decimals, "—"
// without errors.
QString correlationText(const FitStatistics &fit, int i, int j);

// The whole report, one list of cells per line: the heading, the parameters and
// the growth figures of the best and of the current fit each under its title
// (the warning under the current one when it is not a minimum), E, s, R², n
// and p for both, and the residual table of the current fit. A row's empty
// cells at its end are left out.
QList<QStringList> reportLines(const FitStatistics &best, const FitStatistics &current);

// The figure's label: the best fit's a, c and t0 as results ("a = 8,05 ±
// 0,15"; a held one as "c = 0,9 (fijo)", one without a result as its value)
// and R² to four decimals; nothing without a best fit.
QStringList fitLabel(const FitStatistics &best);

// Why the figure has no bands ("sin bandas: no hay un mejor ajuste único"),
// or nothing when it has them.
QString noBandsText(const FitStatistics &best);

// "Copiar datos de la figura": the heading and, for each point in grid order,
// its t, the best fit there and the ends of its two bands, "—" where there is
// no figure (all four bands without bands, all five without a best fit).
QList<QStringList> figureDataLines(const FitStatistics &best, const Points &points);

// Cells separated by tabs and lines by line feeds, so that a spreadsheet
// pastes them as cells.
QString tabSeparated(const QList<QStringList> &lines);

// The same lines as one HTML table, the first line as its heading.
QString htmlTable(const QList<QStringList> &lines);
