#include "window/form1.h"

#include "platform/message_box.h"

#include <QLabel>
#include <QPushButton>

void Form1::Command5_Click()
{
    if (!modoDatos) {
        modoDatos = true;
        Command5->setText(QStringLiteral("Gráfica"));
        showChartBlock1(false);
        showGrid(true);
        Label11->setVisible(true);
        Label12->setVisible(true);
        showChartBlock2(false);
        return;
    }

    capturar();
    if (n == 0) {
        msgBox(this, QStringLiteral("no hay datos introducidos"));
        return;
    }
    modoDatos = false;
    Command5->setText(QStringLiteral("Tabla"));
    showChartBlock1(true);
    showGrid(false);
    Label11->setVisible(false);
    Label12->setVisible(false);
    showChartBlock2(true);
    capturar();
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
