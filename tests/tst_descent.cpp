// The descent's sums and batch against the model as it is defined, with six
// exponentials per point, each function on its own: the same doubles at every
// step, and the same faults at the same step with the same sums.

#include "core_support.h"
#include "numeric/descent.h"
#include "numeric/fault.h"

#include <QTest>

#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

namespace {

constexpr double kLimit = 709.782712893384;
constexpr double kNoFault = std::numeric_limits<double>::infinity();

double ck(double x)
{
    if (!std::isfinite(x))
        throw Fault();
    return x;
}

double ex(double x)
{
    if (!(x <= kLimit))
        throw Fault();
    return std::exp(x);
}

// f = a / (1 + e^(-c·d)), parL = 1 / (1 + e^(-c·d)), parC = d·a / (e^(c·d) + 2 +
// e^(-c·d)), parT = -c·a / (the same), d = t - t0, summed point after point.
void oracleSums(const Parameters &p, Held held, const Points &points, Sums &s)
{
    s = {};
    for (s.done = 0; s.done < points.n; ++s.done) {
        const size_t k = size_t(s.done);
        if (k >= points.t.size())
            throw Fault();
        const double t = points.t[k];
        const double f = p.a / (ex(ck(ck(t - p.t0) * -p.c)) + 1);
        if (k >= points.y.size())
            throw Fault();
        const double r = ck(f - points.y[k]);
        const double pl = held.a ? 0.0 : 1 / (ex(ck(ck(t - p.t0) * -p.c)) + 1);
        s.L = ck(s.L + ck(ck(r + r) * pl));
        double pc = 0.0, pt = 0.0;
        if (!held.c) {
            const double d = ck(t - p.t0);
            const double below = (ex(ck(d * p.c)) + 2) + ex(d * -p.c);
            pc = ck(d * p.a) / below;
        }
        s.C = ck(s.C + ck(ck(r + r) * pc));
        if (!held.t0) {
            const double d = ck(t - p.t0);
            const double below = (ex(ck(d * p.c)) + 2) + ex(d * -p.c);
            pt = ck(-p.c * p.a) / below;
        }
        s.T = ck(s.T + ck(ck(r + r) * pt));
        s.E = ck(s.E + ck(r * r));
    }
}

// The parameters an evaluation was made at and its sums, as one record.
using Record = std::array<double, 8>;

Record record(const Parameters &p, const Sums &s)
{
    return {p.a, p.c, p.t0, s.L, s.C, s.T, s.E, double(s.done)};
}

// Bit for bit: ±0 and every last bit count.
bool same(const std::vector<Record> &x, const std::vector<Record> &y)
{
    return x.size() == y.size() && std::memcmp(x.data(), y.data(), x.size() * sizeof(Record)) == 0;
}

} // namespace

