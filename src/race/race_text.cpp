#include "race/race_text.h"

#include "numeric/decimal_rounding.h"
#include "platform/number_text.h"

#include <cmath>

namespace {

constexpr int kErrorDigits = 6;  // the final E: the methods that reach differ beyond
constexpr int kFigureDigits = 4; // κ, steps

QString figure(double value, int digits, Figures figures)
{
    if (!std::isfinite(value))
        return kNoRaceFigure;
    return numberToText(figures == Figures::copied ? value : roundToDigits(value, digits));
}

// A factor near 1 with the digits that keep three of its distance from 1:
// 0,9879 and 0,99999876, never a bare 1.
QString factorText(double factor, Figures figures)
{
    const double gap = std::fabs(1 - factor);
    int digits = kFigureDigits;
    if (gap > 0 && gap < 1)
        digits = std::max(digits, 3 + int(std::floor(-std::log10(gap))));
    return figure(factor, std::min(digits, 17), figures);
}

QString count(int value)
{
    return numberToText(double(value));
}

} // namespace

QString methodText(Method method)
{
    const std::string_view name = methodName(method);
    return QString::fromUtf8(name.data(), qsizetype(name.size()));
}

QStringList methodCells(const MethodResult *result, const QString &absent, Figures figures)
{
    if (!result)
        return {kNoRaceFigure, kNoRaceFigure, kNoRaceFigure, absent};
    const std::string words = resultWords(*result);
    return {count(result->iterations), count(result->evaluations),
            result->finalError ? figure(*result->finalError, kErrorDigits, figures) : kNoRaceFigure,
            QString::fromUtf8(words.data(), qsizetype(words.size()))};
}

QStringList crawlCells(const std::optional<Crawl> &crawl, Figures figures)
{
    if (!crawl)
        return QStringList(kCrawlNames.size() + 1, kNoRaceFigure);
    return {figure(crawl->condition, kFigureDigits, figures),
            factorText(crawl->factor, figures),
            crawl->predicted ? figure(*crawl->predicted, kFigureDigits, figures) : kNotApproaching,
            crawl->measured ? figure(*crawl->measured, kFigureDigits, figures) : kNoRaceFigure,
            figure(crawl->bestStep, kFigureDigits, figures),
            factorText(crawl->bestFactor, figures)};
}

const MethodResult *resultOf(const Race &race, Method method)
{
    for (const MethodResult &result : race.methods)
        if (result.method == method)
            return &result;
    return nullptr;
}

QList<QStringList> raceLines(const RaceTable &table)
{
    QList<QStringList> lines{kRaceHeading};
    for (Method method : kMethods)
        lines << QStringList{methodText(method)}
                        + methodCells(resultOf(table.race, method), table.absent[size_t(method)],
                                      Figures::copied);
    const QStringList crawl = crawlCells(table.race.crawl, Figures::copied);
    for (qsizetype k = 0; k < kCrawlNames.size(); ++k)
        lines << QStringList{kCrawlNames[k], crawl[k]};
    return lines;
}

QString tabSeparatedLines(const QList<QStringList> &lines)
{
    QString text;
    for (const QStringList &cells : lines)
        text += cells.join(QLatin1Char('\t')) + QLatin1Char('\n');
    return text;
}
