#include "report/report_text.h"

#include "numeric/model.h"
#include "numeric/rounded_result.h"
#include "platform/number_text.h"

#include <cmath>

QString figureText(std::optional<double> value)
{
    return value && std::isfinite(*value) ? numberToText(*value) : kNoFigure;
}

QString resultCell(double value, double error)
{
    const std::optional<RoundedResult> result = roundToUncertainty(value, error);
    if (!result)
        return kNoFigure;
    return QString::fromStdString(resultText(*result, decimalSeparator().toLatin1()));
}

QStringList parameterCells(const FitStatistics &fit, int j)
{
    const QStringList none(kRowCells, kNoFigure);
    if (fit.reason == NoAnswer::noBestFit)
        return none;
    const double value = parameterValue(fit.p, j);
    const QString valueText = figureText(value);
    if (isHeld(fit.held, j))
        return {valueText, kFixed, QString(), QString(), QString()};
    if (!fit.hasErrors())
        return QStringList{valueText} + none.mid(1);
    const size_t k = size_t(j);
    return {valueText, figureText(fit.standardError[k]), figureText(fit.lower[k]),
            figureText(fit.upper[k]), resultCell(value, fit.standardError[k])};
}

QStringList growthCells(const FitStatistics &fit, const GrowthFigure &figure)
{
    const QStringList none(kRowCells, kNoFigure);
    if (fit.reason == NoAnswer::noBestFit || !figure.value)
        return none;
    const QString value = figureText(figure.value);
    if (figure.fixed)
        return {value, kFixed, QString(), QString(), QString()};
    if (!figure.standardError)
        return QStringList{value} + none.mid(1);
    const bool unbounded = std::isinf(figure.upper) && figure.upper > 0;
    return {value, figureText(figure.standardError), figureText(figure.lower),
            unbounded ? QStringLiteral("∞") : figureText(figure.upper),
            resultCell(*figure.value, *figure.standardError)};
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
                              QStringLiteral("superior 95 %"), QStringLiteral("resultado")}};
    auto row = [&lines](const QString &name, QStringList cells) {
        while (!cells.isEmpty() && cells.last().isEmpty())
            cells.removeLast();
        lines.append(QStringList{name} + cells);
    };
    auto parameters = [&lines, &row](const QString &title, const FitStatistics &fit) {
        lines.append({title});
        for (int j = 0; j < 3; ++j)
            row(kParameterNames[j], parameterCells(fit, j));
        const GrowthFigures growth = growthFigures(fit);
        for (int k = 0; k < kGrowthCount; ++k)
            row(kGrowthNames[k], growthCells(fit, growth[size_t(k)]));
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

QStringList fitLabel(const FitStatistics &best)
{
    if (best.reason == NoAnswer::noBestFit)
        return {};
    QStringList lines;
    for (int j = 0; j < 3; ++j) {
        const QStringList cells = parameterCells(best, j);
        const QString shown = isHeld(best.held, j) ? cells.at(0) + QStringLiteral(" (fijo)")
                : cells.at(4) != kNoFigure         ? cells.at(4)
                                                   : cells.at(0);
        lines << kParameterNames[j] + QStringLiteral(" = ") + shown;
    }
    // Read for how close it is to 1, as the correlations are read for their size.
    const std::optional<double> R2
            = best.R2 ? std::optional<double>(std::round(*best.R2 * 1e4) / 1e4) : std::nullopt;
    lines << QStringLiteral("R² = ") + figureText(R2);
    return lines;
}

QString noBandsText(const FitStatistics &best)
{
    if (bandsAvailable(best))
        return QString();
    switch (best.reason) {
    case NoAnswer::noBestFit:
        return QStringLiteral("sin bandas: no hay un mejor ajuste único");
    case NoAnswer::tooFewPoints:
        return QStringLiteral("sin bandas: con n = p no queda ningún grado de libertad");
    case NoAnswer::illConditioned:
        return QStringLiteral("sin bandas: los puntos no distinguen los parámetros");
    case NoAnswer::notFinite:
    case NoAnswer::none:
        break;
    }
    return QStringLiteral("sin bandas: el modelo se sale de lo representable");
}

QList<QStringList> figureDataLines(const FitStatistics &best, const Points &points)
{
    QList<QStringList> lines{
            {QStringLiteral("t"), QStringLiteral("f(t)"), QStringLiteral("confianza inferior 95 %"),
             QStringLiteral("confianza superior 95 %"), QStringLiteral("predicción inferior 95 %"),
             QStringLiteral("predicción superior 95 %")}};
    const Parameters &p = best.p;
    for (int k = 0; k < points.n; ++k) {
        const double t = points.t[size_t(k)];
        QStringList cells(6, kNoFigure);
        cells[0] = figureText(t);
        if (const std::optional<BandPoint> band = fitBandsAt(best, t)) {
            cells = QStringList{figureText(t),
                                figureText(band->f),
                                figureText(band->confidenceLower),
                                figureText(band->confidenceUpper),
                                figureText(band->predictionLower),
                                figureText(band->predictionUpper)};
        } else if (best.reason != NoAnswer::noBestFit) {
            cells[1] = figureText(p.a * logistic(p.c * (t - p.t0)).s);
        }
        lines.append(cells);
    }
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
