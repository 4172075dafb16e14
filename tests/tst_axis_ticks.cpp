#include "core_support.h"

#include "numeric/axis_ticks.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <random>
#include <vector>

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();

// The double the C library reads for m·10^e: the nearest to that decimal.
double decimal(int m, int e)
{
    char text[32];
    std::snprintf(text, sizeof text, "%de%d", m, e);
    return std::strtod(text, nullptr);
}

// Whether `value` is the double of its own decimal with -exponent digits
// after the point (none where the exponent is positive), as printf writes it.
bool isShortDecimal(double value, int exponent)
{
    char text[512];
    std::snprintf(text, sizeof text, "%.*f", std::max(0, -exponent), value);
    return std::strtod(text, nullptr) == value;
}

} // namespace

class tst_AxisTicks : public QObject
{
    Q_OBJECT

private slots:
    void stepIsTheNextNiceNumber_data()
    {
        QTest::addColumn<double>("least");
        QTest::addColumn<double>("step");
        QTest::addColumn<int>("exponent");
        QTest::newRow("1 is a step already") << 1.0 << 1.0 << 0;
        QTest::newRow("just above 1 gives 2") << 1.0000001 << 2.0 << 0;
        QTest::newRow("3 gives 5") << 3.0 << 5.0 << 0;
        QTest::newRow("7 gives one ten") << 7.0 << 10.0 << 1;
        QTest::newRow("0,3 gives 0,5") << 0.3 << 0.5 << -1;
        QTest::newRow("0,0012 gives 0,002") << 0.0012 << 0.002 << -3;
        QTest::newRow("4E-06 gives the decimal 5E-06, not its product 5 x 1E-06")
                << 4e-6 << 5e-6 << -6;
        QTest::newRow("9E+22 gives the decimal 1E+23") << 9e22 << 1e23 << 23;
        QTest::newRow("0 has no step of its own: 1") << 0.0 << 1.0 << 0;
        QTest::newRow("NaN: 1") << kNaN << 1.0 << 0;
    }

    void stepIsTheNextNiceNumber()
    {
        QFETCH(double, least);
        QFETCH(double, step);
        QFETCH(int, exponent);
        const TickStep got = stepAtLeast(least);
        // The very double, which QCOMPARE's fuzzy comparison would not tell.
        QVERIFY2(got.step == step, qPrintable(QString::number(got.step, 'g', 17)));
        QCOMPARE(got.exponent, exponent);
    }

    // Over spans from 1E-12 to 1E+12 on plots from 3 to 3000 pixels: the
    // step is 1, 2 or 5 times 10^exponent, the very double of that decimal;
    // it is at least the span a tick should cover and the nice number below
    // it is not; the ticks lie within the range, equally spaced by the step,
    // with no room for another at either end; their count is within what the
    // spacing asks, give or take the factor between two nice numbers; and
    // each rounded tick is the short decimal it shows.
    void ticksOfAnyRange()
    {
        std::mt19937 random(20240611);
        std::uniform_real_distribution<double> uniform(0, 1);
        for (int k = 0; k < 3000; ++k) {
            const double span = std::pow(10.0, -12 + 24 * uniform(random));
            const double low = (uniform(random) * 20 - 10) * span, high = low + span;
            const double length = 3 + 2997 * uniform(random), spacing = 20 + 80 * uniform(random);
            const TickStep step = stepFor(span, length, spacing);
            const QByteArray row = QByteArray::number(k);
#define CHECK(condition) QVERIFY2(condition, row.constData())
            const double mantissa = step.step / std::pow(10.0, step.exponent);
            const int m = int(std::lround(mantissa));
            CHECK((m == 1 || m == 2 || m == 5) && std::fabs(mantissa - m) < 1e-9);
            CHECK(step.step == decimal(m, step.exponent));
            const double most = std::max(1.0, length / spacing), rough = span / most;
            const double smaller = m == 1 ? decimal(5, step.exponent - 1)
                                          : decimal(m == 2 ? 1 : 2, step.exponent);
            CHECK(step.step >= rough * (1 - 1e-12) && smaller < rough);

            const std::vector<double> ticks = linearTicks(low, high, step);
            CHECK(double(ticks.size()) <= most + 1 && ticks.size() >= std::floor(most / 2.5));
            const double slack = 1e-9 * step.step;
            for (size_t j = 0; j < ticks.size(); ++j) {
                CHECK(ticks[j] >= low - slack && ticks[j] <= high);
                CHECK(j == 0 || std::fabs(ticks[j] - ticks[j - 1] - step.step) <= slack);
                const double shown = roundToStep(ticks[j], step);
                CHECK(std::fabs(shown - ticks[j]) <= slack + 1e-15 * std::fabs(ticks[j]));
                CHECK(isShortDecimal(shown, step.exponent));
            }
            CHECK(ticks.empty() || ticks.front() - step.step < low + slack);
            CHECK(ticks.empty() || ticks.back() + step.step > high - slack);
#undef CHECK
        }
    }

