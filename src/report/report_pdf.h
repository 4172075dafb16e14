#pragma once

#include "numeric/fit_statistics.h"
#include "report/fit_plot.h"

#include <QByteArray>
#include <QFont>
#include <QList>
#include <QString>
#include <QStringList>

#include <vector>

// What the report's PDF holds: the date, the points, the report's lines as
// copied up to the residual table (both columns with their growth figures and
// results, then E, s, R², n and p), the figure of the fit and the residuals.
struct ReportDocument
{
    QString date;
    QList<QStringList> lines;
    FitFigure figure; // its t and y are the points
    std::vector<ResidualRow> residuals;
    QFont font; // the window's: the plots are laid out as on screen
};

// One A4 page written by Qt's own PDF writer: the title "Informe del ajuste",
// the date, the points, the table of figures, the figure of the fit and the
// residual plot, as vectors and selectable text. The table's face shrinks, down
// to 5 points, until its widest figures fit the page. Empty if the writer fails.
QByteArray reportPdf(const ReportDocument &document);
