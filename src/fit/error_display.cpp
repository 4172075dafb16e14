#include "window/form1.h"

#include "platform/number_text.h"
#include "platform/palette.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>

#include <optional>
#include <utility>

void Form1::mostrar()
{
    // Computed in full before any control is written, so a fault leaves them
    // all as they were.
    const double q = normalizedError(errorCuad, n, mediaY);
    label10->setText(numberToText(q));
    Label6->setText(numberToText(sumL));
    Label7->setText(numberToText(sumC));
    Label8->setText(numberToText(sumT));
    label9->setText(numberToText(errorCuad));
}

void Form1::colorAviso()
{
    label10->setBackColor(qbColor(errorGrew(errorCuad, errorAnt) ? Magenta : Blanco));
}

void Form1::copiarResultados()
{
    // The parameters in force, the step size as it reads, and the figures as
    // shown (empty after a recovery blanked them).
    const std::optional<double> paso = readNumber(Text1->text());
    const std::pair<QString, QString> lineas[] = {
            {QStringLiteral("a"), numberToText(a)},
            {QStringLiteral("c"), numberToText(c)},
            {QStringLiteral("t0"), numberToText(t0)},
            {Label3->text(), paso ? numberToText(*paso) : Text1->text()},
            {Label4->text(), label9->text()},
            {Label5->text(), label10->text()},
            {QStringLiteral("dE/da"), Label6->text()},
            {QStringLiteral("dE/dc"), Label7->text()},
            {QStringLiteral("dE/dt0"), Label8->text()},
    };
    QString texto;
    for (const auto &[nombre, valor] : lineas)
        texto += nombre + u'\t' + valor + u'\n';
    QGuiApplication::clipboard()->setText(texto);
}
