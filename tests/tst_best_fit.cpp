// The best fit, the Hessian and the stability bound of the numeric core, with
// no application object. Every answer is checked against something the solver
// did not compute: the program's own error sums.

#include "core_support.h"
#include "numeric/best_fit.h"

#include <QList>
#include <QTest>

#include <cmath>
#include <vector>

namespace {

using Row = QList<double>;

Sample fromLists(const Row &t, const Row &y)
{
    return {{t.begin(), t.end()}, {y.begin(), y.end()}};
}

double component(const Parameters &p, int j)
{
    return j == 0 ? p.a : j == 1 ? p.c : p.t0;
}

Parameters moved(Parameters p, int j, double by)
{
    (j == 0 ? p.a : j == 1 ? p.c : p.t0) += by;
    return p;
}

Sums sums(const Parameters &p, const Points &points)
{
    Sums s;
    sumErrors(p, {}, points, s);
    return s;
}

double gradient(const Sums &s, int j)
{
    return j == 0 ? s.L : j == 1 ? s.C : s.T;
}

bool isHeld(Held held, int j)
{
    return j == 0 ? held.a : j == 1 ? held.c : held.t0;
}

} // namespace

Q_DECLARE_METATYPE(NoFit)

class tst_BestFit : public QObject
{
    Q_OBJECT

private slots:
    void findsTheMinimum_data()
    {
        QTest::addColumn<Row>("t");
        QTest::addColumn<Row>("y");
        QTest::addColumn<Row>("held");  // per parameter: NaN free, else held at that value
        QTest::addColumn<Row>("known"); // a, c, t0, E; empty when only the checks apply
        const Sample exact = logisticSample();
        const Sample noisy = logisticSample(8, 0.9, 6, 20, 0.05);
        const Row t(exact.t.begin(), exact.t.end());
        const Row yExact(exact.y.begin(), exact.y.end());
        const Row yNoisy(noisy.y.begin(), noisy.y.end());
        const double free = qQNaN();
        QTest::newRow("points on a = 8, c = 0,9, t0 = 6 give those values and no error")
                << t << yExact << Row{free, free, free} << Row{8, 0.9, 6, 0};
        QTest::newRow("with c held at its true value the other two come back")
                << t << yExact << Row{free, 0.9, free} << Row{8, 0.9, 6, 0};
        QTest::newRow("noisy points") << t << yNoisy << Row{free, free, free} << Row{};
        QTest::newRow("noisy points with t0 held away from its best value")
                << t << yNoisy << Row{free, free, 5.0} << Row{};
        QTest::newRow("a falling curve has a negative c")
                << Row{0, 1, 2, 3, 4, 5, 6} << Row{6, 5.8, 5, 3, 1, 0.3, 0.1}
                << Row{free, free, free} << Row{};
        QTest::newRow("three points for three free parameters are met exactly")
                << Row{0, 2, 4} << Row{1, 2.5, 3.5} << Row{free, free, free} << Row{};
    }

    void findsTheMinimum()
    {
        QFETCH(Row, t);
        QFETCH(Row, y);
        QFETCH(Row, held);
        QFETCH(Row, known);
        const Sample data = fromLists(t, y);
        const Points points = data.points();
        const Held h{!std::isnan(held[0]), !std::isnan(held[1]), !std::isnan(held[2])};
        const Parameters current{h.a ? held[0] : 5, h.c ? held[1] : 1, h.t0 ? held[2] : 0};
        const BestFit fit = bestFit(current, h, points);
        QVERIFY(fit.found());

        for (int j = 0; j < 3; ++j)
            if (isHeld(h, j))
                QCOMPARE(component(fit.p, j), held[j]);
        QCOMPARE(fit.E, sums(fit.p, points).E);
        if (!known.isEmpty()) {
            for (int j = 0; j < 3; ++j)
                QVERIFY(std::fabs(component(fit.p, j) - known[j]) < 1e-7);
            QVERIFY(fit.E < 1e-18);
        }

        // The program's own gradient is negligible next to E's scale, the
        // error of the zero curve...
        double scale = 0;
        for (double v : y)
            scale += v * v;
        const Sums at = sums(fit.p, points);
        for (int j = 0; j < 3; ++j)
            if (!isHeld(h, j))
                QVERIFY2(std::fabs(gradient(at, j)) * std::max(1.0, std::fabs(component(fit.p, j)))
                                 < 1e-6 * scale,
                         qPrintable(QString::number(gradient(at, j))));
        // ...and no point of a fine grid around it over the free parameters does better.
        for (int k = 0; k < 27; ++k) {
            Parameters q = fit.p;
            for (int j = 0, code = k; j < 3; ++j, code /= 3) {
                const double step = 1e-4 * std::max(1.0, std::fabs(component(q, j)));
                if (!isHeld(h, j))
                    q = moved(q, j, (code % 3 - 1) * step);
            }
            QVERIFY(sums(q, points).E >= fit.E);
        }
        QVERIFY(fit.maxStep > 0 && std::isfinite(fit.maxStep));
    }

