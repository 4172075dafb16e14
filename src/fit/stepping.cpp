#include "window/form1.h"

#include "platform/number_text.h"
#include "platform/palette.h"

#include <QScopeGuard>

// One step of plain gradient descent from the last evaluation's sums. A fault
// leaves the parameters updated as far as the update got.
void Form1::actualizarParametros(double s)
{
    Parameters p = parametros();
    const auto store = qScopeGuard([&] { guardarParametros(p); });
    descentUpdate(p, sumas(), s);
}

// Up to N steps in the numeric core; the fields take the parameters and sums
// it reached, also when a fault ends the batch. Every evaluation goes into the
// history with the parameters it was made at; drawing it waits for the redraw
// at the end.
BatchEnd Form1::descender(double s, int N)
{
    Parameters p = parametros();
    Sums sums;
    const auto store = qScopeGuard([&] {
        guardarParametros(p);
        guardarSumas(sums);
    });
    return descentBatch(
            p, fijados(), puntos(), s, N, errorAnt, sums,
            [this](const Parameters &at, const Sums &evaluated) { historia.add(evaluated.E, at); });
}

// Parameters into their boxes and bars. Positions are not clamped: one outside
// a bar's range is a fault. The bars' own Change finds `ocupado` set.
void Form1::publicarParametros()
{
    Lval->setText(numberToText(a));
    LSCR->writeValue(kBarA.position(a));
    Cval->setText(numberToText(c));
    CSCR->writeValue(kBarC.position(c));
    Tval->setText(numberToText(t0));
    TSCR->writeValue(kBarT0.position(t0));
}

void Form1::comprobarBarras() const
{
    const auto comprobar = [](const HScrollBar *barra, int posicion) {
        if (posicion < barra->minimum() || posicion > barra->maximum())
            raiseFault();
    };
    comprobar(LSCR, kBarA.position(a));
    comprobar(CSCR, kBarC.position(c));
    comprobar(TSCR, kBarT0.position(t0));
}

void Form1::paso_Click()
{
    if (ocupado)
        return;
    ocupado = true;
    const Accion accion(*this, QStringLiteral("un paso"));
    enRecuperacion([this] {
        errorAnt = errorCuad;
        const double s = textToNumber(Text1->text());
        Text1->setText(numberToText(s));
        evaluar();
        historia.add(errorCuad, parametros());
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
    const Accion accion(*this, QStringLiteral("%1 pasos").arg(N));
    enRecuperacion([this, N] {
        label10->setBackColor(qbColor(Blanco));
        errorAnt = errorCuad;
        const double s = textToNumber(Text1->text());
        Text1->setText(numberToText(s));
        if (descender(s, N).stopped)
            label10->setBackColor(qbColor(Magenta));
        mostrar();
        publicarParametros();
        pinter();
    });
}
