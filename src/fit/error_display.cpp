#include "window/form1.h"

#include "platform/number_text.h"
#include "platform/palette.h"

#include <QLabel>

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
