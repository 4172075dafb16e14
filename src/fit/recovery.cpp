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
    msgBox(this, QStringLiteral("Desbordamiento"));
    a = 5.0;
    c = 1.0;
    modoDatos = false;
    CSCR->writeValue(10);
    LSCR->writeValue(-50);
    TSCR->writeValue(0);
    t0 = 0.0;
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
        actualizarPanel();
        ocupado = false;
    }
    Label6->setText(QString());
    Label7->setText(QString());
    Label8->setText(QString());
    label9->setText(QString());
    label10->setText(QString());
}