class tst_Descent : public QObject
{
    Q_OBJECT

private slots:
    void sameDoublesAndFaultsAsSixExponentials_data()
    {
        QTest::addColumn<QList<double>>("t");
        QTest::addColumn<QList<double>>("y");
        QTest::addColumn<int>("n");
        QTest::addColumn<QList<double>>("start"); // a, c, t0
        QTest::addColumn<QString>("held");        // of "act"
        QTest::addColumn<double>("s");
        QTest::addColumn<int>("evaluations"); // before the fault, if one strikes
        QTest::addColumn<int>("faultAt");     // the point it strikes at, -1 for none

        const Sample twenty = logisticSample(8, 0.9, 6, 20, 0.05);
        const QList<double> t(twenty.t.begin(), twenty.t.end()),
                y(twenty.y.begin(), twenty.y.end());
        const QList<double> three{0, 1, kLimit}, threeY{1, 2, 3}, start{5, 1, 0};
        const double beyond = std::nextafter(kLimit, kNoFault);
        const QList<double> threeBeyond{0, 1, beyond};
        auto row = [](const char *name, const QList<double> &t, const QList<double> &y, int n,
                      const QList<double> &start, const char *held, double s, int evaluations,
                      int faultAt) {
            QTest::newRow(name) << t << y << n << start << QString::fromLatin1(held) << s
                                << evaluations << faultAt;
        };
        row("twenty points", t, y, 20, start, "", 0.001, 10000, -1);
        row("a held", t, y, 20, start, "a", 0.001, 10000, -1);
        row("c held", t, y, 20, start, "c", 0.001, 10000, -1);
        row("t0 held", t, y, 20, start, "t", 0.001, 10000, -1);
        row("c and t0 held", t, y, 20, start, "ct", 0.001, 10000, -1);
        row("all held", t, y, 20, start, "act", 0.001, 10000, -1);
        row("c = 0, a point at t0", t, y, 20, {5, 0, 7}, "", 0.001, 10000, -1);
        row("a step that runs off to a fault", t, y, 20, start, "", 0.5, 2, 0);
        // u = (t - t0)·(-c) at the limit and one ulp beyond, for e^u and for e^-u.
        row("u at the limit", three, threeY, 3, {2, -1, 0}, "", 0.0, 10000, -1);
        row("u one ulp beyond, in the second block", t + QList<double>{beyond},
            y + QList<double>{1}, 21, {5, -1, 0}, "", 0.001, 0, 20);
        row("-u at the limit", three, threeY, 3, {2, 1, 0}, "", 0.0, 10000, -1);
        row("-u one ulp beyond: faults at parC, after L", threeBeyond, threeY, 3, {2, 1, 0}, "",
            0.001, 0, 2);
        row("-u one ulp beyond, c held: faults at parT", threeBeyond, threeY, 3, {2, 1, 0}, "c",
            0.001, 0, 2);
        row("-u one ulp beyond, c and t0 held: no slope, no fault", threeBeyond, threeY, 3,
            {2, 1, 0}, "ct", 0.001, 10000, -1);
        row("r·r overflows after L, C and T", {0, 1, 2}, {1, 2, 1e200}, 3, {2, 1, 0}, "", 0.001, 0,
            2);
        row("d·a overflows in parC, after L", {0, 1e300}, {5e9, 5e9}, 2, {1e10, 1e-310, 0}, "",
            0.001, 0, 1);
        row("a non-finite t", {0, 1, kNoFault}, threeY, 3, {2, 1, 0}, "", 0.001, 0, 2);
        row("a non-finite t, c and t0 held: e^u is 0, yet it faults", {0, 1, kNoFault}, threeY, 3,
            {2, 1, 0}, "ct", 0.001, 0, 2);
        row("y beyond its array", t, y.first(19), 20, start, "", 0.001, 0, 19);
        row("t beyond its array", t.first(17), y, 20, start, "", 0.001, 0, 17);
    }

    void sameDoublesAndFaultsAsSixExponentials()
    {
        QFETCH(QList<double>, t);
        QFETCH(QList<double>, y);
        QFETCH(int, n);
        QFETCH(QList<double>, start);
        QFETCH(QString, held);
        QFETCH(double, s);
        QFETCH(int, evaluations);
        QFETCH(int, faultAt);
        const Points points{t, y, n};
        const Held h{held.contains('a'), held.contains('c'), held.contains('t')};
        const int steps = 10000;

        // Every evaluation, then where a fault left the parameters and the sums.
        std::vector<Record> oracle, program;
        Parameters p{start[0], start[1], start[2]};
        Sums sums;
        try {
            for (int k = 0; k < steps; ++k) {
                oracleSums(p, h, points, sums);
                oracle.push_back(record(p, sums));
                p.c = ck(p.c - ck(s * sums.C));
                p.a = ck(p.a - ck(s * sums.L));
                p.t0 = ck(p.t0 - ck(s * sums.T));
            }
        } catch (const Fault &) {
            QCOMPARE(int(oracle.size()), evaluations);
            QCOMPARE(sums.done, faultAt);
            oracle.push_back(record(p, sums));
        }
        QCOMPARE(int(oracle.size()), faultAt < 0 ? steps : evaluations + 1);

        p = {start[0], start[1], start[2]};
        try {
            const BatchEnd end = descentBatch(p, h, points, s, steps, kNoFault, sums,
                                              [&](const Parameters &at, const Sums &sum) {
                                                  program.push_back(record(at, sum));
                                              });
            QCOMPARE(end.evaluations, steps);
        } catch (const Fault &) {
            program.push_back(record(p, sums));
        }
        QVERIFY(same(program, oracle));
    }
};

QTEST_APPLESS_MAIN(tst_Descent)
#include "tst_descent.moc"
