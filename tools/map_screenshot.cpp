// Draws the error map as a user sees it after typing points, opening the chart,
// fitting with "10000 pasos" and opening "Mapa del error…", and saves the map's
// window as a PNG.
// Usage: ajuste_map_screenshot OUTPUT.png   (run with QT_QPA_PLATFORM=offscreen or under X)

#include "map/error_map.h"
#include "map/map_plot.h"
#include "platform/message_box.h"
#include "window/form1.h"

#include <QApplication>
#include <QLocale>
#include <QMouseEvent>
#include <QPushButton>

#include <cmath>
#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.png\n", argv[0]);
        return 2;
    }
    QLocale::setDefault(QLocale(QLocale::Spanish, QLocale::Spain));
    messageBoxHook = [](const QString &text) {
        std::fprintf(stderr, "message: %s\n", qUtf8Printable(text));
    };

    Form1 form;
    // The same twelve measurements as the window's picture.
    for (int k = 0; k < 12; ++k) {
        const double t = k * 1.2 - 2;
        const double y = 8 / (1 + std::exp(-0.8 * (t - 4))) + 0.3 * std::sin(3.0 * k);
        form.xv(k)->setText(QLocale().toString(t));
        form.yv(k)->setText(QLocale().toString(y, 'f', 2));
    }
    form.show();
    form.Command5_Click();
    form.paso4_Click();
    form.verMapa->click();
    QApplication::processEvents();

    // The pointer resting on the map, so the line under it gives a point and its E.
    MapPlot *plano = form.mapa->plano;
    const QPointF over = plano->position(1.2, 3.0);
    QMouseEvent move(QEvent::MouseMove, over, plano->mapToGlobal(over), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(plano, &move);
    QApplication::processEvents();

    if (!form.mapa->grab().save(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "could not write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
