#include "window/form1.h"

#include "platform/number_text.h"
#include "platform/palette.h"

// One step of plain gradient descent: c first, then a, then t0.
void Form1::actualizarParametros(double s)
{
    c = chk(c - chk(s * sumC));
    a = chk(a - chk(s * sumL));
    t0 = chk(t0 - chk(s * sumT));
}

// Parameters into their boxes and bars. Positions are not clamped: one outside
// a bar's range is a fault. The bars' own Change finds `ocupado` set.
void Form1::publicarParametros()
{
    Lval->setText(numberToText(a));
    LSCR->writeValue(roundToPosition(chk(chk(10 * a) - 100)));
    Cval->setText(numberToText(c));
    CSCR->writeValue(roundToPosition(chk(10 * c)));
    Tval->setText(numberToText(t0));
    TSCR->writeValue(roundToPosition(chk(5 * t0)));
}

void Form1::paso_Click()
{
    if (ocupado)
        return;
    ocupado = true;
    enRecuperacion([this] {
        errorAnt = errorCuad;
        const double s = textToNumber(Text1->text());
        Text1->setText(numberToText(s));
        evaluar();
        mostrar();
        colorAviso();
        actualizarParametros(s);
        publicarParametros();
        pinter();
    });
}

void Form1::paso3_Click()
{
    lote(100);
}

void Form1::paso4_Click()
{
    lote(10000);
}

// A batch of up to N steps. It stops at the first iteration whose error
// exceeds the error recorded before the batch, without applying that
// iteration's update; the figures are shown once, after the batch.
void Form1::lote(int N)
{
    if (ocupado)
        return;
    ocupado = true;
    enRecuperacion([this, N] {
        label10->setBackColor(qbColor(Blanco));
        errorAnt = errorCuad;
        const double s = textToNumber(Text1->text());
        Text1->setText(numberToText(s));
        for (int k = 1; k <= N; ++k) {
            evaluar();
            if (errorCuad - errorAnt > 0) {
                label10->setBackColor(qbColor(Magenta));
                break;
            }
            actualizarParametros(s);
        }
        mostrar();
        publicarParametros();
        pinter();
    });
}
