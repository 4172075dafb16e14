#include "window/form1.h"

#include "platform/number_text.h"
#include "platform/palette.h"

#include <QLabel>

void Form1::evaluar()
{
    sumL = 0;
    sumC = 0;
    sumT = 0;
    errorCuad = 0;
    const int last = n - 1;
    for (i = 0; i <= last; ++i) {
        const double r = chk(f(x(i)) - y(i));
        const double dosR = chk(r + r);
        sumL = chk(sumL + chk(dosR * parL(x(i))));
        sumC = chk(sumC + chk(dosR * parC(x(i))));
        sumT = chk(sumT + chk(dosR * parT(x(i))));
        errorCuad = chk(errorCuad + chk(r * r));
    }
}

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
