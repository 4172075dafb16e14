#include "window/form1.h"

#include "platform/message_box.h"

#include <QLabel>
#include <QPushButton>

// One view or the other: the flag, the caption naming the way back, and the
// groups in their fixed order.
void Form1::showView(bool grafica)
{
    modoDatos = !grafica;
    Command5->setText(grafica ? QStringLiteral("Tabla") : QStringLiteral("Gráfica"));
    showChartBlock1(grafica);
    showGrid(!grafica);
    for (QWidget *heading : gridHeadings)
        heading->setVisible(!grafica);
    showChartBlock2(grafica);
}

void Form1::Command5_Click()
{
    if (!modoDatos) {
        showView(false);
        return;
    }
    entrarEnGrafica();
}

// Capture the grid and show the chart of what it holds: from the data view on
// "Gráfica", and again in the chart view when the grid's texts are replaced.
// With no point the message is shown over the data view, and the views that
// show the fit follow the points, which are now none.
void Form1::entrarEnGrafica()
{
    capturar();
    if (n == 0) {
        if (!modoDatos)
            showView(false);
        emit estadoCambiado();
        msgBox(this, QStringLiteral("no hay datos introducidos"));
        return;
    }
    showView(true);
    reiniciarHistorial();
    capturar();
    vaciarDeshacerSiCambianPuntos();
    // The chart view is complete from here on: a fault in the mean or in the
    // drawing goes to the recovery, which keeps that view.
    try {
        mediaY = 0;
        const int last = n - 1;
        for (i = 0; i <= last; ++i)
            mediaY = chk(mediaY + y(i));
        mediaY = chk(mediaY / n);
        pintar();
    } catch (const Fault &) {
        desbord();
    }
}
