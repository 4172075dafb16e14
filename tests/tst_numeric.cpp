// The numeric core on its own: no application object, no window.

#include "core_support.h"
#include "numeric/descent.h"
#include "numeric/error_history.h"
#include "numeric/fault.h"
#include "numeric/model.h"

#include <QList>
#include <QTest>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <vector>

namespace {

// An expected value that says "this call faults".
const double kFaults = qQNaN();

// f, parL, parC and parT with nothing held.
double model(int which, const Parameters &p, double t)
{
    switch (which) {
    case 0:
        return f(p, t);
    case 1:
        return parL(p, false, t);
    case 2:
        return parC(p, false, t);
    default:
        return parT(p, false, t);
    }
}

bool behaves(int which, const Parameters &p, double t, double expected)
{
    try {
        return near(model(which, p, t), expected);
    } catch (const Fault &) {
        return std::isnan(expected);
    }
}

// The twenty points the descent is benchmarked on, with a small perturbation.
Sample twenty()
{
    return logisticSample(8, 0.9, 6, 20, 0.05);
}

} // namespace

class tst_Numeric : public QObject
{
    Q_OBJECT

private slots:
    void modelValuesAndFaults_data()
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

    void modelValuesAndFaults()
    {
        QFETCH(double, a);
        QFETCH(double, c);
        QFETCH(double, t0);
        QFETCH(double, t);
        QFETCH(QList<double>, expected);
        for (int k = 0; k < 4; ++k)
            QVERIFY2(behaves(k, {a, c, t0}, t, expected.at(k)), qPrintable(QString::number(k)));
    }

    void heldParameterGivesExactZero_data()
    {
        QTest::addColumn<double>("t");
        QTest::newRow("where e^710 overflows on the left") << -710.0;
        QTest::newRow("at the midpoint") << 0.0;
        QTest::newRow("where e^710 overflows on the right") << 710.0;
    }

    void heldParameterGivesExactZero()
    {
        QFETCH(double, t);
        const Parameters p{5, 1, 0};
        QCOMPARE(parL(p, true, t), 0.0);
        QCOMPARE(parC(p, true, t), 0.0);
        QCOMPARE(parT(p, true, t), 0.0);
    }

    void sumsStopWhereTheyFault_data()
    {
        QTest::addColumn<QList<double>>("t");
        QTest::addColumn<QList<double>>("y");
        QTest::addColumn<int>("n");
        QTest::addColumn<bool>("fault");
        QTest::addColumn<QList<double>>("expected"); // L, C, T, E, done
        const QList<double> two{2.420232139365211, 3.2545033580311196, -3.2545033580311196,
                                2.739994562112978, 2};
        QTest::newRow("two points, the first on the curve")
                << QList<double>{0, 1} << QList<double>{2.5, 2} << 2 << false << two;
        QTest::newRow("a third point far left overflows and keeps the first two's sums")
                << QList<double>{0, 1, -800} << QList<double>{2.5, 2, 1} << 3 << true << two;
        QTest::newRow("a count beyond the arrays faults after the points it has")
                << QList<double>{0, 1} << QList<double>{2.5, 2} << 3 << true << two;
        QTest::newRow("no points leave every sum at 0")
                << QList<double>{} << QList<double>{} << 0 << false << QList<double>{0, 0, 0, 0, 0};
    }

    void sumsStopWhereTheyFault()
    {
        QFETCH(QList<double>, t);
        QFETCH(QList<double>, y);
        QFETCH(int, n);
        QFETCH(bool, fault);
        QFETCH(QList<double>, expected);
        Sums sums{9, 9, 9, 9, 9};
        QCOMPARE(faults([&] { sumErrors({5, 1, 0}, {}, {t, y, n}, sums); }), fault);
        const double got[5] = {sums.L, sums.C, sums.T, sums.E, double(sums.done)};
        for (int k = 0; k < 5; ++k)
            QVERIFY2(near(got[k], expected.at(k)), qPrintable(QString::number(got[k], 'g', 17)));
    }

    void heldParametersSumToZero()
    {
        const Sample data = twenty();
        Sums sums;
        sumErrors({5, 1, 0}, {true, false, true}, data.points(), sums);
        QCOMPARE(sums.L, 0.0);
        QCOMPARE(sums.T, 0.0);
        QVERIFY(sums.C != 0.0);
    }

    void batchStopsBeforeTheUpdateThatRaisesTheError_data()
    {
        QTest::addColumn<double>("step");
        QTest::addColumn<double>("errorBefore");
        QTest::addColumn<int>("evaluations");
        QTest::addColumn<bool>("stopped");
        QTest::addColumn<int>("updates");
        // The error at the start parameters over the twenty points.
        Sums start;
        sumErrors({5, 1, 0}, {}, twenty().points(), start);
        QTest::newRow("a small step runs all 100 iterations")
                << 0.001 << start.E << 100 << false << 100;
        QTest::newRow("an error before the batch below the first stops at once, with no update")
                << 0.001 << start.E * 0.5 << 1 << true << 0;
        QTest::newRow("a large step overshoots and keeps the updates before the stop")
                << 0.05 << start.E << 2 << true << 1;
    }

