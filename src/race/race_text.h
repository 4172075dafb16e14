#pragma once

#include "numeric/race.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

// The race's table as the panel shows it and the clipboard takes it: the
// panel shows figures rounded to be read, the copy every digit, both written
// as the program writes numbers; "—" where a figure does not exist.

inline const QString kNoRaceFigure = QStringLiteral("—");
inline const QStringList kRaceHeading{QStringLiteral("método"), QStringLiteral("iteraciones"),
                                      QStringLiteral("evaluaciones"), QStringLiteral("E final"),
                                      QStringLiteral("resultado")};
// The figures of why plain descent crawls, by the names the copy gives them.
inline const QStringList kCrawlNames{QStringLiteral("κ"), QStringLiteral("ρ con el paso actual"),
                                     QStringLiteral("pasos por factor 10 (previstos)"),
                                     QStringLiteral("pasos por factor 10 (medidos)"),
                                     QStringLiteral("paso óptimo")};
inline const QString kNotApproaching
        = QStringLiteral("con este paso el descenso no se acerca al mínimo");
inline const QString kNotTakingPart = QStringLiteral("no participa");

enum class Figures {
    shown,  // rounded to the digits a reader needs
    copied, // every digit
};

QString methodText(Method method);

// A method's cells after its name: iterations, evaluations, final E and the
// result in words. Without a result the method did not run, for the reason
// `absent` ("no participa"), and its figures are "—".
QStringList methodCells(const MethodResult *result, const QString &absent, Figures figures);

// κ, ρ with the current step, the predicted and the measured steps per
// factor 10, the best fixed step, and then ρ with the best step: "—" for all
// without the curvature, and kNotApproaching for the prediction when ρ ≥ 1.
QStringList crawlCells(const std::optional<Crawl> &crawl, Figures figures);

// What a race showed: its results, and why each method that has none did not run.
struct RaceTable
{
    Race race;
    std::array<QString, kMethodCount> absent; // by Method; read where a method has no result
    Parameters start{};                       // where it started
    double step{0.0};                         // with the step size
    std::optional<double> bestError;          // E*, where there was a best fit
};

// The copied table, one list of cells per line: the heading, every method
// in the order of kMethods, then each figure of the crawl by its name.
QList<QStringList> raceLines(const RaceTable &table);

// Cells separated by tabs and every line ended by a line feed, as a
// spreadsheet pastes them.
QString tabSeparatedLines(const QList<QStringList> &lines);

// The result of `method` in the race, if it took part.
const MethodResult *resultOf(const Race &race, Method method);
