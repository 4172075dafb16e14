#include "test_support.h"

#include "platform/number_text.h"

#include <QLabel>

#include <cmath>

class tst_Model : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void errorFigures_data()
    {
        QTest::addColumn<QList<QPointF>>("points");
        QTest::addColumn<double>("mediaY");
        QTest::addColumn<QList<double>>("expected"); // sumL, sumC, sumT, errorCuad, normalized
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("shown"); // how label10 begins

        const QList<QPointF> points{{0, 2.5}, {1, 2}};
        const QList<double> two{2.420232139365211, 3.2545033580311196, -3.2545033580311196,
                                2.739994562112978, 52.02083687094584};
        QTest::newRow("two points, the first on the curve")
                << points << 2.25 << two << kSpanish << "52,0208";
        QTest::newRow("the same under the C locale is written with a point")
                << points << 2.25 << two << QLocale::c() << "52.0208";
        QTest::newRow("one point half a unit above the curve")
                << QList<QPointF>{{0, 3}} << 3.0
                << QList<double>{-0.5, 0, 1.25, 0.25, 100 * 0.5 / 3} << kSpanish << "16,666";
        QTest::newRow("a negative mean gives a negative normalized error")
                << QList<QPointF>{{0, 3}} << -3.0
                << QList<double>{-0.5, 0, 1.25, 0.25, -100 * 0.5 / 3} << kSpanish << "-16,666";
    }

    void errorFigures()
    {
        QFETCH(QList<QPointF>, points);
        QFETCH(double, mediaY);
        QFETCH(QList<double>, expected);
        QFETCH(QLocale, locale);
        QFETCH(QString, shown);
        const auto form = makeForm(locale);
        for (int k = 0; k < points.size(); ++k) {
            form->x(k) = points.at(k).x();
            form->y(k) = points.at(k).y();
        }
        form->n = int16_t(points.size());
        form->mediaY = mediaY;
        form->errorAnt = 123.0;

        form->evaluar();
        const double sums[4] = {form->sumL, form->sumC, form->sumT, form->errorCuad};
        for (int k = 0; k < 4; ++k)
            QCOMPARE_NEAR(sums[k], expected.at(k));
        QCOMPARE(form->errorAnt, 123.0);
        QCOMPARE(form->i, form->n);

        // The texts read back, in the locale's own format, as the figures.
        form->mostrar();
        const QString texts[5] = {form->Label6->text(), form->Label7->text(), form->Label8->text(),
                                  form->label9->text(), form->label10->text()};
        for (int k = 0; k < 5; ++k)
            QCOMPARE_NEAR(textToNumber(texts[k]), expected.at(k));
        QVERIFY2(form->label10->text().startsWith(shown), qPrintable(form->label10->text()));
    }

    void mostrarFaultWritesNoControl_data()
    {
        QTest::addColumn<int>("n");
        QTest::addColumn<double>("mediaY");
        QTest::newRow("no points make 0/0") << 0 << 3.0;
        QTest::newRow("y values summing to zero divide by zero") << 1 << 0.0;
    }

    void mostrarFaultWritesNoControl()
    {
        QFETCH(int, n);
        QFETCH(double, mediaY);
        const auto form = makeForm();
        const auto texts = [&form] {
            return QStringList{form->Label6->text(), form->Label7->text(), form->Label8->text(),
                               form->label9->text(), form->label10->text()};
        };
        form->y(0) = 3;
        form->n = 1;
        form->mediaY = 3;
        form->evaluar();
        form->mostrar();
        const QStringList before = texts();

        form->n = int16_t(n);
        form->mediaY = mediaY;
        form->evaluar();
        QVERIFY_THROWS_EXCEPTION(Fault, form->mostrar());
        QCOMPARE(texts(), before);
    }
};

QTEST_MAIN(tst_Model)
#include "tst_model.moc"
