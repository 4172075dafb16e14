#include "test_support.h"

#include "platform/accessibility.h"
#include "report/informe_ajuste.h"
#include "report/residual_plot.h"

#include <QAccessible>
#include <QClipboard>
#include <QMimeData>
#include <QPainter>

#include <cmath>

namespace {

// The report of the window, opened with its button.
InformeAjuste *openReport(Form1 &form)
{
    QTest::mouseClick(form.verInforme, Qt::LeftButton);
    return form.informe;
}

// A figure of the report by its accessible name, as a screen reader finds it.
Readout *figure(InformeAjuste *report, const QString &name)
{
    for (Readout *readout : report->findChildren<Readout *>())
        if (readout->accessibleName() == name)
            return readout;
    return nullptr;
}

void typeAndEnter(TextBox *box, const QString &text)
{
    box->clear();
    QTest::keyClicks(box, text);
    QTest::keyClick(box, Qt::Key_Return);
}

} // namespace

class tst_Report : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void opensOnceRaisesAndCloses()
    {
        auto form = chartView();
        form->show();
        InformeAjuste *report = openReport(*form);
        QVERIFY(report && report->isVisible());
        QVERIFY(report->isWindow() && !report->isModal());
        QCOMPARE(report->windowTitle(), QStringLiteral("Informe del ajuste"));
        QCOMPARE(openReport(*form), report);
        QCOMPARE(form->findChildren<InformeAjuste *>().size(), 1);

        QTest::keyClick(report, Qt::Key_Escape);
        QVERIFY(!report->isVisible());
        QVERIFY(openReport(*form)->isVisible());
        form->close();
        QVERIFY(!report->isVisible());
    }

    // Hidden, the report reads nothing; shown again, it catches up.
    void computesOnlyWhileShown()
    {
        auto form = chartView(logisticSample(8, 0.9, 6, 12, 0.1));
        InformeAjuste *report = openReport(*form);
        Readout *a = figure(report, QStringLiteral("a, ajuste actual"));
        QVERIFY(a);
        QCOMPARE(a->text(), numberToText(form->a));
        report->close();
        QTest::mouseClick(form->paso3, Qt::LeftButton);
        QVERIFY(a->text() != numberToText(form->a));
        QCOMPARE(report->ajusteActual().p.a, 5.0);
        openReport(*form);
        QCOMPARE(a->text(), numberToText(form->a));
    }

    // Two points for three free parameters: "—" in the cells, no message,
    // and the figures reach a screen reader by name and through their text.
    void noAnswerShowsDashes()
    {
        MessageRecorder messages;
        auto form = chartView();
        InformeAjuste *report = openReport(*form);
        for (const QString &name :
             {QStringLiteral("a, error típico, ajuste actual"),
              QStringLiteral("t0, superior 95 %, ajuste actual"),
              QStringLiteral("s, error residual, ajuste actual"), QStringLiteral("a, mejor ajuste"),
              QStringLiteral("correlación de a y c, mejor ajuste")}) {
            Readout *cell = figure(report, name);
            QVERIFY2(cell, qPrintable(name));
            QCOMPARE(cell->text(), QStringLiteral("—"));
        }
        Readout *E = figure(report, QStringLiteral("E, error cuadrático, ajuste actual"));
        QCOMPARE(E->text(), form->label9->text());
        QAccessibleInterface *heard = QAccessible::queryAccessibleInterface(E);
        QCOMPARE(heard->text(QAccessible::Name),
                 QStringLiteral("E, error cuadrático, ajuste actual"));
        QCOMPARE(heard->textInterface()->text(0, 100), form->label9->text());
        QVERIFY(heard->state().readOnly);
        QVERIFY(messages.texts.isEmpty());
    }

    // f = a / 2 with c held at 0 and t0 held, over y = 1, 2, 3: the best a is
    // 2ȳ = 4 with E = 2, s = 1 and a standard error of 2 / √3; the current
    // a = 5 leaves residuals −1,5, −0,5, 0,5. Two degrees of freedom give
    // t = 0,95 / √(2 · 0,975 · 0,025).
    void copiedTextLineByLine()
    {
        auto form = chartView({"0", "1", "2"}, {"1", "2", "3"});
        form->Check2->setValue(1);
        form->Check3->setValue(1);
        typeAndEnter(form->Cval, QStringLiteral("0"));
        InformeAjuste *report = openReport(*form);
        QTest::keyClick(report, Qt::Key_C, Qt::ControlModifier);
        const QMimeData *copied = QApplication::clipboard()->mimeData();
        QVERIFY(copied);

        const double t = 0.95 / std::sqrt(2 * 0.975 * 0.025);
        const double errorBest = 2 / std::sqrt(3.0);
        const double s = std::sqrt(2.75 / 2), errorNow = 2 * s / std::sqrt(3.0);
        const QString fijo = QStringLiteral("fijo");
        const QList<QVariantList> expected{
                {"parámetro", "valor", "error típico", "inferior 95 %", "superior 95 %"},
                {"Mejor ajuste"},
                {"a", 4.0, errorBest, 4 - t * errorBest, 4 + t * errorBest},
                {"c", 0.0, fijo},
                {"t0", 0.0, fijo},
                {"Ajuste actual"},
                {"a", 5.0, errorNow, 5 - t * errorNow, 5 + t * errorNow},
                {"c", 0.0, fijo},
                {"t0", 0.0, fijo},
                {"el ajuste actual no es un mínimo: las incertidumbres son orientativas"},
                {"", "Mejor ajuste", "Ajuste actual"},
                {"E", 2.0, 2.75},
                {"s", 1.0, s},
                {"R²", 0.0, -0.375},
                {"n", 3.0, 3.0},
                {"p", 1.0, 1.0},
                {"t", "y", "f(t)", "y − f(t)"},
                {0.0, 1.0, 2.5, -1.5},
                {1.0, 2.0, 2.5, -0.5},
                {2.0, 3.0, 2.5, 0.5}};

        const QStringList lines = copied->text().split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), expected.size() + 1);
        QCOMPARE(lines.last(), QString());
        for (qsizetype k = 0; k < expected.size(); ++k) {
            const QStringList cells = lines.at(k).split(QLatin1Char('\t'));
            QCOMPARE(cells.size(), expected.at(k).size());
            for (qsizetype j = 0; j < cells.size(); ++j) {
                const QVariant &want = expected.at(k).at(j);
                if (want.typeId() != QMetaType::Double) {
                    QCOMPARE(cells.at(j), want.toString());
                    continue;
                }
                // Read under es_ES, which refuses a full stop as the separator.
                const std::optional<double> number = readNumber(cells.at(j));
                QVERIFY2(number, qPrintable(lines.at(k)));
                QVERIFY2(near(*number, want.toDouble(), 1e-9, 1e-12), qPrintable(lines.at(k)));
            }
        }
        QCOMPARE(copied->html().count(QStringLiteral("<tr>")), expected.size());
        QVERIFY(copied->html().contains(QStringLiteral("<td>fijo</td>")));
    }

    // A report cell whose text fits its width: every figure of the report is
    // shown whole however long, its column as wide as the longest, and a
    // figure beyond the double range is "—" while the rest of its row shows.
    void reportCellsFitTheirText_data()
    {
        QTest::addColumn<QStringList>("t");
        QTest::addColumn<QStringList>("y");
        QTest::addColumn<int>("batches"); // clicks of "10000 pasos"
        QStringList t, y;
        for (int k = 0; k < 15; ++k) { // to four decimals: residuals like -1,7214707048740507E-05
            t << QString::number(k);
            y << QLocale(kSpanish).toString(8 / (1 + std::exp(-0.9 * (k - 6))), 'f', 4);
        }
        QTest::newRow("fifteen points to four decimals after three batches") << t << y << 3;
        // At t = -40 the curve is near 2E-17: the residual is as long as the y.
        QTest::newRow("t, y and y − f(t) of twenty-three characters")
                << QStringList{"-0,00012345678901234567", "-40", "2"}
                << QStringList{"1", "-0,00012345678901234567", "-3,0000000000000004E-05"} << 0;
        QTest::newRow("y near 1E299 leaves only E without a figure")
                << QStringList{"0", "1", "2"} << QStringList{"1E+299", "-2,5E+299", "3E+299"} << 0;
    }

    void reportCellsFitTheirText()
    {
        QFETCH(QStringList, t);
        QFETCH(QStringList, y);
        QFETCH(int, batches);
        MessageRecorder messages;
        auto form = chartView(t, y);
        for (int k = 0; k < batches; ++k)
            form->paso4->click();
        InformeAjuste *report = openReport(*form);
        report->resize(300, 300); // every column at its least width, the window scrolling
        QTest::qWait(20);         // the layouts take the new widths
        for (QLabel *label : report->findChildren<QLabel *>()) {
            auto *cell = dynamic_cast<Readout *>(label); // Readout has no meta-object of its own
            if (!cell || !cell->isVisibleTo(report))
                continue;
            // Where QLabel puts a framed text: inside the frame, half an "x" from its side.
            const int room = cell->contentsRect().width()
                    - cell->fontMetrics().horizontalAdvance(QLatin1Char('x')) / 2;
            QVERIFY2(cell->fontMetrics().horizontalAdvance(cell->text()) <= room,
                     qPrintable(cell->accessibleName() + ": " + cell->text()));
        }
        for (int k = 0; k < t.size(); ++k) {
            const QString row = QStringLiteral(", fila %1").arg(k + 1);
            QCOMPARE(figure(report, "y" + row)->text(), form->yv(k)->text());
            QVERIFY(readNumber(figure(report, "y − f(t)" + row)->text()));
        }
        const QString E
                = figure(report, QStringLiteral("E, error cuadrático, ajuste actual"))->text();
        QCOMPARE(E == QStringLiteral("—"), !messages.texts.isEmpty()); // "Desbordamiento"
    }

    // Long labels of t near both ends of the plot stand whole inside its
    // border: under the plot there are as many dark pixels as the two labels
    // have when drawn on their own.
    void residualPlotLabelsAreWhole()
    {
        ResidualPlot plot(nullptr);
        plot.resize(400, 150);
        const double first = -0.00012345678901234567, last = 12345.678901234567;
        plot.setResiduals({{first, 1, 1.5, -0.5}, {last, 2, 1.5, 0.5}});
        const auto dark = [](const QImage &image, QRect where) {
            int count = 0;
            for (int y = where.top(); y <= where.bottom(); ++y)
                for (int x = where.left(); x <= where.right(); ++x)
                    count += qGray(image.pixel(x, y)) < 128;
            return count;
        };
        const int under = dark(plot.grab().toImage(),
                               QRect(QPoint(1, plot.plotArea().bottom() + 2),
                                     QPoint(plot.width() - 2, plot.height() - 2)));
        QImage alone(800, 60, QImage::Format_RGB32);
        alone.fill(Qt::white);
        QPainter painter(&alone);
        painter.setFont(plot.font());
        painter.drawText(QPoint(10, 40), numberToText(first));
        painter.drawText(QPoint(400, 40), numberToText(last));
        painter.end();
        const int whole = dark(alone, alone.rect());
        QVERIFY2(whole > 100 && std::abs(under - whole) <= whole / 20,
                 qPrintable(QStringLiteral("%1 dark pixels of %2").arg(under).arg(whole)));
    }

    // The zero line is whole device pixels at every ratio: in a column away
    // from the points, every pixel is black or white, and the black ones are
    // one run as thick as the ratio's whole part.
    void residualPlotIsCrisp_data()
    {
        QTest::addColumn<double>("ratio");
        QTest::newRow("scale 1") << 1.0;
        QTest::newRow("scale 1,5") << 1.5;
        QTest::newRow("scale 2") << 2.0;
    }

    void residualPlotIsCrisp()
    {
        QFETCH(double, ratio);
        ResidualPlot plot(nullptr);
        plot.resize(300, 150);
        plot.setResiduals({{0, 1, 1.5, -0.5}, {10, 2, 1.5, 0.5}});
        QImage image(QSize(300, 150) * ratio, QImage::Format_RGB32);
        image.setDevicePixelRatio(ratio);
        plot.render(&image);
        const int x = int(plot.position(5, 0).x() * ratio);
        int black = 0, first = -1, last = -1;
        for (int y = int(plot.plotArea().top() * ratio); y < int(plot.plotArea().bottom() * ratio);
             ++y) {
            const QColor colour = image.pixelColor(x, y);
            QVERIFY2(colour == Qt::black || colour == Qt::white, qPrintable(colour.name()));
            if (colour == Qt::black) {
                ++black;
                first = first < 0 ? y : first;
                last = y;
            }
        }
        QCOMPARE(black, int(ratio));
        QCOMPARE(last - first + 1, black);
        QVERIFY(std::abs(first - plot.position(5, 0).y() * ratio) <= 1);
    }
};

QTEST_MAIN(tst_Report)
#include "tst_report.moc"
