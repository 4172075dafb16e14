#include "window/form1.h"

#include "platform/palette.h"

void Form1::Form_Load()
{
    ocupado = true;
    modoDatos = true;
    graf->setBackColor(qbColor(VerdeClaro));
    a = 5.0;
    c = 1.0;
    // These writes raise the bars' Change, which finds `ocupado` set.
    CSCR->writeValue(10);
    LSCR->writeValue(-50);
    t0 = 0.0;
    escala = 10.0;
    showChartBlock1(false);
    showChartBlock2(false);
    ocupado = false;
}

// The view groups, each walked in its fixed order by start-up, the view switch
// and the recovery.
void Form1::showChartBlock1(bool visible)
{
    for (QWidget *control : chartBlock1)
        control->setVisible(visible);
}

void Form1::showGrid(bool visible)
{
    for (i = 0; i <= 19; ++i) {
        xv(i)->setVisible(visible);
        yv(i)->setVisible(visible);
    }
}

void Form1::showChartBlock2(bool visible)
{
    for (QWidget *control : chartBlock2)
        control->setVisible(visible);
}
