#include "test_support.h"

#include "platform/number_text.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

#include <cmath>
#include <utility>
#include <vector>

namespace {

using Named = std::vector<std::pair<QString, QWidget *>>;
#define NAMED(control) Named::value_type(QStringLiteral(#control), f.control)

// Everything the chart view adds to the window.
Named chartControls(const Form1 &f)
{
    return {NAMED(inicio), NAMED(Final), NAMED(Minimo), NAMED(maximo), NAMED(graf), NAMED(Line2),
            NAMED(paso), NAMED(paso3), NAMED(paso4), NAMED(Label1), NAMED(Label2), NAMED(Label3),
            NAMED(Label4), NAMED(Label5), NAMED(Label6), NAMED(Label7), NAMED(Label8),
            NAMED(label9), NAMED(label10), NAMED(Text1), NAMED(Label14), NAMED(Check1),
            NAMED(Check2), NAMED(Check3), NAMED(LSCR), NAMED(Lval), NAMED(CSCR), NAMED(Cval),
            NAMED(TSCR), NAMED(Tval), NAMED(Para), NAMED(Picture1), NAMED(Picture2),
            NAMED(Picture3),
            // The panel under the step buttons.
            NAMED(tituloHistorial), NAMED(historial), NAMED(verMejor), NAMED(rotuloMejorA),
            NAMED(mejorA), NAMED(rotuloMejorC), NAMED(mejorC), NAMED(rotuloMejorT0), NAMED(mejorT0),
            NAMED(rotuloMejorError), NAMED(mejorError), NAMED(rotuloPasoMaximo), NAMED(pasoMaximo),
            NAMED(verInforme),
            // "Animar" and its speed.
            NAMED(animar), NAMED(velocidad)};
}

Named gridControls(const Form1 &f)
{
    Named result{NAMED(Label11), NAMED(Label12)};
    for (int k = 0; k < 20; ++k) {
        result.emplace_back(QStringLiteral("xv(%1)").arg(k), f.xv(k));
        result.emplace_back(QStringLiteral("yv(%1)").arg(k), f.yv(k));
    }
    return result;
}

// Names every control whose visibility does not match the view, empty when all do.
QStringList wrongVisibility(const Form1 &f, bool chartView)
{
    QStringList wrong;
    auto check = [&](const Named &controls, bool shown) {
        for (const auto &[name, control] : controls)
            if (control->isVisibleTo(&f) != shown)
                wrong << name;
    };
    check(chartControls(f), chartView);
    check(gridControls(f), !chartView);
    check({NAMED(Command5), NAMED(Command1), NAMED(Recuperar), NAMED(funcion)}, true);
    return wrong;
}

void press(Form1 &form)
{
    QTest::mouseClick(form.Command5, Qt::LeftButton);
}

} // namespace

class tst_ViewSwitch : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void emptyGridRefuses();
    void entersChartView_data();
    void entersChartView();
    void returnAndReenter();
    void faultOnEntryRecovers_data();
    void faultOnEntryRecovers();
};

void tst_ViewSwitch::emptyGridRefuses()
{
    auto form = makeForm(kSpanish);
    form->show();
    MessageRecorder recorder;

    press(*form);

    QCOMPARE(recorder.texts, QStringList{QStringLiteral("no hay datos introducidos")});
    QVERIFY(form->modoDatos);
    QCOMPARE(form->Command5->text(), QStringLiteral("Gráfica"));
    QCOMPARE(wrongVisibility(*form, false), QStringList());
    QCOMPARE(form->xv(0)->backColor(), QColor(192, 192, 192));
    QCOMPARE(form->yv(19)->backColor(), QColor(192, 192, 192));
}

void tst_ViewSwitch::entersChartView_data()
{
    QTest::addColumn<QStringList>("tTyped");
    QTest::addColumn<QStringList>("yTyped");
    QTest::addColumn<int>("expectedCount");
    QTest::addColumn<double>("expectedMean");

    QTest::newRow("y values of 2, 4 and 9 average to 5")
            << QStringList{"0", "1", "2"} << QStringList{"2", "4", "9"} << 3 << 5.0;
    QTest::newRow("a single point's y is the mean")
            << QStringList{"3"} << QStringList{"2,5"} << 1 << 2.5;
    QTest::newRow("only the rows above the first empty t cell count")
            << QStringList{"0", "1", "", "3"} << QStringList{"1", "3", "100", "100"} << 2 << 2.0;
}