    // No minimum, or none that is finite and unique: no answer from any start,
    // and the reason from the start values. (Points that all have the same y
    // are met both by a flat curve at c = 0 and by a tail, so the reason
    // there depends on where the solver starts.)
    void noAnswer_data()
    {
        QTest::addColumn<Row>("t");
        QTest::addColumn<Row>("y");
        QTest::addColumn<int>("count");
        QTest::addColumn<Row>("held"); // as in findsTheMinimum
        QTest::addColumn<NoFit>("why");
        const double free = qQNaN();
        const Row none{free, free, free};
        Row t12, alternating;
        for (int k = 0; k < 12; ++k) {
            t12 << k;
            alternating << (k % 2 ? 0 : 10);
        }
        QTest::newRow("two points for three free parameters")
                << Row{0, 1} << Row{2.5, 2} << 2 << none << NoFit::tooFewPoints;
        QTest::newRow("no points") << Row{} << Row{} << 0 << none << NoFit::tooFewPoints;
        QTest::newRow("a count beyond the arrays")
                << Row{0, 1, 2, 3} << Row{1, 2, 3, 3.5} << 5 << none << NoFit::tooFewPoints;
        QTest::newRow("every parameter held leaves nothing to fit")
                << Row{0, 1, 2, 3} << Row{1, 2, 3, 3.5} << 4 << Row{5, 1, 0} << NoFit::allHeld;
        QTest::newRow("a clean step between two levels sends c off to infinity")
                << Row{0, 1, 2, 3} << Row{0, 0, 5, 5} << 4 << none << NoFit::runsOff;
        QTest::newRow("a step through its midpoint sends c off with t0 on that point")
                << Row{1, 2, 3, 4, 5} << Row{0, 0, 2.5, 5, 5} << 5 << none << NoFit::runsOff;
        QTest::newRow("a step with one point on its riser sends c off with t0 following")
                << Row{1, 2, 3, 4, 5} << Row{0, 0, 2.4, 5, 5} << 5 << none << NoFit::runsOff;
        QTest::newRow("alternating 10 and 0 is best met by a step")
                << t12 << alternating << 12 << none << NoFit::runsOff;
        QTest::newRow("points that double at every step send a and t0 off together")
                << Row{0, 1, 2, 3, 4} << Row{0.1, 0.2, 0.4, 0.8, 1.6} << 5 << none
                << NoFit::runsOff;
        QTest::newRow("points that all have the same y flatten the curve into its tail")
                << Row{0, 1, 2, 3, 4} << Row{2, 2, 2, 2, 2} << 5 << none << NoFit::runsOff;
        QTest::newRow("points that all have the same t fix only f(t), not c and t0")
                << Row{2, 2, 2, 2, 2} << Row{1, 2, 3, 4, 5} << 5 << none
                << NoFit::noPositiveCurvature;
        QTest::newRow("with c held at 0 the error does not depend on t0")
                << Row{0, 1, 2, 3} << Row{1, 2, 3, 3.5} << 4 << Row{free, 0, free}
                << NoFit::noPositiveCurvature;
        QTest::newRow("points so large that the error overflows fail inside, quietly")
                << Row{0, 1, 2, 3} << Row{1e300, 2e300, 3e300, 3.5e300} << 4 << none
                << NoFit::noFiniteMinimum;
    }

