#include "core_support.h"

#include "numeric/decimal_rounding.h"
#include "numeric/error_surface.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

namespace {

// E written out in long double, whose range holds every g² below.
long double directError(long double a, double c, double t0, const Sample &s)
{
    long double E = 0;
    for (size_t k = 0; k < s.t.size(); ++k) {
        const long double r = a / (1 + std::exp(-(long double)c * (s.t[k] - t0))) - s.y[k];
        E += r * r;
    }
    return E;
}

// The a that makes the direct E least, by golden-section search on a bracket
// that the minimum lies in.
long double searchedA(double c, double t0, const Sample &s, long double low, long double high)
{
    const long double ratio = (std::sqrt(5.0L) - 1) / 2;
    for (int k = 0; k < 200; ++k) {
        const long double l = high - ratio * (high - low), r = low + ratio * (high - low);
        if (directError(l, c, t0, s) < directError(r, c, t0, s))
            high = r;
        else
            low = l;
    }
    return (low + high) / 2;
}

Sample twoPoints(double t1, double y1, double t2, double y2)
{
    return {{t1, t2}, {y1, y2}};
}

} // namespace

Q_DECLARE_METATYPE(Sample)

class tst_ErrorSurface : public QObject
{
    Q_OBJECT

private slots:
    // a* against a search over a, and E there against the direct sum.
    void optimalAMinimisesE_data()
    {
        QTest::addColumn<Sample>("sample");
        QTest::addColumn<double>("c");
        QTest::addColumn<double>("t0");
        QTest::addColumn<double>("bracket"); // a* lies in 0 .. bracket
        QTest::newRow("on the valley floor of a known curve")
                << logisticSample() << 0.9 << 6.0 << 20.0;
        QTest::newRow("away from it, with noise")
                << logisticSample(8, 0.9, 6, 20, 0.3) << 0.3 << -4.0 << 20.0;
        QTest::newRow("a falling curve for increasing points")
                << logisticSample() << -1.5 << 15.0 << 1e6;
        QTest::newRow("every point so deep in the lower tail that g² underflows")
                << twoPoints(-200, 1, -199, 2) << 3.0 << 0.0 << 1e270;
    }

    void optimalAMinimisesE()
    {
        QFETCH(Sample, sample);
        QFETCH(double, c);
        QFETCH(double, t0);
        QFETCH(double, bracket);
        const std::optional<double> best = optimalA(c, t0, sample.points());
        QVERIFY(best);
        const long double searched = searchedA(c, t0, sample, 0, bracket);
        QVERIFY2(std::fabs(*best - searched) <= 1e-7 * std::fabs(searched),
                 qPrintable(QStringLiteral("a* %1, searched %2").arg(*best).arg(double(searched))));
        // On the floor of the valley E is rounding alone, hence the absolute part.
        const double E = mapError(-99, c, t0, {}, sample.points());
        QVERIFY(near(E, double(directError(searched, c, t0, sample)), 1e-9, 1e-12));
    }

    // With a held, E is the direct sum at that a, and a* plays no part.
    void heldAGivesTheDirectSum_data()
    {
        QTest::addColumn<double>("a");
        QTest::addColumn<double>("c");
        QTest::addColumn<double>("t0");
        QTest::newRow("the start values") << 5.0 << 1.0 << 0.0;
        QTest::newRow("the curve itself") << 8.0 << 0.9 << 6.0;
        QTest::newRow("a corner of the bars") << 20.0 << -6.0 << 20.0;
    }

    void heldAGivesTheDirectSum()
    {
        QFETCH(double, a);
        QFETCH(double, c);
        QFETCH(double, t0);
        const Sample sample = logisticSample(8, 0.9, 6, 20, 0.1);
        const double E = mapError(a, c, t0, {true, false, false}, sample.points());
        QVERIFY(near(E, double(directError(a, c, t0, sample)), 1e-12, 1e-300));
    }

    // Row 0 is the top of the rectangle, column 0 its left side, and each
    // value is taken at the centre of its cell.
    void surfaceCellsLieWhereTheGridSays()
    {
        const Sample sample = logisticSample(8, 0.9, 6, 20, 0.1);
        const SurfaceGrid grid{-1, 3, -2, 10, 4, 3}; // cells 1 wide and 4 high
        const std::vector<double> surface = errorSurface(grid, 7, {true}, sample.points());
        QCOMPARE(surface.size(), size_t(12));
        const struct
        {
            int column, row;
            double c, t0;
        } cells[] = {{0, 0, -0.5, 8}, {3, 0, 2.5, 8}, {0, 2, -0.5, 0}, {2, 1, 1.5, 4}};
        for (const auto &cell : cells)
            QCOMPARE_NEAR(surface[size_t(cell.row * 4 + cell.column)],
                          std::log10(double(directError(7, cell.c, cell.t0, sample))));
    }

    // The surface against mapError at every cell centre: grey exactly where
    // mapError is NaN, the same value up to its last bits elsewhere, and the
    // same doubles whether its rows are computed at once or in bands.
    void surfaceAgreesWithMapError_data()
    {
        QTest::addColumn<Sample>("sample");
        QTest::addColumn<QList<double>>("frame"); // c low, c high, t0 low, t0 high
        QTest::addColumn<int>("held");            // 1 a, 2 c and t0
        QTest::addColumn<bool>("grey");           // some cell is
        Sample years = logisticSample(8, 0.4, 10, 20, 0.1);
        for (double &t : years.t)
            t += 1990;
        const Sample far = twoPoints(0, 1, 1000, 2);
        QTest::newRow("the valley of twenty points")
                << logisticSample(8, 0.9, 6, 20, 0.1) << QList<double>{0.2, 1.6, -1, 8} << 0
                << false;
        QTest::newRow("a held") << logisticSample(8, 0.9, 6, 20, 0.1)
                                << QList<double>{-3, 3, -20, 30} << 1 << false;
        QTest::newRow("grey on both sides of c = 0")
                << far << QList<double>{-1.5, 1.5, -200, 1200} << 0 << true;
        QTest::newRow("c and t0 held: grey on one side only")
                << far << QList<double>{-1.5, 1.5, -200, 1200} << 2 << true;
        QTest::newRow("years: factors beyond their limit, and grey")
                << years << QList<double>{-6, 6, 1500, 2500} << 0 << true;
    }