void tst_ViewSwitch::entersChartView()
{
    QFETCH(QStringList, tTyped);
    QFETCH(QStringList, yTyped);
    QFETCH(int, expectedCount);
    QFETCH(double, expectedMean);

    auto form = makeForm(kSpanish);
    form->show();
    fillGrid(*form, tTyped, yTyped);
    MessageRecorder recorder;

    press(*form);

    QCOMPARE(recorder.texts, QStringList());
    QVERIFY(!form->modoDatos);
    QVERIFY(!form->ocupado);
    QCOMPARE(form->Command5->text(), QStringLiteral("Tabla"));
    QCOMPARE(wrongVisibility(*form, true), QStringList());
    QCOMPARE(form->n, expectedCount);
    QCOMPARE_NEAR(form->mediaY, expectedMean);
    QVERIFY(!form->label9->text().isEmpty());
}

void tst_ViewSwitch::returnAndReenter()
{
    auto form = makeForm(kSpanish);
    form->show();
    fillGrid(*form, {"0", "1", "2"}, {"2", "4", "9"});
    MessageRecorder recorder;
    press(*form);
    QCOMPARE_NEAR(form->mediaY, 5.0);

    form->a = 6;
    form->c = 0.5;
    form->t0 = 1;
    form->Text1->setText(QStringLiteral("0,5"));
    form->Check2->setValue(1);
    const QString errorShown = form->label9->text();

    press(*form);

    QVERIFY(form->modoDatos);
    QCOMPARE(form->Command5->text(), QStringLiteral("Gráfica"));
    QCOMPARE(wrongVisibility(*form, false), QStringList());
    QCOMPARE(form->mediaY, 5.0);
    QCOMPARE(form->Text1->text(), QStringLiteral("0,5"));
    QCOMPARE(form->Check2->value(), 1);
    QCOMPARE(form->label9->text(), errorShown);

    // Edit the grid in the data view, then come back to the chart.
    fillGrid(*form, {"0", "1", "2", "4"}, {"2", "4", "3", "7"});
    press(*form);

    QCOMPARE(recorder.texts, QStringList());
    QVERIFY(!form->modoDatos);
    QCOMPARE(form->n, 4);
    QCOMPARE(form->a, 6.0);
    QCOMPARE(form->c, 0.5);
    QCOMPARE(form->t0, 1.0);
    QCOMPARE_NEAR(form->mediaY, 4.0);
    // The figures come from the kept parameters and the new points.
    double expectedError = 0;
    for (const auto &[t, y] : {std::pair(0.0, 2.0), {1.0, 4.0}, {2.0, 3.0}, {4.0, 7.0}})
        expectedError += std::pow(6 / (1 + std::exp(-0.5 * (t - 1))) - y, 2);
    QCOMPARE_NEAR(form->errorCuad, expectedError);
    QCOMPARE(form->label9->text(), numberToText(form->errorCuad));
}

void tst_ViewSwitch::faultOnEntryRecovers_data()
{
    QTest::addColumn<QStringList>("yTyped");
    QTest::addColumn<double>("rate");

    QTest::newRow("y values that cancel out give a mean of zero") << QStringList{"1", "-1"} << 1.0;
    QTest::newRow("y values whose sum leaves the double range")
            << QStringList{"1e308", "1e308"} << 1.0;
    QTest::newRow("a rate at which the curve overflows") << QStringList{"2", "4"} << 1000.0;
}

void tst_ViewSwitch::faultOnEntryRecovers()
{
    QFETCH(QStringList, yTyped);
    QFETCH(double, rate);

    auto form = makeForm(kSpanish);
    form->show();
    fillGrid(*form, {"0", "1"}, yTyped);
    form->c = rate;
    MessageRecorder recorder;

    press(*form);

    QCOMPARE(recorder.texts, QStringList{QStringLiteral("Desbordamiento")});
    QVERIFY(!form->modoDatos);
    QVERIFY(!form->ocupado);
    QCOMPARE(form->Command5->text(), QStringLiteral("Tabla"));
    QCOMPARE(wrongVisibility(*form, true), QStringList());
    QCOMPARE(form->a, 5.0);
    QCOMPARE(form->c, 1.0);
    QCOMPARE(form->t0, 0.0);

    // The view reached is a whole one: the next press goes back to the grid.
    press(*form);
    QVERIFY(form->modoDatos);
    QCOMPARE(wrongVisibility(*form, false), QStringList());
    QCOMPARE(recorder.texts.size(), 1);
}

QTEST_MAIN(tst_ViewSwitch)
#include "tst_view_switch.moc"
