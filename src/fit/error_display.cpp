#include "window/form1.h"

#include "platform/number_text.h"
#include "platform/palette.h"

#include <QLabel>

void Form1::mostrar()
{
    // Root-mean-square residual as a percentage of the mean y. Computed in
    // full before any control is written, so a fault leaves them all as they were.
    const double q = chk(chk(sqrtChk(chk(errorCuad / double(n))) / mediaY) * 100);
    label10->setText(numberToText(q));
    Label6->setText(numberToText(sumL));
    Label7->setText(numberToText(sumC));
    Label8->setText(numberToText(sumT));
    label9->setText(numberToText(errorCuad));
}

void Form1::colorAviso()
{
    label10->setBackColor(qbColor(errorCuad - errorAnt > 0 ? Magenta : Blanco));
}
