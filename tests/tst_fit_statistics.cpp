// The fit report's statistics in the numeric core, with no application
// object. The oracles are outside the code: NIST's certified values for
// Rat42, closed forms of the Student t quantile, and a Jacobian by finite
// differences inverted by hand.

#include "core_support.h"
#include "numeric/fit_statistics.h"

#include <array>
#include <cmath>

Q_DECLARE_METATYPE(Parameters)
Q_DECLARE_METATYPE(Held)
Q_DECLARE_METATYPE(NoAnswer)
Q_DECLARE_METATYPE(Sample)

class tst_FitStatistics : public QObject
{
    Q_OBJECT

private slots:
    // NIST StRD, nonlinear regression, Rat42 (higher difficulty), from both
    // of its published starts. The model y = b1 / (1 + exp(b2 − b3 x)) is
    // this one with a = b1, c = b3, t0 = b2 / b3; the errors of a and c do not
    // depend on how the third parameter is written.
    void rat42_data()
    {
        QTest::addColumn<Parameters>("start");
        QTest::newRow("from NIST's first start") << Parameters{100, 0.1, 1 / 0.1};
        QTest::newRow("from NIST's second start") << Parameters{75, 0.07, 2.5 / 0.07};
    }

    void rat42()
    {
        QFETCH(Parameters, start);
        const Sample rat42{{9, 14, 21, 28, 42, 57, 63, 70, 79},
                           {8.930, 10.800, 18.590, 22.330, 39.350, 56.110, 61.730, 64.620, 67.080}};
        const BestFit best = bestFit(start, {}, rat42.points());
        QVERIFY(best.found());
        const FitStatistics fit = bestFitStatistics(best, {}, rat42.points());
        QCOMPARE(fit.reason, NoAnswer::none);
        QCOMPARE(fit.dof, 6);
        // Nine significant digits at least, against the certified eleven.
        auto certified
                = [](double actual, double expected) { return near(actual, expected, 1e-9, 0); };
        QVERIFY(certified(fit.p.a, 72.462237576));
        QVERIFY(certified(fit.p.c, 0.067359200066));
        QVERIFY(certified(fit.p.t0, 2.6180768402 / 0.067359200066));
        QVERIFY(certified(fit.standardError[0], 1.7340283401));
        QVERIFY(certified(fit.standardError[1], 0.0034465663377));
        QVERIFY(certified(*fit.E, 8.0565229338));
        QVERIFY(certified(*fit.s, 1.1587725499));
        QVERIFY(fit.atMinimum());
    }

    // The quantile against closed forms: t = tan(π (q − ½)) for one degree
    // of freedom, (2q − 1) / √(2 q (1 − q)) for two; and for many, the normal
    // quantile z = 1.959963984540054 with the first two terms of its expansion
    // in 1 / ν, (z³ + z) / 4ν + (5z⁵ + 16z³ + 3z) / 96ν².
    void studentQuantile_data()
    {
        QTest::addColumn<int>("dof");
        QTest::addColumn<double>("expected");
        QTest::newRow("one degree of freedom") << 1 << std::tan(M_PI * 0.475);
        QTest::newRow("two degrees of freedom") << 2 << 0.95 / std::sqrt(2 * 0.975 * 0.025);
        const double z = 1.959963984540054;
        const double nu = 1e6;
        QTest::newRow("a million tends to the normal") << int(nu)
                                                       << z + (std::pow(z, 3) + z) / (4 * nu)
                        + (5 * std::pow(z, 5) + 16 * std::pow(z, 3) + 3 * z) / (96 * nu * nu);
    }

    void studentQuantile()
    {
        QFETCH(int, dof);
        QFETCH(double, expected);
        QVERIFY(near(::studentQuantile(0.975, dof), expected, 1e-12, 0));
        QVERIFY(std::isnan(::studentQuantile(0.975, 0)));
    }

