#include "window/form1.h"

#include "platform/message_box.h"
#include "platform/number_text.h"

#include <QLabel>
#include <QPushButton>

void Form1::enRecuperacion(const std::function<void()> &accion)
{
    try {
        accion();
    } catch (const Fault &) {
        desbord();
    }
}

void Form1::desbord()
{
    // Set without looking: the bar writes below must not act on their Change.
    ocupado = true;
    ++desbordamientos;
    msgBox(this, QStringLiteral("Desbordamiento"));
    a = kStart.a;
    c = kStart.c;
    modoDatos = false;
    CSCR->writeValue(kBarC.position(c));
    LSCR->writeValue(kBarA.position(a));
    TSCR->writeValue(kBarT0.position(kStart.t0));
    t0 = kStart.t0;
    Lval->setText(numberToText(a));
    Tval->setText(numberToText(t0));
    Cval->setText(numberToText(c));
    Command5->setText(QStringLiteral("Tabla"));
    showChartBlock1(true);
    showGrid(false);
    Label11->setVisible(false);
    Label12->setVisible(false);
    Label14->setVisible(true);
    reiniciarHistorial();
    capturar();
    try {
        pinter();
    } catch (const Fault &) {
        // Points too large for the chart's arithmetic: keep what was drawn and
        // leave the window usable rather than busy for good.
        ocupado = false;
        emit estadoCambiado();
    }
    Label6->setText(QString());
    Label7->setText(QString());
    Label8->setText(QString());
    label9->setText(QString());
    label10->setText(QString());
}
