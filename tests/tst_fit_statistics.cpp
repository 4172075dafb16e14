// The fit report's statistics in the numeric core, with no application
// object. The oracles are outside the code: NIST's certified values for
// Rat42, closed forms of the Student t quantile, and a Jacobian by finite
// differences inverted by hand.

#include "core_support.h"
#include "numeric/fit_bands.h"
#include "numeric/fit_statistics.h"
#include "numeric/growth_figures.h"

#include <array>
#include <cmath>
#include <functional>

using Triple = std::array<double, 3>; // a, c, t0

Q_DECLARE_METATYPE(Parameters)
Q_DECLARE_METATYPE(Triple)
Q_DECLARE_METATYPE(Held)
Q_DECLARE_METATYPE(NoAnswer)
Q_DECLARE_METATYPE(Sample)

namespace {

// Rat42's data and certified values (see rat42 below), t0 = b2 / b3.
const Sample kRat42{{9, 14, 21, 28, 42, 57, 63, 70, 79},
                    {8.930, 10.800, 18.590, 22.330, 39.350, 56.110, 61.730, 64.620, 67.080}};
constexpr double kRat42A = 72.462237576, kRat42SeA = 1.7340283401;
constexpr double kRat42C = 0.067359200066, kRat42SeC = 0.0034465663377;
constexpr double kRat42T0 = 2.6180768402 / kRat42C;
constexpr double kRat42S = 1.1587725499; // residual standard deviation, 6 degrees of freedom
// t(0.975; ν) from the printed tables, ν = 6 … 9.
constexpr double kT975[] = {2.446911851, 2.364624252, 2.306004135, 2.262157163};

using Figure = std::function<double(const Triple &)>;

// The delta method written out at p: a Jacobian of the model by central
// differences, JᵀJ over the free parameters inverted by cofactors (a held
// parameter's row and column made the identity's, then dropped), s² = E / (n −
// p) from its own residuals, and a figure's gradient by central differences.
struct DeltaMethod
{
    Triple p;
    std::array<bool, 3> free;
    double cov[3][3]{};
    double s2{0.0};

    static double model(const Triple &q, double t)
    {
        return q[0] / (1 + std::exp(-q[1] * (t - q[2])));
    }

    Triple gradient(const Figure &h) const // 0 for a held parameter
    {
        Triple g{};
        for (size_t j = 0; j < 3; ++j) {
            Triple up = p, down = p;
            up[j] += 1e-5 * std::fabs(p[j]);
            down[j] -= 1e-5 * std::fabs(p[j]);
            g[j] = free[j] ? (h(up) - h(down)) / (up[j] - down[j]) : 0.0;
        }
        return g;
    }

    DeltaMethod(Parameters at, Held held, const Sample &sample)
        : p{at.a, at.c, at.t0}, free{!held.a, !held.c, !held.t0}
    {
        double m[3][3]{}, E = 0;
        for (size_t k = 0; k < sample.t.size(); ++k) {
            const Triple g = gradient([&](const Triple &q) { return model(q, sample.t[k]); });
            for (size_t i = 0; i < 3; ++i)
                for (size_t j = 0; j < 3; ++j)
                    m[i][j] += g[i] * g[j];
            E += std::pow(sample.y[k] - model(p, sample.t[k]), 2);
        }
        for (size_t j = 0; j < 3; ++j)
            m[j][j] += free[j] ? 0 : 1;
        s2 = E / (int(sample.t.size()) - free[0] - free[1] - free[2]);
        auto cofactor = [&m](size_t i, size_t j) {
            const size_t r0 = (i + 1) % 3, r1 = (i + 2) % 3, c0 = (j + 1) % 3, c1 = (j + 2) % 3;
            return m[r0][c0] * m[r1][c1] - m[r0][c1] * m[r1][c0];
        };
        const double det
                = m[0][0] * cofactor(0, 0) + m[0][1] * cofactor(0, 1) + m[0][2] * cofactor(0, 2);
        for (size_t i = 0; i < 3; ++i)
            for (size_t j = 0; j < 3; ++j)
                cov[i][j] = free[i] && free[j] ? s2 * cofactor(j, i) / det : 0.0;
    }

