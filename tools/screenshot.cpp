// Draws the window as a user sees it after typing points, opening the chart
// and fitting with "10000 pasos", and saves it as a PNG; given a second name,
// opens "Informe del ajuste…" there and saves the report window too.
// Usage: ajuste_screenshot OUTPUT.png [REPORT.png]
// (run with QT_QPA_PLATFORM=offscreen or under X)

#include "platform/message_box.h"
#include "report/informe_ajuste.h"
#include "window/form1.h"

#include <QApplication>
#include <QLocale>
#include <QPushButton>

#include <cmath>
#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: %s OUTPUT.png [REPORT.png]\n", argv[0]);
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
    QApplication::processEvents();

    if (!form.grab().save(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "could not write %s\n", argv[1]);
        return 1;
    }
    if (argc == 3) {
        form.verInforme->click();
        QApplication::processEvents();
        if (!form.informe || !form.informe->grab().save(QString::fromLocal8Bit(argv[2]))) {
            std::fprintf(stderr, "could not write %s\n", argv[2]);
            return 1;
        }
    }
    return 0;
}