    // Where the errors have no meaning they are absent, with the reason; the
    // figures that keep a meaning stay.
    void noAnswer_data()
    {
        QTest::addColumn<Sample>("sample");
        QTest::addColumn<Parameters>("p");
        QTest::addColumn<Held>("held");
        QTest::addColumn<bool>("atBest");
        QTest::addColumn<NoAnswer>("reason");
        QTest::addColumn<bool>("hasE");
        QTest::addColumn<bool>("hasS");
        const Sample noisy = logisticSample(8, 0.9, 6, 20, 0.05);
        const Parameters start{5, 1, 0};
        QTest::newRow("a noisy curve has every figure")
                << noisy << start << Held{} << false << NoAnswer::none << true << true;
        QTest::newRow("no point") << Sample{} << start << Held{} << false << NoAnswer::tooFewPoints
                                  << false << false;
        QTest::newRow("three points for three parameters leave no degree of freedom")
                << logisticSample(8, 0.9, 6, 3) << start << Held{} << false
                << NoAnswer::tooFewPoints << true << false;
        QTest::newRow("with c at 0 the curve does not depend on t0")
                << noisy << Parameters{5, 0, 0} << Held{} << false << NoAnswer::illConditioned
                << true << true;
        QTest::newRow("points at one t cannot tell c from t0")
                << Sample{{2, 2, 2, 2}, {1, 2, 3, 4}} << start << Held{} << false
                << NoAnswer::illConditioned << true << true;
        // As c goes to 0 the columns of a and t0 turn parallel: the condition
        // number is near 3e7 at c = 1e-4 and near 3e11 at c = 1e-6.
        QTest::newRow("nearly parallel columns inside the threshold")
                << noisy << Parameters{8, 1e-4, 6} << Held{} << false << NoAnswer::none << true
                << true;
        QTest::newRow("nearly parallel columns past the threshold")
                << noisy << Parameters{8, 1e-6, 6} << Held{} << false << NoAnswer::illConditioned
                << true << true;
        QTest::newRow("the model overflows at these parameters")
                << noisy << Parameters{5, -1000, 0} << Held{} << false << NoAnswer::notFinite
                << false << false;
        QTest::newRow("points at one level have no best fit")
                << Sample{{0, 1, 2, 3}, {2, 2, 2, 2}} << start << Held{} << true
                << NoAnswer::noBestFit << false << false;
        QTest::newRow("every parameter held leaves nothing to estimate")
                << noisy << start << Held{true, true, true} << false << NoAnswer::none << true
                << true;
    }

    void noAnswer()
    {
        QFETCH(Sample, sample);
        QFETCH(Parameters, p);
        QFETCH(Held, held);
        QFETCH(bool, atBest);
        QFETCH(NoAnswer, reason);
        QFETCH(bool, hasE);
        QFETCH(bool, hasS);
        const FitStatistics fit = atBest
                ? bestFitStatistics(bestFit(p, held, sample.points()), held, sample.points())
                : fitStatistics(p, held, sample.points());
        QCOMPARE(fit.reason, reason);
        QCOMPARE(fit.E.has_value(), hasE);
        QCOMPARE(fit.s.has_value(), hasS);
        QCOMPARE(fit.n, int(sample.t.size()));
        for (int j = 0; j < 3; ++j)
            if (reason != NoAnswer::none)
                QCOMPARE(fit.standardError[size_t(j)], 0.0);
            else if (!isHeld(held, j))
                QVERIFY(fit.standardError[size_t(j)] > 0);
        // No uncertainty, no warning about it.
        if (reason != NoAnswer::none)
            QVERIFY(fit.atMinimum());
    }