    double variance(const Triple &g) const
    {
        double v = 0;
        for (size_t i = 0; i < 3; ++i)
            for (size_t j = 0; j < 3; ++j)
                v += g[i] * cov[i][j] * g[j];
        return v;
    }
};

// The growth figures by their definitions, in the order of Growth.
const Figure kGrowth[kGrowthCount] = {
        [](const Triple &q) { return std::log(2.0) / q[1]; },
        [](const Triple &q) { return std::log(81.0) / q[1]; },
        [](const Triple &q) { return q[0] * q[1] / 4; },
        [](const Triple &q) { return q[2] - 2 / q[1]; },
};

} // namespace

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
        const BestFit best = bestFit(start, {}, kRat42.points());
        QVERIFY(best.found());
        const FitStatistics fit = bestFitStatistics(best, {}, kRat42.points());
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
        QVERIFY(certified(fit.t975, kT975[0]));
        QVERIFY(fit.atMinimum());

        // Where c's certified error suffices: the doubling time's, ln 2 / c²
        // times c's, and its interval, the image of c's.
        const double q = kT975[0], ln2 = std::log(2.0);
        const GrowthFigure doubling = growthFigure(growthFigures(fit), Growth::doubling);
        QVERIFY(certified(*doubling.standardError, ln2 / (kRat42C * kRat42C) * kRat42SeC));
        QVERIFY(certified(doubling.lower, ln2 / (kRat42C + q * kRat42SeC)));
        QVERIFY(certified(doubling.upper, ln2 / (kRat42C - q * kRat42SeC)));
        // And far from the rise, where e^(c (t − t0)) overflows and the
        // gradient is a's alone or nothing: the bands a ± q √(SE(a)² [+ s²]), 0 ± q s.
        const std::optional<BandPoint> after = fitBandsAt(fit, 1e6), before = fitBandsAt(fit, -1e6);
        QVERIFY(after && certified(after->confidenceUpper, kRat42A + q * kRat42SeA));
        QVERIFY(certified(after->predictionLower, kRat42A - q * std::hypot(kRat42SeA, kRat42S)));
        QVERIFY(before && before->confidenceLower == 0 && before->confidenceUpper == 0);
        QVERIFY(certified(before->predictionUpper, q * kRat42S));
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

    // At Rat42's certified values against the delta method written out, all
    // free and with some held: a held parameter has no column, a figure that
    // moves with no free parameter is fixed, q counts the held ones as no
    // parameters, and the slope's and the lag's intervals are value ± q SE.
    void deltaMethod_data()
    {
        QTest::addColumn<Held>("held");
        QTest::addColumn<double>("q");
        QTest::newRow("nothing held") << Held{} << kT975[0];
        QTest::newRow("t0 held leaves the lag's error to c alone")
                << Held{false, false, true} << kT975[1];
        QTest::newRow("c held fixes both times and leaves the slope's error to a")
                << Held{false, true, false} << kT975[1];
        QTest::newRow("a and c held fix the slope and leave the lag's error to t0")
                << Held{true, true, false} << kT975[2];
        QTest::newRow("every parameter held leaves the prediction band q s alone")
                << Held{true, true, true} << kT975[3];
    }

    void deltaMethod()
    {
        QFETCH(Held, held);
        QFETCH(double, q);
        const Parameters p{kRat42A, kRat42C, kRat42T0};
        const FitStatistics fit = fitStatistics(p, held, kRat42.points());
        const DeltaMethod delta(p, held, kRat42);
        for (size_t i = 0; i < 3; ++i)
            for (size_t j = 0; j < 3; ++j)
                QVERIFY(near(fit.covariance[i][j], delta.cov[i][j], 1e-6, 1e-15));
        const GrowthFigures figures = growthFigures(fit);
        for (int k = 0; k < kGrowthCount; ++k) {
            const GrowthFigure &g = figures[size_t(k)];
            const Triple gradient = delta.gradient(kGrowth[k]);
            QCOMPARE(g.fixed, gradient == Triple{});
            QCOMPARE(g.standardError.has_value(), !g.fixed);
            if (g.fixed)
                continue;
            const double se = std::sqrt(delta.variance(gradient));
            QVERIFY(near(*g.standardError, se, 1e-6));
            if (Growth(k) == Growth::maxSlope || Growth(k) == Growth::lag)
                QVERIFY(near(g.upper - *g.value, q * se, 1e-6)
                        && near(*g.value - g.lower, q * se, 1e-6));
        }
        for (const double t : {0.0, 9.0, kRat42T0, 79.0, 150.0}) {
            const std::optional<BandPoint> band = fitBandsAt(fit, t);
            const Figure curve = [t](const Triple &x) { return DeltaMethod::model(x, t); };
            const double v = delta.variance(delta.gradient(curve));
            QVERIFY(band && near(band->f, curve(delta.p), 1e-12));
            QVERIFY(near(band->confidenceUpper - band->f, q * std::sqrt(v), 1e-6, 1e-12));
            QVERIFY(near(band->f - band->predictionLower, q * std::sqrt(delta.s2 + v), 1e-6));
        }
    }

    // Where a time has no value or no upper end, where no figure has one, and
    // where the statistics give no bands.
    void growthWithoutValue_data()
    {
        QTest::addColumn<Sample>("sample");
        QTest::addColumn<Parameters>("p");
        QTest::addColumn<QList<bool>>("hasValue"); // in the order of Growth
        QTest::addColumn<bool>("timesUnbounded");
        QTest::addColumn<bool>("bands");
        const Sample noisy = logisticSample(8, 0.9, 6, 20, 0.05);
        QTest::newRow("a falling curve has no times but a slope and a lag")
                << noisy << Parameters{8, -0.5, 6} << QList<bool>{false, false, true, true} << false
                << true;
        QTest::newRow("c at 0 has no times and no lag, and a slope of 0")
                << noisy << Parameters{8, 0, 6} << QList<bool>{false, false, true, false} << false
                << false;
        QTest::newRow("c's interval reaching below 0 leaves the times without an upper end")
                << Sample{{0, 2, 4, 6, 8}, {1, 1.5, 4, 3, 4.2}} << Parameters{4, 0.5, 3}
                << QList<bool>{true, true, true, true} << true << true;
        QTest::newRow("no best fit has no figure")
                << Sample{{0, 1, 2, 3}, {2, 2, 2, 2}} << Parameters{qQNaN(), qQNaN(), qQNaN()}
                << QList<bool>{false, false, false, false} << false << false;
    }

    void growthWithoutValue()
    {
        QFETCH(Sample, sample);
        QFETCH(Parameters, p);
        QFETCH(QList<bool>, hasValue);
        QFETCH(bool, timesUnbounded);
        QFETCH(bool, bands);
        const FitStatistics fit = std::isnan(p.a)
                ? bestFitStatistics(bestFit({5, 1, 0}, {}, sample.points()), {}, sample.points())
                : fitStatistics(p, {}, sample.points());
        const GrowthFigures figures = growthFigures(fit);
        for (int k = 0; k < kGrowthCount; ++k) {
            QCOMPARE(figures[size_t(k)].value.has_value(), hasValue[k]);
            if (figures[size_t(k)].value)
                QCOMPARE(*figures[size_t(k)].value, kGrowth[k]({p.a, p.c, p.t0}));
        }
        for (const Growth time : {Growth::doubling, Growth::tenToNinety}) {
            const GrowthFigure &g = growthFigure(figures, time);
            QCOMPARE(std::isinf(g.upper), timesUnbounded);
            if (timesUnbounded)
                QVERIFY(g.standardError && g.lower > 0 && g.lower < *g.value);
        }
        QCOMPARE(bandsAvailable(fit), bands);
        QCOMPARE(fitBandsAt(fit, 3).has_value(), bands);
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
