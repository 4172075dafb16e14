#include "test_support.h"

#include "platform/number_text.h"
#include "platform/palette.h"

#include <QLabel>
#include <QPushButton>

#include <cmath>

namespace {

// A display read back as a number; NaN, which fails every comparison, when it
// is blank or unreadable.
double shown(const QString &text)
{
    try {
        return textToNumber(text);
    } catch (const Fault &) {
        return std::nan("");
    }
}

QStringList figures(const Form1 &form)
{
    return {form.Label6->text(), form.Label7->text(), form.Label8->text(), form.label9->text(),
            form.label10->text()};
}

QList<int> bars(const Form1 &form)
{
    return {form.LSCR->value(), form.CSCR->value(), form.TSCR->value()};
}

// Figures of a = 5, c = 1, t0 = 0 over the two points: sumL, sumC, sumT,
// errorCuad and the normalized error.
const double kStartFigures[] = {2.42023, 3.25450, -3.25450, 2.73999, 52.0208};

} // namespace

class tst_Stepping : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void singleStepShowsTheFiguresBeforeTheStep()
    {
        MessageRecorder messages;
        auto form = chartView();
        form->Text1->setText("0,0010");
        form->paso->click();

        QCOMPARE(form->Text1->text(), QStringLiteral("0,001"));
        for (int k = 0; k < 5; ++k)
            QCOMPARE_NEAR(shown(figures(*form).at(k)), kStartFigures[k]);
        // Entering the chart evaluated the same parameters: the error did not grow.
        QCOMPARE(form->label10->backColor(), qbColor(Blanco));
        QCOMPARE_NEAR(form->a, 4.99758);
        QCOMPARE_NEAR(form->c, 0.996745);
        QCOMPARE_NEAR(form->t0, 0.00325450);
        QCOMPARE(bars(*form), (QList<int>{-50, 10, 0}));
        QCOMPARE(form->Lval->text(), numberToText(form->a));
        QCOMPARE(form->Tval->text(), numberToText(form->t0));
        QVERIFY(messages.texts.isEmpty());
    }

    void parametersStayWhenNothingMoves_data()
    {
        QTest::addColumn<int>("steps");
        QTest::addColumn<QString>("stepSize");
        QTest::addColumn<bool>("allTicked");
        QTest::newRow("a single step of size 0 still shows the figures") << 1 << "0" << false;
        QTest::newRow("a batch of size 0,000 still shows the figures") << 100 << "0,000" << false;
        QTest::newRow("a single step with every box ticked") << 1 << "0,001" << true;
        QTest::newRow("10000 steps with every box ticked") << 10000 << "0,001" << true;
    }
    void parametersStayWhenNothingMoves()
    {
        QFETCH(int, steps);
        QFETCH(QString, stepSize);
        QFETCH(bool, allTicked);
        MessageRecorder messages;
        auto form = chartView();
        for (CheckBox *box : {form->Check1, form->Check2, form->Check3})
            box->setValue(allTicked ? 1 : 0);
        form->Text1->setText(stepSize);
        for (QLabel *figure : {form->Label6, form->Label7, form->Label8})
            figure->clear();
        form->label9->clear();
        stepButton(*form, steps)->click();

        QVERIFY(form->a == 5.0 && form->c == 1.0 && form->t0 == 0.0);
        QCOMPARE(form->Text1->text(), numberToText(textToNumber(stepSize)));
        for (int k = 0; k < 5; ++k) {
            const bool held = allTicked && k < 3;
            QCOMPARE_NEAR(shown(figures(*form).at(k)), held ? 0.0 : kStartFigures[k]);
        }
        QCOMPARE(form->label10->backColor(), qbColor(Blanco));
        QCOMPARE(form->Lval->text(), QStringLiteral("5"));
        QVERIFY(messages.texts.isEmpty());
    }

    void batchStopsWhereTheErrorGrows_data()
    {
        QTest::addColumn<QString>("stepSize");
        QTest::addColumn<bool>("stepFirst");
        QTest::addColumn<QList<double>>("expected"); // a, c, t0, errorCuad
        // A step of size 2 takes the error from 2,74 to 8,87: the batch then
        // stops at its first iteration and makes no update.
        QTest::newRow("a batch after a step that raised the error makes no update")
                << "2" << true
                << QList<double>{0.15953572126957827, -5.509006716062239, 6.509006716062239,
                                 8.865081801295842};
        // With 0,8 the error first falls, then passes 2,74 at the third
        // iteration: the two updates before it stay.
        QTest::newRow("an overshooting batch stops at its third iteration")
                << "0,8" << false
                << QList<double>{0.9905050296992788, -1.0663586673343473, 2.1041801522465855,
                                 4.118797355287881};
    }
    void batchStopsWhereTheErrorGrows()
    {
        QFETCH(QString, stepSize);
        QFETCH(bool, stepFirst);
        QFETCH(QList<double>, expected);
        MessageRecorder messages;
        auto form = chartView();
        form->Text1->setText(stepSize);
        if (stepFirst)
            form->paso->click();
        form->paso3->click();

        QCOMPARE(form->label10->backColor(), qbColor(Magenta));
        QCOMPARE_NEAR(form->a, expected[0]);
        QCOMPARE_NEAR(form->c, expected[1]);
        QCOMPARE_NEAR(form->t0, expected[2]);
        // The figures on show are those of the parameters the batch leaves.
        QCOMPARE_NEAR(shown(form->label9->text()), expected[3]);
        QCOMPARE(form->Cval->text(), numberToText(form->c));
        QCOMPARE(form->CSCR->value(), int(std::nearbyint(10 * form->c)));
        QVERIFY(messages.texts.isEmpty());
    }

    void fullBatchEqualsHundredSingleSteps()
    {
        MessageRecorder messages;
        auto batch = chartView();
        // Entering the chart compared the first error with 0: magenta.
        QCOMPARE(batch->label10->backColor(), qbColor(Magenta));
        batch->Text1->setText("0,0010");
        batch->paso3->click();
        auto single = chartView();
        for (int k = 0; k < 100; ++k)
            single->paso->click();

        QCOMPARE(batch->Text1->text(), QStringLiteral("0,001"));
        QCOMPARE(batch->label10->backColor(), qbColor(Blanco));
        QVERIFY(batch->a == single->a && batch->c == single->c && batch->t0 == single->t0);
        // Both show the figures of the parameters before the hundredth update.
        QCOMPARE(figures(*batch), figures(*single));
        QVERIFY(messages.texts.isEmpty());
    }

    void tenThousandStepsFitAKnownCurve()
    {
        MessageRecorder messages;
        auto form = chartView(logisticSample());
        const double before = form->errorCuad;
        form->Text1->setText("0,0010");
        form->paso4->click();

        QCOMPARE(form->Text1->text(), QStringLiteral("0,001"));
        QCOMPARE(form->label10->backColor(), qbColor(Blanco));
        QVERIFY(shown(form->label9->text()) < before * 1e-12);
        QCOMPARE_NEAR(form->a, 8.0);
        QCOMPARE_NEAR(form->c, 0.9);
        QCOMPARE_NEAR(form->t0, 6.0);
        QCOMPARE(bars(*form), (QList<int>{-20, 9, 30}));
        QVERIFY(messages.texts.isEmpty());
    }

    void aIsHeldToItsBar_data()
    {
        QTest::addColumn<QString>("stepSize");
        QTest::addColumn<bool>("faults");
        QTest::newRow("a step to 20,0456 still fits at position 100") << "1" << false;
        QTest::newRow("a step past 20,05 faults at the bar and recovers") << "1,01" << true;
    }
    void aIsHeldToItsBar()
    {
        QFETCH(QString, stepSize);
        QFETCH(bool, faults);
        MessageRecorder messages;
        // Points far above the curve pull a up by 15,0456 per unit of step
        // size; c and t0 are held so that only a can leave its bar.
        auto form = chartView({"0", "1"}, {"9", "9,5"});
        form->Check2->setValue(1);
        form->Check3->setValue(1);
        form->Text1->setText(stepSize);
        form->paso->click();

        QCOMPARE(messages.texts, faults ? QStringList{"Desbordamiento"} : QStringList{});
        QCOMPARE_NEAR(form->a, faults ? 5.0 : 20.045646540084862);
        QCOMPARE(form->Lval->text(), numberToText(form->a));
        QCOMPARE(form->LSCR->value(), faults ? -50 : 100);
        QCOMPARE(form->Label6->text().isEmpty(), faults);
    }

    void recoveryRestoresTheChartView_data()
    {
        QTest::addColumn<int>("steps");
        QTest::newRow("one step") << 1;
        QTest::newRow("a batch of 100") << 100;
        QTest::newRow("a batch of 10000") << 10000;
    }
    void recoveryRestoresTheChartView()
    {
        QFETCH(int, steps);
        MessageRecorder messages;
        auto form = chartView();
        form->Check2->setValue(1);
        form->Check3->setValue(2);
        form->LSCR->setValue(-47);
        QCOMPARE(form->a, 5.3);
        const QColor colour = form->label10->backColor();
        QCOMPARE(colour, qbColor(Magenta)); // a = 5,3 raised the error
        const double mean = form->mediaY, error = form->errorCuad;
        form->Text1->setText("abc");
        stepButton(*form, steps)->click();

        QCOMPARE(messages.texts, QStringList{"Desbordamiento"});
        QVERIFY(form->a == 5.0 && form->c == 1.0 && form->t0 == 0.0);
        QCOMPARE((QStringList{form->Lval->text(), form->Cval->text(), form->Tval->text()}),
                 (QStringList{"5", "1", "0"}));
        QCOMPARE(bars(*form), (QList<int>{-50, 10, 0}));
        QCOMPARE(form->Command5->text(), QStringLiteral("Tabla"));
        QCOMPARE(figures(*form), QStringList(5, QString()));
        QCOMPARE((QList<int>{form->Check1->value(), form->Check2->value(), form->Check3->value()}),
                 (QList<int>{0, 1, 2}));
        QCOMPARE(form->Text1->text(), QStringLiteral("abc"));
        // A batch whitens label10 before it reads the step size; the recovery keeps that colour.
        QCOMPARE(form->label10->backColor(), steps == 1 ? colour : qbColor(Blanco));
        QVERIFY(!form->ocupado && !form->modoDatos);
        QVERIFY(form->n == 2 && form->mediaY == mean && form->errorCuad == error);
        QVERIFY(!form->graf->isHidden() && form->xv(0)->isHidden());
        // The start-up curve passes f(5) = 4,9665 at column 160, row 134; a = 5,3 did not.
        QCOMPARE(form->graf->image().pixelColor(160, 134), qbColor(Rojo));
    }
};

QTEST_MAIN(tst_Stepping)
#include "tst_stepping.moc"
