// Draws the window as a user sees it after typing points, opening the chart
// and fitting with "10000 pasos", and saves it as a PNG; given more names,
// opens "Informe del ajuste…" and "Mapa del error…" there and saves those
// windows too, the map with the pointer resting on it, then the map with
// "Comparar métodos" ticked and its race run, and the report's PDF as
// "Guardar PDF…" writes it.
// Usage: ajuste_screenshot WINDOW.png [REPORT.png [MAP.png [MAP-RACE.png [REPORT.pdf]]]]
// (run with QT_QPA_PLATFORM=offscreen or under X)

#include "map/error_map.h"
#include "map/map_plot.h"
#include "platform/message_box.h"
#include "race/race_panel.h"
#include "report/informe_ajuste.h"
#include "window/form1.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLocale>
#include <QMouseEvent>
#include <QPushButton>

#include <cmath>
#include <cstdio>

namespace {

bool save(QWidget *window, const char *name)
{
    QApplication::processEvents();
    if (window && window->grab().save(QString::fromLocal8Bit(name)))
        return true;
    std::fprintf(stderr, "could not write %s\n", name);
    return false;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc < 2 || argc > 6) {
        std::fprintf(stderr,
                     "usage: %s WINDOW.png [REPORT.png [MAP.png [MAP-RACE.png [REPORT.pdf]]]]\n",
                     argv[0]);
        return 2;
    }
    QLocale::setDefault(QLocale(QLocale::Spanish, QLocale::Spain));
    messageBoxHook = [](const QString &text) {
        std::fprintf(stderr, "message: %s\n", qUtf8Printable(text));
    };

    Form1 form;
    // Twelve measurements of a growth that levels off near 8.
    for (int k = 0; k < 12; ++k) {
        const double t = k * 1.2 - 2;
        const double y = 8 / (1 + std::exp(-0.8 * (t - 4))) + 0.3 * std::sin(3.0 * k);
        form.xv(k)->setText(QLocale().toString(t));
        form.yv(k)->setText(QLocale().toString(y, 'f', 2));
    }
    form.show();
    form.Command5_Click();
    form.paso4_Click();
    form.verMejor->setValue(1); // the best fit beside the history
    if (!save(&form, argv[1]))
        return 1;

    if (argc >= 3) {
        form.verInforme->click();
        if (!save(form.informe, argv[2]))
            return 1;
    }
    if (argc >= 4) {
        form.verMapa->click();
        QApplication::processEvents();
        // The pointer resting on the map, so the line under it gives a point and its E.
        MapPlot *plano = form.mapa->plano;
        const QPointF over = plano->position(1.2, 3.0);
        QMouseEvent move(QEvent::MouseMove, over, plano->mapToGlobal(over), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(plano, &move);
        if (!save(form.mapa, argv[3]))
            return 1;
    }
    if (argc >= 5) {
        form.mapa->comparar->setChecked(true);
        form.mapa->carrera->esperar();
        // At the size it takes on a screen that has room for it.
        form.mapa->resize(form.mapa->sizeHint());
        if (!save(form.mapa, argv[4]))
            return 1;
    }
    if (argc >= 6) {
        QFile pdf(QString::fromLocal8Bit(argv[5]));
        const QByteArray bytes = form.informe->documentoPdf();
        if (bytes.isEmpty() || !pdf.open(QIODevice::WriteOnly)
            || pdf.write(bytes) != bytes.size()) {
            std::fprintf(stderr, "could not write %s\n", argv[5]);
            return 1;
        }
    }
    return 0;
}
