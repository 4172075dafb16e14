#include "test_support.h"

#include "platform/number_text.h"

#include <QLabel>

#include <cmath>

namespace {

using Model = double (Form1::*)(const double &) const;
const Model kModels[4] = {&Form1::f, &Form1::parL, &Form1::parC, &Form1::parT};
const char *const kNames[4] = {"f", "parL", "parC", "parT"};

// An expected value that says "this call faults".
const double kFaults = qQNaN();

bool behaves(const Form1 &form, Model model, double t, double expected)
{
    try {
        return near((form.*model)(t), expected);
    } catch (const Fault &) {
        return std::isnan(expected);
    }
}

} // namespace

class tst_Model : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void valuesAndFaults_data()
    {
        QTest::addColumn<double>("a");
        QTest::addColumn<double>("c");
        QTest::addColumn<double>("t0");
        QTest::addColumn<double>("t");
        QTest::addColumn<QList<double>>("expected"); // f, parL, parC, parT
        QTest::newRow("start values at the midpoint")
                << 5.0 << 1.0 << 0.0 << 0.0 << QList<double>{2.5, 0.5, 0, -1.25};
        QTest::newRow("one unit right of the midpoint")
                << 5.0 << 1.0 << 0.0 << 1.0
                << QList<double>{3.6552928931500244, 0.7310585786300049, 0.9830592537549365,
                                 -0.9830592537549365};
        QTest::newRow("far right f reaches a while the slopes' exponentials overflow")
                << 5.0 << 1.0 << 0.0 << 710.0 << QList<double>{5, 1, kFaults, kFaults};
        QTest::newRow("far left every function overflows")
                << 5.0 << 1.0 << 0.0 << -710.0 << QList<double>{kFaults, kFaults, kFaults, kFaults};
        QTest::newRow("just inside the exponential's limit nothing faults")
                << 5.0 << 1.0 << 0.0 << -709.78
                << QList<double>{2.7888980526313727e-308, 0, -1.9795040597966953e-305, 0};
        QTest::newRow("c = 0 flattens the curve to a/2 with a slope in c of a(t - t0)/4")
                << 5.0 << 0.0 << 2.0 << 6.0 << QList<double>{2.5, 0.5, 5, 0};
        QTest::newRow("a shifted midpoint halves a")
                << 4.0 << 2.0 << 1.0 << 1.0 << QList<double>{2, 0.5, 0, -2};
    }

    void valuesAndFaults()
    {
        QFETCH(double, a);
        QFETCH(double, c);
        QFETCH(double, t0);
        QFETCH(double, t);
        QFETCH(QList<double>, expected);
        const auto form = makeForm();
        form->a = a;
        form->c = c;
        form->t0 = t0;
        for (int k = 0; k < 4; ++k)
            QVERIFY2(behaves(*form, kModels[k], t, expected.at(k)), kNames[k]);
    }

    void fixedParameterGivesExactZero_data()
    {
        QTest::addColumn<int>("box"); // 1 a (parL), 2 c (parC), 3 t0 (parT)
        QTest::addColumn<int>("value");
        QTest::addColumn<double>("t");
        QTest::newRow("a ticked box for a gives 0 where e^710 overflows") << 1 << 1 << -710.0;
        QTest::newRow("a greyed box for a gives 0 at the midpoint") << 1 << 2 << 0.0;
        QTest::newRow("a ticked box for c gives 0 far right") << 2 << 1 << 710.0;
        QTest::newRow("a greyed box for c gives 0 far left") << 2 << 2 << -710.0;
        QTest::newRow("a ticked box for t0 gives 0 far left") << 3 << 1 << -710.0;
        QTest::newRow("a greyed box for t0 gives 0 at the midpoint") << 3 << 2 << 0.0;
    }

    void fixedParameterGivesExactZero()
    {
        QFETCH(int, box);
        QFETCH(int, value);
        QFETCH(double, t);
        const auto form = makeForm();
        CheckBox *const boxes[3] = {form->Check1, form->Check2, form->Check3};
        boxes[box - 1]->setValue(value);
        QVERIFY(behaves(*form, kModels[box], t, 0.0)); // no fault
        QCOMPARE((form.get()->*kModels[box])(t), 0.0);

        // The box is read on every call: cleared, the formula is back.
        boxes[box - 1]->setValue(0);
        const double free[4] = {0, 0.7310585786300049, 0.9830592537549365, -0.9830592537549365};
        QCOMPARE_NEAR((form.get()->*kModels[box])(1.0), free[box]);
    }

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
