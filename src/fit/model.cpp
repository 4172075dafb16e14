#include "window/form1.h"

#include <QScopeGuard>

// The window's side of the model: the fields handed to the numeric core as
// plain values, and the core's results stored back in the fields.

Parameters Form1::parametros() const
{
    return {a, c, t0};
}

void Form1::guardarParametros(const Parameters &p)
{
    a = p.a;
    c = p.c;
    t0 = p.t0;
}

// Read once when an evaluation starts: no check box can change while a
// handler runs.
Held Form1::fijados() const
{
    return {Check1->value() != 0, Check2->value() != 0, Check3->value() != 0};
}

Points Form1::puntos() const
{
    return points();
}

Sums Form1::sumas() const
{
    return {sumL, sumC, sumT, errorCuad, i};
}

void Form1::guardarSumas(const Sums &s)
{
    i = int16_t(s.done);
    sumL = s.L;
    sumC = s.C;
    sumT = s.T;
    errorCuad = s.E;
}

// The squared error and its gradient at the current parameters. On a fault
// the fields still take the sums as far as they got.
void Form1::evaluar()
{
    Sums s;
    const auto store = qScopeGuard([&] { guardarSumas(s); });
    sumErrors(parametros(), fijados(), puntos(), s);
}
