#include "window/form1.h"

#include "numeric/decimal_rounding.h"
#include "numeric/error_surface.h"
#include "platform/number_text.h"

// Each of a, c and t0 has a scroll bar and a text box. The three members share
// the handlers below and differ in their field, controls and bar mapping.

void Form1::cambioBarra(double &parametro, HScrollBar *barra, TextBox *caja, const BarMapping &mapa,
                        const QString &nombre)
{
    if (ocupado)
        return;
    ocupado = true;
    const Accion accion(*this, QStringLiteral("barra de ") + nombre, *barra);
    enRecuperacion([&] {
        parametro = mapa.parameter(barra->value());
        reiniciarHistorial();
        caja->setText(numberToText(parametro));
        pintar();
    });
}

// Enter or leaving the box commits the typed number exactly; the bar moves to
// the nearest position (its Change finds `ocupado` set, so the typed value
// stays). On a fault the recovery runs; the c member then goes on with the
// step after the one that failed, using the recovered value. A new value
// starts the error history afresh; leaving the box unchanged (as a click on a
// step button does) keeps it.
void Form1::confirmarCaja(double &parametro, HScrollBar *barra, TextBox *caja,
                          const BarMapping &mapa, const QString &nombre, bool reanudarTrasFallo)
{
    if (ocupado)
        return;
    ocupado = true;
    const Accion accion(*this, QStringLiteral("valor de ") + nombre);
    const std::function<void()> pasos[] = {
            [&] {
                const double antes = parametro;
                parametro = textToNumber(caja->text());
                if (parametro != antes)
                    reiniciarHistorial();
            },
            [&] { caja->setText(numberToText(parametro)); },
            [&] { barra->writeValue(mapa.position(parametro)); },
            [&] { pintar(); },
    };
    for (const auto &pasoCommit : pasos) {
        try {
            pasoCommit();
        } catch (const Fault &) {
            desbord();
            if (!reanudarTrasFallo)
                return;
        }
    }
}

void Form1::LSCR_Change()
{
    cambioBarra(a, LSCR, Lval, kBarA, QStringLiteral("a"));
}

void Form1::CSCR_Change()
{
    cambioBarra(c, CSCR, Cval, kBarC, QStringLiteral("c"));
}

void Form1::TSCR_Change()
{
    cambioBarra(t0, TSCR, Tval, kBarT0, QStringLiteral("t0"));
}

void Form1::Lval_KeyPress(int16_t &KeyAscii)
{
    if (KeyAscii == 13)
        Lval_LostFocus();
}

void Form1::Cval_KeyPress(int16_t &KeyAscii)
{
    if (KeyAscii == 13)
        Cval_LostFocus();
}

void Form1::Tval_KeyPress(int16_t &KeyAscii)
{
    if (KeyAscii == 13)
        Tval_LostFocus();
}

void Form1::Lval_LostFocus()
{
    confirmarCaja(a, LSCR, Lval, kBarA, QStringLiteral("a"), false);
}

void Form1::Cval_LostFocus()
{
    confirmarCaja(c, CSCR, Cval, kBarC, QStringLiteral("c"), true);
}

void Form1::Tval_LostFocus()
{
    confirmarCaja(t0, TSCR, Tval, kBarT0, QStringLiteral("t0"), false);
}

// A click on the error map: the start it chooses, committed as if its values
// had been typed into the boxes. A held parameter keeps its value; a free a
// takes the a that makes E least at the chosen c and t0, so the figures then
// show the E the map showed there (where there is none, a keeps its value and
// the evaluation faults). The boxes and bars take the values, a position
// beyond a bar's range being a fault; a new start restarts the error history.
// In the data view, where the boxes cannot be typed into, a click does nothing.
void Form1::mapa_Click(double cMapa, double t0Mapa)
{
    if (ocupado || modoDatos)
        return;
    ocupado = true;
    const Accion accion(*this, QStringLiteral("inicio en el mapa"));
    enRecuperacion([&] {
        const Held held = fijados();
        Parameters p = parametros();
        if (!held.c)
            p.c = cMapa;
        if (!held.t0)
            p.t0 = t0Mapa;
        if (!held.a) {
            if (const std::optional<double> best = optimalA(p.c, p.t0, puntos()))
                p.a = roundToDigits(*best, kMapDigits);
        }
        if (p.a != a || p.c != c || p.t0 != t0)
            reiniciarHistorial();
        guardarParametros(p);
        publicarParametros();
        pintar();
    });
}