    void batchStopsBeforeTheUpdateThatRaisesTheError()
    {
        QFETCH(double, step);
        QFETCH(double, errorBefore);
        QFETCH(int, evaluations);
        QFETCH(bool, stopped);
        QFETCH(int, updates);
        const Sample data = twenty();
        Parameters batch{5, 1, 0};
        Sums sums;
        std::vector<double> seen;
        const BatchEnd end
                = descentBatch(batch, {}, data.points(), step, 100, errorBefore, sums,
                               [&](const Parameters &, const Sums &s) { seen.push_back(s.E); });
        QCOMPARE(end.evaluations, evaluations);
        QCOMPARE(end.stopped, stopped);
        QCOMPARE(int(seen.size()), evaluations);

        // The same updates one by one give the very same bits.
        Parameters single{5, 1, 0};
        Sums last;
        for (int k = 0; k < evaluations; ++k) {
            sumErrors(single, {}, data.points(), last);
            QCOMPARE(seen[size_t(k)], last.E);
            if (k < updates)
                descentUpdate(single, last, step);
        }
        QVERIFY(batch.a == single.a && batch.c == single.c && batch.t0 == single.t0);
        QCOMPARE(sums.E, last.E);
    }

    void normalizedErrorFaults_data()
    {
        QTest::addColumn<double>("error");
        QTest::addColumn<int>("n");
        QTest::addColumn<double>("mean");
        QTest::addColumn<double>("expected"); // NaN: faults
        QTest::newRow("one point half a unit off with mean 3") << 0.25 << 1 << 3.0 << 100 * 0.5 / 3;
        QTest::newRow("a negative mean gives a negative figure")
                << 0.25 << 1 << -3.0 << -100 * 0.5 / 3;
        QTest::newRow("no points make 0/0") << 0.0 << 0 << 3.0 << kFaults;
        QTest::newRow("y values summing to zero divide by zero") << 0.25 << 1 << 0.0 << kFaults;
    }

    void normalizedErrorFaults()
    {
        QFETCH(double, error);
        QFETCH(int, n);
        QFETCH(double, mean);
        QFETCH(double, expected);
        double q = 0;
        QCOMPARE(faults([&] { q = normalizedError(error, n, mean); }), std::isnan(expected));
        if (!std::isnan(expected))
            QVERIFY(near(q, expected));
    }

    void roundsToPosition_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<bool>("fault");
        QTest::addColumn<int>("position");
        QTest::newRow("a negative half goes to the even neighbour") << -27.5 << false << -28;
        QTest::newRow("2.5 goes down to 2") << 2.5 << false << 2;
        QTest::newRow("0.5 goes down to 0") << 0.5 << false << 0;
        QTest::newRow("just under the top fits") << 32767.4 << false << 32767;
        QTest::newRow("rounding past the top is a fault") << 32767.5 << true << 0;
        QTest::newRow("rounding to the bottom fits") << -32768.5 << false << -32768;
        QTest::newRow("NaN is a fault") << std::nan("") << true << 0;
        QTest::newRow("infinity is a fault") << -HUGE_VAL << true << 0;
    }

    void roundsToPosition()
    {
        QFETCH(double, value);
        QFETCH(bool, fault);
        QFETCH(int, position);
        int rounded = 12345;
        QCOMPARE(faults([&] { rounded = ::roundToPosition(value); }), fault);
        if (!fault)
            QCOMPARE(rounded, position);
    }

    // However long the history, it holds at most its capacity of columns, and
    // each column is exactly the first, last, least and largest of its run.
    void historyStaysBounded_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("columns");
        QTest::addColumn<int>("stride");
        QTest::newRow("an empty history has no column") << 0 << 0 << 1;
        QTest::newRow("up to the capacity, one evaluation per column") << 8 << 8 << 1;
        QTest::newRow("one more halves the columns and starts a new one") << 9 << 5 << 2;
        QTest::newRow("a long run keeps halving") << 1000 << 8 << 128;
    }

    void historyStaysBounded()
    {
        QFETCH(int, count);
        QFETCH(int, columns);
        QFETCH(int, stride);
        ErrorHistory history(8);
        std::vector<double> errors;
        for (int k = 0; k < count; ++k)
            errors.push_back(k % 7 == 3 ? 0.0 : double((k * 37) % 101));
        history.add(1e9, {});
        history.clear();
        // Each evaluation stands at a = its index, so a column's ends say which it kept.
        for (size_t k = 0; k < errors.size(); ++k)
            history.add(errors[k], {double(k), 0, 0});
        QCOMPARE(history.count(), count);
        QCOMPARE(int(history.columns().size()), columns);
        QCOMPARE(history.stride(), stride);
        for (size_t j = 0; j < history.columns().size(); ++j) {
            const auto first = errors.begin() + long(j) * stride;
            const auto last = std::min(first + stride, errors.end());
            const ErrorHistory::Column &column = history.columns()[j];
            QCOMPARE(column.first, *first);
            QCOMPARE(column.last, *(last - 1));
            QCOMPARE(column.from.a, double(first - errors.begin()));
            QCOMPARE(column.to.a, double(last - 1 - errors.begin()));
            QCOMPARE(column.min, *std::min_element(first, last));
            QCOMPARE(column.max, *std::max_element(first, last));
        }
    }
};

QTEST_APPLESS_MAIN(tst_Numeric)
#include "tst_numeric.moc"
