#include "window/form1.h"

#include "platform/palette.h"

#include <QLabel>
#include <QPainter>

#include <cmath>

// Curve and points in graf's twips: X = 240 t + 1200 puts t = -5..15 across
// the box, Y = (escala - v) * 4000 / escala puts v = escala..0 from top to bottom.
void Form1::dibujar(bool saltarFueraDeEscala)
{
    auto alturaY = [this](double v) { return chk(chk(chk(escala - v) * 4000) / escala); };
    graf->Cls();
    graf->setDrawWidth(1);
    const QColor rojo = qbColor(Rojo);
    const Parameters p = parametros();
    for (i = -40; i <= 120; ++i) {
        const double t = i / 8.0;
        const double v = f(p, t);
        if (saltarFueraDeEscala && !(std::fabs(v) < 10))
            continue;
        graf->PSet(30 * i + 1200, alturaY(v), rojo);
    }
    graf->setDrawWidth(4);
    const QColor azul = qbColor(Azul);
    const int last = n - 1;
    for (i = 0; i <= last; ++i)
        graf->PSet(chk(chk(x(i) * 240) + 1200), alturaY(y(i)), azul);
}

void Form1::pintar()
{
    dibujar(true);
    errorAnt = errorCuad;
    evaluar();
    mostrar();
    colorAviso();
    ocupado = false;
    emit estadoCambiado();
}

void Form1::pinter()
{
    dibujar(false);
    ocupado = false;
    emit estadoCambiado();
}

void Form1::graf_Click()
{
    ocupado = true;
    enRecuperacion([this] { pintar(); });
}

Picture Form1::imagenGrafica() const
{
    constexpr int kMargen = 4; // pixels of ground around the labels
    const std::array<const QLabel *, 5> rotulos{Final, inicio, Minimo, maximo, Label14};
    QRect area = graf->geometry();
    for (const QLabel *rotulo : rotulos)
        area |= rotulo->geometry();
    area.adjust(-kMargen, -kMargen, kMargen, kMargen);
    return {area.size(), [this, area, rotulos](QPainter &painter) {
                painter.save();
                painter.fillRect(QRect(QPoint(), area.size()), palette().color(QPalette::Window));
                painter.translate(-area.topLeft());
                for (const QLabel *rotulo : rotulos) {
                    painter.setFont(pictureFont(rotulo->font()));
                    painter.setPen(rotulo->palette().color(QPalette::WindowText));
                    painter.drawText(rotulo->geometry(), int(rotulo->alignment()), rotulo->text());
                }
                painter.translate(graf->pos());
                graf->drawInto(painter);
                painter.restore();
            }};
}
