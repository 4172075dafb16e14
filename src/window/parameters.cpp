#include "window/form1.h"

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