    void ticksOfHandWorkedRanges_data()
    {
        QTest::addColumn<double>("low");
        QTest::addColumn<double>("high");
        QTest::addColumn<double>("step");
        QTest::addColumn<int>("exponent");
        QTest::addColumn<std::vector<double>>("shown");
        QTest::newRow("c from 0,17 to 1,47 every 0,2")
                << 0.17 << 1.47 << 0.2 << -1
                << std::vector<double>{0.2, 0.4, 0.6, 0.8, 1, 1.2, 1.4};
        QTest::newRow("t0 from -0,6 to 4,7 every 1")
                << -0.6 << 4.7 << 1.0 << 0 << std::vector<double>{0, 1, 2, 3, 4};
        QTest::newRow("tenths from 0,1 to 0,3 read as short decimals")
                << 0.1 << 0.30000000000000004 << 0.1 << -1 << std::vector<double>{0.1, 0.2, 0.3};
        QTest::newRow("thousands across zero")
                << -2500.0 << 1200.0 << 1000.0 << 3 << std::vector<double>{-2000, -1000, 0, 1000};
        QTest::newRow("a range between two steps has none")
                << 0.5 << 0.9 << 1.0 << 0 << std::vector<double>{};
        QTest::newRow("an end that is not a number gives none")
                << kNaN << 1.0 << 1.0 << 0 << std::vector<double>{};
    }

    void ticksOfHandWorkedRanges()
    {
        QFETCH(double, low);
        QFETCH(double, high);
        QFETCH(double, step);
        QFETCH(int, exponent);
        QFETCH(std::vector<double>, shown);
        std::vector<double> got;
        for (const double tick : linearTicks(low, high, {step, exponent}))
            got.push_back(roundToStep(tick, {step, exponent}));
        QCOMPARE(got, shown);
    }

    // A step far finer than the numbers it is added to can no longer move k:
    // the count bounds the loop.
    void tooFineAStepStopsAtTheMostTicks()
    {
        const std::vector<double> ticks = linearTicks(1e20, 2e20, {1.0, 0});
        QCOMPARE(int(ticks.size()), kMostTicks);
        QVERIFY(ticks.front() >= 1e20 && ticks.back() <= 2e20);
    }

    void decadesHoldTheValues_data()
    {
        QTest::addColumn<std::vector<double>>("values");
        QTest::addColumn<int>("low");
        QTest::addColumn<int>("high");
        QTest::newRow("0,5 to 80 take 0,1 to 100") << std::vector<double>{80, 0.5} << -1 << 2;
        QTest::newRow("a single 100 takes the decade above it")
                << std::vector<double>{100} << 2 << 3;
        QTest::newRow("zeros, negatives and non-numbers are left out")
                << std::vector<double>{0, -5, 3e-7, kNaN, HUGE_VAL, 42} << -7 << 2;
        QTest::newRow("the least subnormal") << std::vector<double>{5e-324} << -324 << -323;
        QTest::newRow("no value takes 1 to 10") << std::vector<double>{} << 0 << 1;
    }

    void decadesHoldTheValues()
    {
        QFETCH(std::vector<double>, values);
        QFETCH(int, low);
        QFETCH(int, high);
        QCOMPARE(decadesHolding(values), (DecadeRange{low, high}));
    }

    void labelsStandApart_data()
    {
        QTest::addColumn<int>("intervals");
        QTest::addColumn<double>("length");
        QTest::addColumn<double>("labelSize");
        QTest::addColumn<int>("every");
        QTest::newRow("10 decades over 100 px take every second") << 10 << 100.0 << 17.0 << 2;
        QTest::newRow("labels that just fit are all kept") << 5 << 85.0 << 17.0 << 1;
        QTest::newRow("where not even two fit, only the first") << 2 << 10.0 << 17.0 << 3;
        QTest::newRow("an axis of no length takes only the first") << 6 << 0.0 << 17.0 << 7;
    }

    void labelsStandApart()
    {
        QFETCH(int, intervals);
        QFETCH(double, length);
        QFETCH(double, labelSize);
        QFETCH(int, every);
        QCOMPARE(labelEvery(intervals, length, labelSize), every);
    }

    void rangeIsFramedToTheData_data()
    {
        QTest::addColumn<double>("least");
        QTest::addColumn<double>("largest");
        QTest::addColumn<double>("low");
        QTest::addColumn<double>("high");
        QTest::newRow("-2 to 11,2 gain 0,66") << -2.0 << 11.2 << -2.66 << 11.86;
        QTest::newRow("a single 5 stands in the middle") << 5.0 << 5.0 << 3.9 << 6.1;
        QTest::newRow("no value frames 0") << HUGE_VAL << -HUGE_VAL << -1.1 << 1.1;
    }

    void rangeIsFramedToTheData()
    {
        QFETCH(double, least);
        QFETCH(double, largest);
        QFETCH(double, low);
        QFETCH(double, high);
        const ValueRange range = framedRange(least, largest);
        QCOMPARE_NEAR(range.low, low);
        QCOMPARE_NEAR(range.high, high);
    }
};

QTEST_APPLESS_MAIN(tst_AxisTicks)
#include "tst_axis_ticks.moc"