    void surfaceAgreesWithMapError()
    {
        QFETCH(Sample, sample);
        QFETCH(QList<double>, frame);
        QFETCH(int, held);
        QFETCH(bool, grey);
        const Held h{(held & 1) != 0, (held & 2) != 0, (held & 2) != 0};
        const SurfaceGrid grid{frame[0], frame[1], frame[2], frame[3], 37, 29};
        const std::vector<double> surface = errorSurface(grid, 6, h, sample.points());
        bool anyGrey = false;
        for (int row = 0; row < grid.rows; ++row)
            for (int column = 0; column < grid.columns; ++column) {
                const double E = mapError(6, grid.c(column), grid.t0(row), h, sample.points());
                const double value = surface[size_t(row * grid.columns + column)];
                QCOMPARE(std::isnan(value), std::isnan(E));
                anyGrey = anyGrey || std::isnan(E);
                if (!std::isnan(E))
                    QVERIFY2(std::fabs(value - std::log10(E)) <= 1e-12,
                             qPrintable(QStringLiteral("row %1 column %2").arg(row).arg(column)));
            }
        QCOMPARE(anyGrey, grey);

        const SurfaceColumns columns = surfaceColumns(grid, sample.points());
        std::vector<double> bands(surface.size());
        for (const auto &[begin, end] : {std::pair{0, 5}, std::pair{5, 6}, std::pair{6, 40}})
            errorSurfaceRows(grid, columns, 6, h, sample.points(), begin, end, bands);
        QVERIFY(std::memcmp(bands.data(), surface.data(), surface.size() * sizeof(double)) == 0);
    }

    // Where the program's own evaluation would fault the value is NaN, and
    // nothing throws.
    void noValueWhereTheEvaluationFaults_data()
    {
        QTest::addColumn<Sample>("sample");
        QTest::addColumn<int>("count");
        QTest::addColumn<double>("c");
        QTest::addColumn<bool>("cAndT0Held");
        QTest::addColumn<bool>("hasValue");
        const Sample far = twoPoints(0, 1, 1000, 2);
        QTest::newRow("f overflows at t = 1000 when c is negative")
                << far << 2 << -1.0 << false << false;
        QTest::newRow("and so does a derivative when c is positive")
                << far << 2 << 1.0 << false << false;
        QTest::newRow("with c and t0 held only f is taken, which then stays finite")
                << far << 2 << 1.0 << true << true;
        QTest::newRow("a point short of the limit has a value") << far << 2 << 0.7 << false << true;
        QTest::newRow("no point") << far << 0 << 1.0 << false << false;
        QTest::newRow("a count beyond the arrays") << far << 3 << 1.0 << false << false;
    }

    void noValueWhereTheEvaluationFaults()
    {
        QFETCH(Sample, sample);
        QFETCH(int, count);
        QFETCH(double, c);
        QFETCH(bool, cAndT0Held);
        QFETCH(bool, hasValue);
        const Points points{sample.t, sample.y, count};
        for (const bool aHeld : {false, true}) {
            const Held held{aHeld, cAndT0Held, cAndT0Held};
            QCOMPARE(std::isnan(mapError(5, c, 0, held, points)), !hasValue);
            const std::vector<double> cell
                    = errorSurface({c - 1, c + 1, -1, 1, 1, 1}, 5, held, points);
            QCOMPARE(std::isnan(cell[0]), !hasValue);
        }
        QCOMPARE(optimalA(c, 0, points).has_value(), hasValue && !cAndT0Held);
    }

    // What a start chosen on the map writes into the boxes: the double that
    // reading the rounded text gives back.
    void roundsToTheDecimalItShows_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("exponent"); // of the decade, or -100 - significant digits
        QTest::addColumn<double>("expected");
        QTest::newRow("four digits of 0,812345678") << 0.812345678 << -104 << 0.8123;
        QTest::newRow("four digits carry into a fifth place") << 5.99996 << -104 << 6.0;
        QTest::newRow("a negative value rounds by its magnitude") << -3.30004999 << -104 << -3.3;
        QTest::newRow("a sum that missed its decimal") << 0.1 + 0.2 << -1 << 0.3;
        QTest::newRow("an exact half goes to the even digit, as printf does")
                << 0.125 << -2 << 0.12;
        QTest::newRow("tens") << 12345.0 << 1 << 12340.0;
        QTest::newRow("a decade above the value gives 0") << 0.04 << 0 << 0.0;
        QTest::newRow("0 stays") << 0.0 << -3 << 0.0;
    }

    void roundsToTheDecimalItShows()
    {
        QFETCH(double, value);
        QFETCH(int, exponent);
        QFETCH(double, expected);
        const double rounded = exponent <= -100 ? roundToDigits(value, -100 - exponent)
                                                : roundToDecade(value, exponent);
        QCOMPARE(rounded, expected);
    }
};

QTEST_APPLESS_MAIN(tst_ErrorSurface)
#include "tst_error_surface.moc"
