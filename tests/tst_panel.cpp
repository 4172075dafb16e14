#include "test_support.h"

#include "numeric/best_fit.h"
#include "platform/number_text.h"
#include "platform/palette.h"

#include <QLabel>
#include <QPushButton>
#include <QScreen>

#include <cmath>
#include <vector>

namespace {

const QString kDash = QStringLiteral("—");

QStringList readouts(const Form1 &form)
{
    return {form.mejorA->text(), form.mejorC->text(), form.mejorT0->text(), form.mejorError->text(),
            form.pasoMaximo->text()};
}

// Whether `colour` is drawn within a pixel of `at` in the history's picture.
bool drawnNear(const QImage &image, QPointF at, const QColor &colour)
{
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if (image.pixelColor(int(std::lround(at.x())) + dx, int(std::lround(at.y())) + dy)
                == colour)
                return true;
    return false;
}

} // namespace

Q_DECLARE_METATYPE(NoFit)

class tst_Panel : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    // One point per evaluation, the stopping one included, in the order made.
    void historyRecordsEachEvaluation_data()
    {
        QTest::addColumn<QString>("stepSize");
        QTest::addColumn<QList<int>>("clicks"); // steps per click
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("stopped");
        QTest::newRow("a single step records the error before it")
                << "0,001" << QList<int>{1} << 1 << false;
        QTest::newRow("a batch records each of its iterations")
                << "0,001" << QList<int>{100} << 100 << false;
        QTest::newRow("a batch that stops records the iteration that stopped it")
                << "0,8" << QList<int>{100} << 3 << true;
        QTest::newRow("the clicks add up") << "0,001" << QList<int>{1, 100, 1} << 102 << false;
    }

    void historyRecordsEachEvaluation()
    {
        QFETCH(QString, stepSize);
        QFETCH(QList<int>, clicks);
        QFETCH(int, count);
        QFETCH(bool, stopped);
        MessageRecorder messages;
        auto form = chartView();
        // Entering the chart view evaluates, but records nothing.
        QCOMPARE(form->historia.count(), 0);
        form->Text1->setText(stepSize);
        for (int steps : clicks)
            stepButton(*form, steps)->click();

        QCOMPARE(form->historia.count(), count);
        QCOMPARE(form->label10->backColor() == qbColor(Magenta), stopped);
        // The same descent replayed in the core, one evaluation at a time.
        const double t[] = {0, 1}, y[] = {2.5, 2};
        std::vector<double> errors;
        Parameters p{5, 1, 0};
        Sums sums;
        for (int k = 0; k < count; ++k) {
            sumErrors(p, {}, {t, y, 2}, sums);
            errors.push_back(sums.E);
            descentUpdate(p, sums, textToNumber(stepSize));
        }
        std::vector<double> recorded;
        for (const ErrorHistory::Column &column : form->historia.columns())
            recorded.push_back(column.first);
        QCOMPARE(recorded, errors);
        QCOMPARE(recorded.back(), form->errorCuad);
        QVERIFY(messages.texts.isEmpty());
    }

    void historyRestarts_data()
    {
        QTest::addColumn<int>("action");
        QTest::addColumn<bool>("restarts");
        QTest::newRow("entering the chart view again") << 0 << true;
        QTest::newRow("a recovery") << 1 << true;
        QTest::newRow("moving a scroll bar") << 2 << true;
        QTest::newRow("committing a new value in a box") << 3 << true;
        QTest::newRow("leaving a box with its value unchanged keeps it") << 4 << false;
        QTest::newRow("a click on the chart keeps it") << 5 << false;
        QTest::newRow("holding a parameter keeps it") << 6 << false;
    }

    void historyRestarts()
    {
        QFETCH(int, action);
        QFETCH(bool, restarts);
        MessageRecorder messages;
        auto form = chartView();
        form->paso3->click();
        QCOMPARE(form->historia.count(), 100);
        switch (action) {
        case 0:
            form->Command5_Click();
            form->Command5_Click();
            break;
        case 1:
            form->Text1->setText("abc");
            form->paso->click();
            break;
        case 2:
            form->CSCR->setValue(8);
            break;
        case 3:
        case 4:
            if (action == 3)
                form->Lval->setText("6");
            QTest::keyClick(form->Lval, Qt::Key_Return);
            break;
        case 5:
            form->graf_Click();
            break;
        case 6:
            form->Check1->setValue(1);
            form->graf_Click();
            break;
        }
        QCOMPARE(form->historia.count(), restarts ? 0 : 100);
        QCOMPARE(messages.texts, action == 1 ? QStringList{"Desbordamiento"} : QStringList{});
    }

    void bestFitReadouts_data()
    {
        QTest::addColumn<bool>("knownPoints"); // twenty points of a known curve, else two
        QTest::addColumn<int>("held");         // 0 none, 1 a, 3 all three, 4 t0 at 20
        QTest::addColumn<bool>("ticked");
        QTest::addColumn<QList<double>>("expected"); // a, c, t0, E; empty: dashes
        QTest::addColumn<NoFit>("why");
        QTest::newRow("unticked, the readouts are blank")
                << true << 0 << false << QList<double>{} << NoFit::none;
        QTest::newRow("ticked over a known curve they show it")
                << true << 0 << true << QList<double>{8, 0.9, 6, 0} << NoFit::none;
        QTest::newRow("with a held at 5 the fit moves only c and t0")
                << true << 1 << true << QList<double>{5, qQNaN(), qQNaN(), qQNaN()} << NoFit::none;
        QTest::newRow("with t0 held at 20 a lies beyond its scroll bar and is still shown")
                << true << 4 << true << QList<double>{qQNaN(), qQNaN(), 20, qQNaN()} << NoFit::none;
        QTest::newRow("two points for three free parameters have no answer")
                << false << 0 << true << QList<double>{} << NoFit::tooFewPoints;
        QTest::newRow("with every parameter held there is nothing to fit")
                << true << 3 << true << QList<double>{} << NoFit::allHeld;
    }

    void bestFitReadouts()
    {
        QFETCH(bool, knownPoints);
        QFETCH(int, held);
        QFETCH(bool, ticked);
        QFETCH(QList<double>, expected);
        QFETCH(NoFit, why);
        MessageRecorder messages;
        auto form = knownPoints ? chartView(logisticSample()) : chartView();
        if (held == 4)
            form->TSCR->setValue(100); // t0 = 20, the bar's end
        form->Check1->setValue(held == 1 || held == 3);
        form->Check2->setValue(held == 3);
        form->Check3->setValue(held >= 3);
        form->verMejor->setValue(ticked);
        form->graf_Click();

        const QStringList shown = readouts(*form);
        if (!ticked) {
            QCOMPARE(shown, QStringList(5, QString()));
            QVERIFY(!form->historial->bestError());
        } else if (expected.isEmpty()) {
            QCOMPARE(shown, QStringList(5, kDash));
            QCOMPARE(form->vista().best().whyNot, why);
            QVERIFY(!form->historial->bestError());
        } else {
            const BestFit fit
                    = bestFit({5, 1, held == 4 ? 20.0 : 0.0}, {held == 1, false, held == 4},
                              {form->x.items, form->y.items, form->n});
            const double values[] = {fit.p.a, fit.p.c, fit.p.t0, fit.E, fit.maxStep};
            for (int k = 0; k < 5; ++k)
                QCOMPARE(shown[k], numberToText(values[k]));
            for (int k = 0; k < 4; ++k)
                if (!std::isnan(expected[k]))
                    QVERIFY(std::fabs(textToNumber(shown[k]) - expected[k]) < 1e-7);
            QVERIFY(form->historial->bestError() && *form->historial->bestError() == fit.E);
        }
        QVERIFY(messages.texts.isEmpty());
        if (held == 4) {
            // a's bar covers 0 to 20: the figure shown cannot be typed in.
            QVERIFY(textToNumber(shown[0]) > 20);
            form->Lval->setText(shown[0]);
            QTest::keyClick(form->Lval, Qt::Key_Return);
            QCOMPARE(messages.texts, QStringList{"Desbordamiento"});
        }
    }

    // The same points and held values give the same digits whatever the
    // current parameters the solver starts from.
    void sameDigitsFromAnyStart_data()
    {
        QTest::addColumn<bool>("holdT0");
        QTest::newRow("nothing held") << false;
        QTest::newRow("t0 held at 5") << true;
    }

    void sameDigitsFromAnyStart()
    {
        QFETCH(bool, holdT0);
        QStringList first;
        // Scroll bar positions of a, c and t0 (t0 stays at 5 when held).
        for (const QList<int> &bars : {QList<int>{-50, 10, 25}, QList<int>{-20, 5, 30},
                                       QList<int>{30, 15, 40}, QList<int>{0, 20, -10}}) {
            auto form = chartView(logisticSample(8, 0.9, 6, 20, 0.05));
            form->LSCR->setValue(bars[0]);
            form->CSCR->setValue(bars[1]);
            form->TSCR->setValue(holdT0 ? 25 : bars[2]);
            form->Check3->setValue(holdT0);
            form->verMejor->setValue(1);
            const QStringList shown = readouts(*form);
            QVERIFY(!shown.contains(kDash));
            if (first.isEmpty())
                first = shown;
            QCOMPARE(shown, first);
        }
    }

    // The fit is recomputed when the held set or a held value changes, not only
    // when the points do: ticking a box refits at once, with no redraw.
    void movingAHeldParameterRefits()
    {
        auto form = chartView(logisticSample());
        form->verMejor->setValue(1);
        QVERIFY(form->mejorA->text() != QStringLiteral("5"));
        form->Check1->setValue(1);
        const QStringList before = readouts(*form);
        QCOMPARE(before[0], QStringLiteral("5"));
        form->LSCR->setValue(-40); // a = 6
        QCOMPARE(form->mejorA->text(), QStringLiteral("6"));
        QVERIFY(form->mejorT0->text() != before[2]);
    }

    // The panel changes nothing the window showed before it: the same clicks
    // give the same state, figures and chart pixels with the box ticked.
    // The views keep what they worked out from the points with the count of
    // the points: it must move when, and only when, the points in use do.
    void pointsCountFollowsThePoints_data()
    {
        QTest::addColumn<QString>("button"); // clicked in the chart view, or none
        QTest::addColumn<QStringList>("y");  // then the grid's y cells, taken by Gráfica
        QTest::addColumn<bool>("changes");
        QTest::newRow("a step leaves it") << "paso" << QStringList{} << false;
        QTest::newRow("ten thousand steps leave it") << "paso4" << QStringList{} << false;
        QTest::newRow("a recovery takes the same points again") << "abc" << QStringList{} << false;
        QTest::newRow("the same y with a trailing zero leaves it")
                << "" << QStringList{"2,5", "2,00"} << false;
        QTest::newRow("a changed y moves it") << "" << QStringList{"2,5", "3"} << true;
        QTest::newRow("an empty grid moves it") << "" << QStringList{"", ""} << true;
    }

    void pointsCountFollowsThePoints()
    {
        QFETCH(QString, button);
        QFETCH(QStringList, y);
        QFETCH(bool, changes);
        MessageRecorder messages;
        auto form = chartView();
        const std::uint64_t before = form->vista().pointsRevision();
        if (button == "abc")
            form->Text1->setText(button);
        if (!button.isEmpty())
            (button == "paso4" ? form->paso4 : form->paso)->click();
        if (!y.isEmpty()) {
            form->Command5_Click();
            fillGrid(*form, y.first().isEmpty() ? QStringList{"", ""} : QStringList{"0", "1"}, y);
            form->Command5_Click();
        }
        const std::uint64_t after = form->vista().pointsRevision();
        QCOMPARE(after != before, changes);
        QCOMPARE(form->vista().pointsRevision(), after); // read again, nothing changed
    }

    void tickingChangesNothingElse_data()
    {
        QTest::addColumn<QString>("stepSize");
        QTest::addColumn<int>("steps");
        QTest::newRow("a single step") << "0,001" << 1;
        QTest::newRow("ten thousand steps") << "0,001" << 10000;
        QTest::newRow("a batch that stops") << "0,05" << 100;
        QTest::newRow("a recovery") << "abc" << 100;
    }

    void tickingChangesNothingElse()
    {
        QFETCH(QString, stepSize);
        QFETCH(int, steps);
        MessageRecorder messages;
        std::unique_ptr<Form1> forms[2];
        for (int ticked = 0; ticked < 2; ++ticked) {
            forms[ticked] = chartView(logisticSample());
            Form1 &form = *forms[ticked];
            form.verMejor->setValue(ticked);
            form.LSCR->setValue(-45);
            form.Text1->setText(stepSize);
            stepButton(form, steps)->click();
        }
        const Form1 &plain = *forms[0], &ticked = *forms[1];
        QVERIFY(plain.a == ticked.a && plain.c == ticked.c && plain.t0 == ticked.t0);
        QVERIFY(plain.errorCuad == ticked.errorCuad && plain.errorAnt == ticked.errorAnt);
        QCOMPARE(shownState(ticked), shownState(plain));
        QCOMPARE(ticked.graf->image(), plain.graf->image());
        QVERIFY(!readouts(ticked).contains(QString()));
        QCOMPARE(messages.texts.size(), stepSize == "abc" ? 2 : 0);
    }

    void historyIsDrawn_data()
    {
        QTest::addColumn<QStringList>("y");
        QTest::addColumn<int>("steps");
        QLocale::setDefault(kSpanish);
        QTest::newRow("a batch ends at its last error, with the best error dashed")
                << QStringList{"0,5", "1,2", "2,5", "3,8"} << 100;
        // The points lie on the start curve: the error is exactly 0.
        QStringList onCurve;
        for (int t = 0; t < 4; ++t)
            onCurve << numberToText(5 / (1 + std::exp(-double(t))));
        QTest::newRow("an error of 0 lies on the bottom edge, above the axis") << onCurve << 1;
    }

    void historyIsDrawn()
    {
        QFETCH(QStringList, y);
        QFETCH(int, steps);
        MessageRecorder messages;
        auto form = chartView({"0", "1", "2", "3"}, y);
        form->verMejor->setValue(1);
        stepButton(*form, steps)->click();
        const QImage image = form->historial->grab().toImage();
        const HistoryPlot &plot = *form->historial;

        const QPointF last = plot.position(steps, form->errorCuad);
        QVERIFY(drawnNear(image, last, qbColor(Azul)));
        if (form->errorCuad == 0) {
            // On the row just above the axis line, which stays black below it.
            const int bottom = plot.plotArea().bottom();
            QCOMPARE(last.y(), bottom - 1.0);
            QCOMPARE(image.pixelColor(int(last.x()), bottom - 1), qbColor(Azul));
            QCOMPARE(image.pixelColor(int(last.x()), bottom), qbColor(0));
        }
        const int bestRow = int(std::lround(plot.position(0, *plot.bestError()).y()));
        int dashes = 0;
        for (int px = plot.plotArea().left(); px <= plot.plotArea().right(); ++px)
            dashes += image.pixelColor(px, bestRow) == qbColor(Rojo);
        QVERIFY(dashes > plot.plotArea().width() / 4 && dashes < plot.plotArea().width());
        QVERIFY(messages.texts.isEmpty());
    }

    // A slow descent over 300 000 evaluations, 2048 to a column, reads as one
    // line: in every pixel column it covers, the line passes within a pixel of
    // where that column's error falls.
    // The main window, 724 x 691, leaves no room beside it on the 800 x 600
    // offscreen screen; the report, wider and taller than it, is shrunk.
    void windowsOpenWithinTheScreen()
    {
        auto form = chartView();
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        form->verMapa->click();
        form->verInforme->click();
        for (const QWidget *opened : {control(*form, "mapaError"), control(*form, "informe")}) {
            QVERIFY(opened && opened->isVisible());
            QVERIFY(form->screen()->availableGeometry().contains(opened->frameGeometry()));
        }
    }

    void longSlowRunIsOneLine()
    {
        auto form = chartView();
        const int count = 300000;
        auto error = [](double evaluation) { return 12 - 1e-6 * evaluation; };
        for (int k = 1; k <= count; ++k)
            form->historia.add(error(k), {});
        form->historial->refresh(std::nullopt);
        const QImage image = form->historial->grab().toImage();
        const HistoryPlot &plot = *form->historial;
        const QRect area = plot.plotArea();
        int covered = 0;
        for (int px = area.left() + 1; px <= area.right(); ++px, ++covered) {
            const double evaluation = double(px - area.left()) / area.width() * count;
            QVERIFY2(drawnNear(image, plot.position(evaluation, error(evaluation)), qbColor(Azul)),
                     qPrintable(QStringLiteral("pixel column %1").arg(px)));
        }
        QVERIFY(covered > 200);
    }
};

QTEST_MAIN(tst_Panel)
#include "tst_panel.moc"