    // With t0 held, the covariance is s² (JᵀJ)⁻¹ over a and c alone, not the
    // a–c block of the three-parameter one: checked against a 2 × 2 inverse
    // of a Jacobian by central differences.
    void heldParameterLeftOut()
    {
        const Sample sample = logisticSample(8, 0.9, 6, 12, 0.1);
        const Parameters p{7.9, 0.85, 6.2};
        const FitStatistics fit = fitStatistics(p, Held{false, false, true}, sample.points());
        QCOMPARE(fit.reason, NoAnswer::none);
        QCOMPARE(fit.free, 2);
        QCOMPARE(fit.dof, 10);
        QCOMPARE(fit.standardError[2], 0.0);

        double aa = 0, ac = 0, cc = 0, E = 0;
        for (size_t k = 0; k < sample.t.size(); ++k) {
            auto model = [&](double a, double c) {
                return a / (1 + std::exp(-c * (sample.t[k] - p.t0)));
            };
            const double h = 1e-6;
            const double da = (model(p.a + h, p.c) - model(p.a - h, p.c)) / (2 * h);
            const double dc = (model(p.a, p.c + h) - model(p.a, p.c - h)) / (2 * h);
            aa += da * da;
            ac += da * dc;
            cc += dc * dc;
            E += std::pow(sample.y[k] - model(p.a, p.c), 2);
        }
        const double s2 = E / 10, det = aa * cc - ac * ac;
        QVERIFY(near(fit.standardError[0], std::sqrt(s2 * cc / det), 1e-6));
        QVERIFY(near(fit.standardError[1], std::sqrt(s2 * aa / det), 1e-6));
        QVERIFY(near(fit.correlation[0][1], -ac / std::sqrt(aa * cc), 1e-6));
        const double t = ::studentQuantile(0.975, 10);
        QCOMPARE(fit.lower[1], p.c - t * fit.standardError[1]);

        const FitStatistics allFree = fitStatistics(p, Held{}, sample.points());
        QVERIFY(allFree.standardError[0] > fit.standardError[0] * 1.01);
    }

    // Away from the minimum along a alone, the Gauss–Newton step is δ back:
    // a enters the model linearly and the other columns only scale with it,
    // so the step measured in standard errors is δ ‖∂f/∂a‖ / s exactly.
    void stepToMinimum()
    {
        const Sample sample = logisticSample(8, 0.9, 6, 12, 0.1);
        const BestFit best = bestFit({5, 1, 0}, {}, sample.points());
        QVERIFY(best.found());
        QVERIFY(bestFitStatistics(best, {}, sample.points()).atMinimum());
        const double delta = 0.05;
        const Parameters away{best.p.a + delta, best.p.c, best.p.t0};
        const FitStatistics fit = fitStatistics(away, {}, sample.points());
        double norm2 = 0;
        for (const double t : sample.t)
            norm2 += std::pow(1 / (1 + std::exp(-away.c * (t - away.t0))), 2);
        QVERIFY(near(fit.stepToMinimum, delta * std::sqrt(norm2) / *fit.s, 1e-5));
        QVERIFY(!fit.atMinimum());
    }

    // Where E leaves the double range the residual table keeps a row per
    // point, NaN only for a figure beyond the range: at c = -1000 the model
    // has a value only at t0, where it is a / 2.
    void residualRowsKeepWhatIsFinite()
    {
        const Sample sample{{0, 1, 2}, {1, 2, 3}};
        const FitStatistics fit = fitStatistics({5, -1000, 0}, Held{}, sample.points());
        QVERIFY(!fit.E && fit.reason == NoAnswer::notFinite);
        QCOMPARE(fit.residuals.size(), size_t(3));
        QVERIFY(fit.residuals[0].f == 2.5 && fit.residuals[0].r == -1.5);
        for (size_t k : {size_t(1), size_t(2)}) {
            const ResidualRow &row = fit.residuals[k];
            QVERIFY(row.t == sample.t[k] && row.y == sample.y[k]);
            QVERIFY(std::isnan(row.f) && std::isnan(row.r));
        }
    }
};

QTEST_APPLESS_MAIN(tst_FitStatistics)
#include "tst_fit_statistics.moc"
