#include "test_support.h"

#include <QLabel>

namespace {

int countPixels(const QImage &image, const QColor &colour)
{
    int count = 0;
    for (int py = 0; py < image.height(); ++py)
        for (int px = 0; px < image.width(); ++px)
            count += image.pixelColor(px, py) == colour;
    return count;
}

} // namespace

class tst_Chart : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void pixelsWhereTheMappingPutsThem_data()
    {
        QTest::addColumn<QPointF>("point");
        QTest::addColumn<QPoint>("pixel"); // twips / 15, rounded
        QTest::addColumn<QColor>("expected");
        QTest::newRow("the curve at t = 0 is at 1200, 3000 twips")
                << QPointF(0, 5) << QPoint(80, 200) << kRed;
        QTest::newRow("the point (0, 5) is at 1200, 2000 twips")
                << QPointF(0, 5) << QPoint(80, 133) << kBlue;
        QTest::newRow("the point (-5, 10) is in the top-left corner")
                << QPointF(-5, 10) << QPoint(0, 0) << kBlue;
        QTest::newRow("the point (15, 0) reaches into the bottom-right corner")
                << QPointF(15, 0) << QPoint(319, 266) << kBlue;
        QTest::newRow("above the curve the background is light green")
                << QPointF(0, 5) << QPoint(80, 20) << kLightGreen;
    }

    void pixelsWhereTheMappingPutsThem()
    {
        QFETCH(QPointF, point);
        QFETCH(QPoint, pixel);
        QFETCH(QColor, expected);
        const auto form = chartForm({point});
        form->pintar();
        QCOMPARE(form->graf->image().pixelColor(pixel), expected);
    }

    void curveSamplesDrawn_data()
    {
        QTest::addColumn<double>("a");
        QTest::addColumn<double>("escala");
        QTest::addColumn<bool>("withFigures"); // pintar, else pinter
        QTest::addColumn<int>("redPixels");
        QTest::addColumn<QColor>("topAtMidpoint"); // pixel (80, 0), where v = 10 lands

        // One pixel per sample, two pixels apart; the sample at t = 15 falls just
        // right of the box, so a full curve shows 160 of its 161 samples.
        QTest::newRow("the start-up curve is drawn in full")
                << 5.0 << 10.0 << true << 160 << kLightGreen;
        QTest::newRow("with a = 20 pintar keeps only the 40 samples left of t = 0")
                << 20.0 << 10.0 << true << 40 << kLightGreen;
        QTest::newRow("with a = 20 pinter also draws v = 10 on the top edge, the rest above it")
                << 20.0 << 10.0 << false << 41 << kRed;
        QTest::newRow("pintar cuts at 10 even when the scale is taller")
                << 20.0 << 40.0 << true << 40 << kLightGreen;
        QTest::newRow("pinter on a taller scale shows every sample")
                << 20.0 << 40.0 << false << 160 << kLightGreen;
        QTest::newRow("with a = -20 pintar cuts on the magnitude")
                << -20.0 << -40.0 << true << 40 << kLightGreen;
    }

    void curveSamplesDrawn()
    {
        QFETCH(double, a);
        QFETCH(double, escala);
        QFETCH(bool, withFigures);
        QFETCH(int, redPixels);
        QFETCH(QColor, topAtMidpoint);
        const auto form = chartForm({QPointF(100, 100)}); // far outside: only the curve shows
        form->a = a;
        form->escala = escala;
        withFigures ? form->pintar() : form->pinter();
        QCOMPARE(countPixels(form->graf->image(), kRed), redPixels);
        QCOMPARE(form->graf->image().pixelColor(80, 0), topAtMidpoint);
    }

    void stateAfterDrawing_data()
    {
        QTest::addColumn<bool>("withFigures");
        QTest::newRow("after pintar") << true;
        QTest::newRow("after pinter") << false;
    }

    void stateAfterDrawing()
    {
        QFETCH(bool, withFigures);
        const auto form = chartForm({QPointF(0, 3), QPointF(1, 4), QPointF(2, 5)}, 4.0);
        form->errorCuad = 7.5;
        form->label9->setText(QStringLiteral("antes"));
        form->ocupado = true;
        withFigures ? form->pintar() : form->pinter();
        QCOMPARE(form->i, int16_t(3));
        QVERIFY(!form->ocupado);
        QCOMPARE(form->graf->DrawWidth(), 4);
        // pintar keeps the previous error to compare against; pinter leaves the figures.
        QCOMPARE(form->errorAnt, withFigures ? 7.5 : 0.0);
        QCOMPARE(form->errorCuad != 7.5, withFigures);
        QCOMPARE(form->label9->text() != QStringLiteral("antes"), withFigures);
    }

    void clickRecomputesAndColours()
    {
        MessageRecorder messages;
        const auto form = chartForm({QPointF(0, 3)}, 3.0);
        form->graf_Click(); // the error rises from the initial 0
        QCOMPARE_NEAR(form->errorCuad, 0.25);
        QCOMPARE(form->label10->backColor(), QColor(128, 0, 128));
        form->graf_Click(); // the same error again
        QCOMPARE(form->errorAnt, 0.25);
        QCOMPARE(form->label10->backColor(), QColor(255, 255, 255));
        QVERIFY(!form->ocupado);
        QVERIFY(messages.texts.isEmpty());
    }

    void clickFaultRecovers()
    {
        MessageRecorder messages;
        const auto form = chartForm({QPointF(0, 0)}, 0.0);
        fillGrid(*form, {"0"}, {"0"});
        form->a = 7;
        form->c = 2;
        form->t0 = 1;
        form->graf_Click();
        QCOMPARE(messages.texts, QStringList{QStringLiteral("Desbordamiento")});
        QVERIFY(!form->ocupado);
        QCOMPARE(form->a, 5.0);
        QCOMPARE(form->c, 1.0);
        QCOMPARE(form->t0, 0.0);
        QCOMPARE(form->graf->image().pixelColor(80, 200), kRed); // the start-up curve again
    }

    void drawingShowsOnScreen()
    {
        const auto form = chartForm({QPointF(5, 5)});
        form->pinter();
        form->showChartBlock1(true);
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        const QImage shown = form->graf->grab().toImage();
        QCOMPARE(shown.pixelColor(48, 251), kRed); // the curve at t = -2
        QCOMPARE(shown.pixelColor(160, 133), kBlue);
        QCOMPARE(shown.pixelColor(80, 30), QColor(Qt::black)); // the t = 0 line stays on top
    }
};

QTEST_MAIN(tst_Chart)
#include "tst_chart.moc"