    void noAnswer()
    {
        QFETCH(Row, t);
        QFETCH(Row, y);
        QFETCH(int, count);
        QFETCH(Row, held);
        QFETCH(NoFit, why);
        const Sample data = fromLists(t, y);
        const Held h{!std::isnan(held[0]), !std::isnan(held[1]), !std::isnan(held[2])};
        for (const Parameters &start : {Parameters{5, 1, 0}, Parameters{4, 2, 3},
                                        Parameters{10, -1, 5.5}, Parameters{-5, 0.1, 0}}) {
            const Parameters current{h.a ? held[0] : start.a, h.c ? held[1] : start.c,
                                     h.t0 ? held[2] : start.t0};
            const BestFit fit = bestFit(current, h, {data.t, data.y, count});
            QVERIFY(!fit.found());
            if (start.a == 5 && start.c == 1 && start.t0 == 0)
                QCOMPARE(fit.whyNot, why);
        }
    }

    // The Hessian against central differences of the program's own gradient.
    void hessianMatchesTheGradient_data()
    {
        QTest::addColumn<Row>("at"); // a, c, t0
        QTest::newRow("the start values") << Row{5, 1, 0};
        QTest::newRow("near the best fit") << Row{8, 0.9, 6};
        QTest::newRow("a falling curve with a negative a") << Row{-3, -1.5, 4};
        QTest::newRow("a steep curve with most points in its tails") << Row{6, 7, 9.3};
    }

    void hessianMatchesTheGradient()
    {
        QFETCH(Row, at);
        const Sample data = logisticSample(8, 0.9, 6, 20, 0.05);
        const Parameters p{at[0], at[1], at[2]};
        const Hessian h = errorHessian(p, data.points());
        for (int j = 0; j < 3; ++j) {
            const double step = 1e-5 * std::max(1.0, std::fabs(component(p, j)));
            const Sums up = sums(moved(p, j, step), data.points());
            const Sums down = sums(moved(p, j, -step), data.points());
            for (int i = 0; i < 3; ++i) {
                const double difference = (gradient(up, i) - gradient(down, i)) / (2 * step);
                const double exact = h[size_t(i)][size_t(j)];
                QVERIFY2(std::fabs(exact - difference) <= 1e-6 * (1 + std::fabs(exact)),
                         qPrintable(QStringLiteral("H[%1][%2] = %3, differences give %4")
                                            .arg(i)
                                            .arg(j)
                                            .arg(exact, 0, 'g', 12)
                                            .arg(difference, 0, 'g', 12)));
            }
        }
    }

    // Plain descent started near the best fit settles there below 2 / λmax
    // and not above it.
    void stableStepBound_data()
    {
        QTest::addColumn<double>("factor");
        QTest::addColumn<bool>("settles");
        QTest::newRow("nine tenths of the bound settles") << 0.9 << true;
        QTest::newRow("eleven tenths of the bound does not") << 1.1 << false;
    }

    void stableStepBound()
    {
        QFETCH(double, factor);
        QFETCH(bool, settles);
        const Sample data = logisticSample(8, 0.9, 6, 20, 0.05);
        const BestFit fit = bestFit({5, 1, 0}, {}, data.points());
        QVERIFY(fit.found());
        const double start = 0.01;
        Parameters p = moved(moved(moved(fit.p, 0, start), 1, start), 2, start);
        try {
            for (int k = 0; k < 1000; ++k)
                descentUpdate(p, sums(p, data.points()), factor * fit.maxStep);
        } catch (const Fault &) {
            QVERIFY(!settles); // running away to an overflow is not settling either
            return;
        }
        double distance = 0;
        for (int j = 0; j < 3; ++j)
            distance = std::max(distance, std::fabs(component(p, j) - component(fit.p, j)));
        QCOMPARE(distance < start * 1e-3, settles);
    }
};

QTEST_APPLESS_MAIN(tst_BestFit)
#include "tst_best_fit.moc"
