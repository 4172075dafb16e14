#include "report/report_text.h"

#include "platform/number_text.h"

#include <cmath>

QString figureText(std::optional<double> value)
{
    return value && std::isfinite(*value) ? numberToText(*value) : kNoFigure;
}

QStringList parameterCells(const FitStatistics &fit, int j)
{
    if (fit.reason == NoAnswer::noBestFit)
        return {kNoFigure, kNoFigure, kNoFigure, kNoFigure};
    const QString value = figureText(parameterValue(fit.p, j));
    if (isHeld(fit.held, j))
        return {value, kFixed, QString(), QString()};
    if (!fit.hasErrors())
        return {value, kNoFigure, kNoFigure, kNoFigure};
    const size_t k = size_t(j);
    return {value, figureText(fit.standardError[k]), figureText(fit.lower[k]),
            figureText(fit.upper[k])};
}

QString correlationText(const FitStatistics &fit, int i, int j)
{
    if (!fit.hasErrors() || isHeld(fit.held, i) || isHeld(fit.held, j))
        return kNoFigure;
    // Read for its size and sign: four decimals, which also keep the matrix narrow.
    return figureText(std::round(fit.correlation[size_t(i)][size_t(j)] * 1e4) / 1e4);
}

QList<QStringList> reportLines(const FitStatistics &best, const FitStatistics &current)
{
    QList<QStringList> lines{{QStringLiteral("parámetro"), QStringLiteral("valor"),
                              QStringLiteral("error típico"), QStringLiteral("inferior 95 %"),
                              QStringLiteral("superior 95 %")}};
    auto parameters = [&lines](const QString &title, const FitStatistics &fit) {
        lines.append({title});
        for (int j = 0; j < 3; ++j) {
            QStringList cells = parameterCells(fit, j);
            while (!cells.isEmpty() && cells.last().isEmpty())
                cells.removeLast();
            lines.append(QStringList{kParameterNames[j]} + cells);
        }
    };
    parameters(QStringLiteral("Mejor ajuste"), best);
    parameters(QStringLiteral("Ajuste actual"), current);
    if (!current.atMinimum())
        lines.append({kNotMinimum});

    lines.append({QString(), QStringLiteral("Mejor ajuste"), QStringLiteral("Ajuste actual")});
    auto summary = [&lines, &best, &current](const QString &name,
                                             std::optional<double> FitStatistics::*figure) {
        lines.append({name, figureText(best.*figure), figureText(current.*figure)});
    };
    summary(QStringLiteral("E"), &FitStatistics::E);
    summary(QStringLiteral("s"), &FitStatistics::s);
    summary(QStringLiteral("R²"), &FitStatistics::R2);
    lines.append({QStringLiteral("n"), numberToText(best.n), numberToText(current.n)});
    lines.append({QStringLiteral("p"), numberToText(best.free), numberToText(current.free)});

    lines.append({QStringLiteral("t"), QStringLiteral("y"), QStringLiteral("f(t)"),
                  QStringLiteral("y − f(t)")});
    for (const ResidualRow &row : current.residuals)
        lines.append({figureText(row.t), figureText(row.y), figureText(row.f), figureText(row.r)});
    return lines;
}

QString tabSeparated(const QList<QStringList> &lines)
{
    QString text;
    for (const QStringList &cells : lines)
        text += cells.join(QLatin1Char('\t')) + QLatin1Char('\n');
    return text;
}

QString htmlTable(const QList<QStringList> &lines)
{
    QString html = QStringLiteral("<html><head><meta charset=\"utf-8\"></head><body><table>");
    for (qsizetype k = 0; k < lines.size(); ++k) {
        const QString cell = k == 0 ? QStringLiteral("th") : QStringLiteral("td");
        html += QStringLiteral("<tr>");
        for (const QString &text : lines.at(k))
            html += QStringLiteral("<%1>%2</%1>").arg(cell, text.toHtmlEscaped());
        html += QStringLiteral("</tr>");
    }
    return html + QStringLiteral("</table></body></html>");
}
