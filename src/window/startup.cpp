#include "window/form1.h"

#include "platform/palette.h"

void Form1::Form_Load()
{
    ocupado = true;
    modoDatos = true;
    graf->setBackColor(qbColor(VerdeClaro));
    a = kStart.a;
    c = kStart.c;
    // These writes raise the bars' Change, which finds `ocupado` set.
    CSCR->writeValue(kBarC.position(c));
    LSCR->writeValue(kBarA.position(a));
    t0 = kStart.t0;
    escala = kStartScale;
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
    for (i = 0; i <= kLastRow; ++i) {
        xv(i)->setVisible(visible);
        yv(i)->setVisible(visible);
    }
}

void Form1::showChartBlock2(bool visible)
{
    for (QWidget *control : chartBlock2)
        control->setVisible(visible);
}
