// The race of methods in the numeric core, with no application object. The
// methods are checked against the facts they are known by (a closed form, the
// order of convergence, a limit), the rate of plain descent against its own
// run, and the race's descent against the window's batch, bit for bit.

#include "core_support.h"
#include "numeric/race.h"

#include <QTest>

#include <atomic>
#include <chrono>
#include <cmath>
#include <limits>
#include <thread>
#include <vector>

Q_DECLARE_METATYPE(Parameters)
Q_DECLARE_METATYPE(Held)
Q_DECLARE_METATYPE(Method)
Q_DECLARE_METATYPE(RaceEnd)

namespace {

// A step size that stands for the best fixed step.
const double kBestStep = qQNaN();

double sigma(double c, double t0, double t)
{
    return 1 / (1 + std::exp(-c * (t - t0)));
}

// The noisy twenty points of the benchmarks, or a curve of another height.
Sample points(double a = 8, double noise = 0.05)
{
    return logisticSample(a, 0.9, 6, 20, noise);
}

RaceInput input(const Sample &data, Parameters start, Held held, double s, bool withBest = true)
{
    RaceInput in;
    in.start = start;
    in.held = held;
    in.setPoints(data.points());
    in.s = s;
    if (withBest)
        in.best = bestFit(start, held, data.points());
    return in;
}

double gradientLength(const Sums &sums)
{
    return std::sqrt(sums.L * sums.L + sums.C * sums.C + sums.T * sums.T);
}

double distance(const Parameters &p, const Parameters &q)
{
    return std::sqrt((p.a - q.a) * (p.a - q.a) + (p.c - q.c) * (p.c - q.c)
                     + (p.t0 - q.t0) * (p.t0 - q.t0));
}

Parameters offset(Parameters p, double by)
{
    return {p.a + by, p.c + by / 2, p.t0 + by};
}

} // namespace

class tst_Race : public QObject
{
    Q_OBJECT

private slots:
    // The order of convergence from the gradient g_k at successive iterates,
    // log(g_k+1 / g_k) / log(g_k / g_k-1): 2 for Newton, and for Gauss–Newton
    // only where the residuals vanish at the minimum; 1 where they do not.
    void orderOfConvergence_data()
    {
        QTest::addColumn<Method>("method");
        QTest::addColumn<Held>("held");
        QTest::addColumn<double>("noise");
        QTest::addColumn<double>("away"); // how far from the best fit it starts
        QTest::addColumn<bool>("quadratic");
        QTest::newRow("Newton near the best fit of the noisy points doubles its digits")
                << Method::newton << Held{} << 0.05 << 0.4 << true;
        QTest::newRow("Newton with c held does too")
                << Method::newton << Held{false, true, false} << 0.05 << 2.0 << true;
        QTest::newRow("Gauss-Newton with the residuals the noise leaves is only linear")
                << Method::gaussNewton << Held{} << 0.05 << 0.4 << false;
        QTest::newRow("Gauss-Newton on points that lie on a curve is quadratic")
                << Method::gaussNewton << Held{} << 0.0 << 0.4 << true;
    }

    void orderOfConvergence()
    {
        QFETCH(Method, method);
        QFETCH(Held, held);
        QFETCH(double, noise);
        QFETCH(double, away);
        QFETCH(bool, quadratic);
        const Sample data = points(8, noise);
        const BestFit best = bestFit({5, 1, 0}, held, data.points());
        QVERIFY(best.found());
        Evaluator evaluate(held, data.points());
        const Parameters start{best.p.a + 0.75 * away, best.p.c - (held.c ? 0 : 0.25 * away),
                               best.p.t0 + away};
        Iterate at{start, evaluate(start)};
        const auto stepper = makeMethod(method, 0, {});
        // Above this the gradient is well clear of its rounding.
        const double floor = 1e-12 * gradientLength(at.sums);
        std::vector<double> g{gradientLength(at.sums)};
        while (g.size() < 30 && g.back() > floor) {
            QCOMPARE(stepper->step(at, evaluate), StepEnd::moved);
            g.push_back(gradientLength(at.sums));
        }
        if (g.back() <= floor)
            g.pop_back();
        QVERIFY2(g.size() >= 4, qPrintable(QString::number(g.size())));
        for (size_t k = g.size() - 2; k < g.size(); ++k) {
            const double order = std::log(g[k] / g[k - 1]) / std::log(g[k - 1] / g[k - 2]);
            QVERIFY2(quadratic ? order > 1.8 : order < 1.2, qPrintable(QString::number(order)));
        }
    }

    // With only a free, the error e = a − a* follows a recurrence fixed by the
    // parabola's curvature λ: plain descent's e' = (1 − s λ) e, the heavy
    // ball's e' = (1 + β − s λ) e − β e⁻, Nesterov's e' = (1 + β)(1 − s λ) e −
    // β (1 − s λ) e⁻ (both starting as if e⁻ = e), and Gauss–Newton's e' = 0:
    // the model is linear in a, and one step lands on the vertex. Adam's bias
    // corrections make its first step α against the sign of the gradient,
    // whatever the gradient's size. c and t0 stay as they are held.
    void methodsOnAParabola_data()
    {
        QTest::addColumn<Method>("method");
        QTest::addColumn<double>("beta"); // or Adam's α
        QTest::addColumn<double>("s");
        QTest::addColumn<double>("c");
        QTest::addColumn<double>("t0");
        QTest::addColumn<double>("startA");
        QTest::addColumn<double>("noise");
        QTest::newRow("plain descent")
                << Method::descent << 0.0 << 0.01 << 0.8 << 5.5 << 9.0 << 0.05;
        QTest::newRow("Momento with β = 0,9")
                << Method::momentum << 0.9 << 0.01 << 0.8 << 5.5 << 9.0 << 0.05;
        QTest::newRow("Momento with β = 0,5 and a longer step")
                << Method::momentum << 0.5 << 0.05 << 0.8 << 5.5 << 9.0 << 0.05;
        QTest::newRow("Nesterov with β = 0,9")
                << Method::nesterov << 0.9 << 0.01 << 0.8 << 5.5 << 9.0 << 0.05;
        QTest::newRow("Nesterov with β = 0,5 and a longer step")
                << Method::nesterov << 0.5 << 0.05 << 0.8 << 5.5 << 9.0 << 0.05;
        QTest::newRow("Gauss-Newton from a = 5 with c and t0 at the curve's own values")
                << Method::gaussNewton << 0.0 << 0.0 << 0.9 << 6.0 << 5.0 << 0.05;
        QTest::newRow("Adam's first step, α = 0,01")
                << Method::adam << 0.01 << 0.0 << 0.8 << 5.5 << 9.0 << 0.05;
        QTest::newRow("Adam's first step from below, α = 0,001")
                << Method::adam << 0.001 << 0.0 << 0.8 << 5.5 << 2.0 << 0.05;
        QTest::newRow("Gauss-Newton on a falling curve, c held negative")
                << Method::gaussNewton << 0.0 << 0.0 << -0.7 << 10.0 << 2.0 << 0.05;
        QTest::newRow("points on the curve: E* = 0 is reached where E ≤ 10⁻¹⁸ Σy²")
                << Method::descent << 0.0 << 0.01 << 0.9 << 6.0 << 9.0 << 0.0;
    }

    void methodsOnAParabola()
    {
        QFETCH(Method, method);
        QFETCH(double, beta);
        QFETCH(double, s);
        QFETCH(double, c);
        QFETCH(double, t0);
        QFETCH(double, startA);
        QFETCH(double, noise);
        const Sample data = points(8, noise);
        double sy = 0, ss = 0, least = 0;
        for (size_t k = 0; k < data.t.size(); ++k) {
            sy += data.y[k] * sigma(c, t0, data.t[k]);
            ss += sigma(c, t0, data.t[k]) * sigma(c, t0, data.t[k]);
        }
        const double vertex = sy / ss, lambda = 2 * ss, shrink = 1 - s * lambda;
        for (size_t k = 0; noise != 0 && k < data.t.size(); ++k)
            least += std::pow(vertex * sigma(c, t0, data.t[k]) - data.y[k], 2);
        double now = 1 + beta - s * lambda, before = -beta;
        if (method == Method::nesterov)
            now = (1 + beta) * shrink, before = -beta * shrink;
        else if (method == Method::gaussNewton)
            now = before = 0;

        RaceInput in = input(data, {startA, c, t0}, {false, true, true}, s, false);
        in.best = {NoFit::none, {vertex, c, t0}, least, 0};
        in.settings.momentumBeta = in.settings.nesterovBeta = in.settings.adamAlpha = beta;
        const auto result = runMethod(method, in);
        QVERIFY(result && (result->reached() || method == Method::adam));
        QCOMPARE(result->iteration == 1, method == Method::gaussNewton);
        std::vector<double> e{startA - vertex}; // e⁻ = e at the start
        for (const PathStretch &stretch : result->path.stretches())
            if (stretch.first < 40 && stretch.from.c == c && stretch.from.t0 == t0)
                e.push_back(stretch.from.a - vertex);
        QVERIFY(e.size() >= 3);
        if (method == Method::adam)
            QVERIFY(std::fabs(e[2] - (e[1] - std::copysign(beta, e[1]))) < 1e-6 * beta);
        for (size_t k = 1; k + 1 < e.size() && method != Method::adam; ++k)
            QVERIFY2(std::fabs(e[k + 1] - (now * e[k] + before * e[k - 1])) < 1e-12,
                     qPrintable(QStringLiteral("iteration %1").arg(k)));
        if (noise == 0) { // E = λ/2 e0² (1 − s λ)^2k falls to 10⁻¹⁸ Σy²
            double sumOfSquares = 0;
            for (double y : data.y)
                sumOfSquares += y * y;
            const double k = std::log(2e-18 * sumOfSquares / (lambda * e[0] * e[0]))
                    / (2 * std::log(std::fabs(shrink)));
            QVERIFY2(std::fabs(result->iteration - std::ceil(k)) <= 1,
                     qPrintable(QString::number(result->iteration)));
        }
    }

    // Levenberg–Marquardt's step solves (JᵀJ + λ diag JᵀJ) δ = −Jᵀr: as λ → 0
    // it tends to the Gauss–Newton step, the difference shrinking with λ; as
    // λ → ∞ to −Jᵀr / (λ diag JᵀJ), a descent scaled per parameter.
    void levenbergMarquardtBetweenItsLimits_data()
    {
        QTest::addColumn<double>("lambda");
        QTest::newRow("λ = 10⁻² is within a few hundredths of Gauss-Newton") << 1e-2;
        QTest::newRow("λ = 10⁻⁴") << 1e-4;
        QTest::newRow("λ = 10⁻⁶") << 1e-6;
        QTest::newRow("λ = 10⁻⁸") << 1e-8;
        QTest::newRow("λ = 10⁸ is a descent scaled by the diagonal") << 1e8;
    }

    void levenbergMarquardtBetweenItsLimits()
    {
        QFETCH(double, lambda);
        const Sample data = points();
        const BestFit best = bestFit({5, 1, 0}, {}, data.points());
        Evaluator evaluate({}, data.points());
        const Parameters start = offset(best.p, 0.05);
        const Sums there = evaluate(start);

        Iterate lm{start, there};
        LevenbergMarquardt marquardt(lambda);
        QCOMPARE(marquardt.step(lm, evaluate), StepEnd::moved);
        QVERIFY(lm.sums.E < there.E); // so the trial was kept
        QCOMPARE(marquardt.lambda(), lambda / 10);

        if (lambda < 1) {
            Iterate gn{start, there};
            QCOMPARE(GaussNewton().step(gn, evaluate), StepEnd::moved);
            const double apart = distance(lm.p, gn.p) / distance(start, gn.p);
            QVERIFY2(apart > 0.1 * lambda && apart < 10 * lambda,
                     qPrintable(QString::number(apart)));
            return;
        }
        // diag JᵀJ from the derivatives of a σ(c (t − t0)) written out here.
        const Parameters p = start;
        double diagonal[3] = {0, 0, 0};
        for (size_t k = 0; k < data.t.size(); ++k) {
            const double s = sigma(p.c, p.t0, data.t[k]), slope = s * (1 - s);
            diagonal[0] += s * s;
            diagonal[1] += std::pow(p.a * (data.t[k] - p.t0) * slope, 2);
            diagonal[2] += std::pow(p.a * p.c * slope, 2);
        }
        const double moved[3] = {lm.p.a - p.a, lm.p.c - p.c, lm.p.t0 - p.t0};
        const double half[3] = {there.L / 2, there.C / 2, there.T / 2};
        for (int j = 0; j < 3; ++j)
            QVERIFY2(near(moved[j] * (1 + lambda) * diagonal[j], -half[j], 1e-4, 0),
                     qPrintable(QString::number(j)));
    }

    // Near the minimum E − E* shrinks by ρ² per step, so the rate the race's
    // descent shows over its last decades is the one its Hessian predicts.
    void measuredRateMatchesTheCurvature_data()
    {
        QTest::addColumn<Held>("held");
        QTest::addColumn<double>("s");          // or kBestStep
        QTest::addColumn<bool>("nearStart");    // from just beside the best fit, else 5, 1, 0
        QTest::addColumn<bool>("approaches");   // whether ρ < 1
        QTest::addColumn<bool>("oneCurvature"); // the only λ, in closed form
        QTest::newRow("the start values with the step 0,001")
                << Held{} << 0.001 << false << true << false;
        QTest::newRow("a step of 0,04, where the steepest direction sets the pace")
                << Held{} << 0.04 << true << true << false;
        QTest::newRow("the best fixed step, where both ends shrink alike")
                << Held{} << kBestStep << true << true << false;
        QTest::newRow("c held") << Held{false, true, false} << 0.005 << false << true << false;
        QTest::newRow("only a free: one curvature, 2 Σ σ²")
                << Held{false, true, true} << 0.01 << false << true << true;
        QTest::newRow("a step past 2 / λmax never approaches")
                << Held{} << 0.05 << true << false << false;
        QTest::newRow("t0 held at 0 puts 0,001 past 2 / λmax: the descent stalls short")
                << Held{false, false, true} << 0.001 << false << false << false;
    }

    void measuredRateMatchesTheCurvature()
    {
        QFETCH(Held, held);
        QFETCH(double, s);
        QFETCH(bool, nearStart);
        QFETCH(bool, approaches);
        QFETCH(bool, oneCurvature);
        const Sample data = points();
        const BestFit best = bestFit({5, 1, 0}, held, data.points());
        QVERIFY(best.found());
        const auto prior = whyItCrawls(best, held, data.points(), 0.001);
        QVERIFY(prior);
        if (std::isnan(s))
            s = prior->bestStep;
        RaceInput in = input(data, nearStart ? offset(best.p, 0.01) : Parameters{5, 1, 0}, held, s);
        in.settings.enabled = {true, false, false, false, false, false, false};
        const auto result = race(in);
        QVERIFY(result && result->crawl);
        const Crawl &crawl = *result->crawl;
        QCOMPARE(bool(crawl.predicted), approaches);
        QCOMPARE(bool(crawl.measured), approaches);
        if (approaches) {
            QVERIFY2(near(*crawl.measured, *crawl.predicted, 0.02, 0),
                     qPrintable(QString::number(*crawl.measured)));
            QVERIFY(result->methods[0].reached());
        }
        if (s == prior->bestStep)
            QCOMPARE_NEAR(crawl.factor, crawl.bestFactor);
        if (oneCurvature) {
            double lambda = 0;
            for (double t : data.t)
                lambda += 2 * std::pow(sigma(best.p.c, best.p.t0, t), 2);
            QCOMPARE(int(crawl.curvatures.size()), 1);
            QCOMPARE_NEAR(crawl.curvatures[0], lambda);
            QCOMPARE(crawl.condition, 1.0);
            QCOMPARE(crawl.bestFactor, 0.0);
            QCOMPARE_NEAR(crawl.factor, std::fabs(1 - s * lambda));
        }
    }

    // The race's descent is the window's: the same sums and updates, so every
    // sampled iteration holds the very bits of the window's batch (run here
    // with no error before it that could stop it), and a fault strikes both
    // at the same step. The race has no scroll bars to stop it. Its path
    // holds every iteration in order, in stretches narrow on a logarithmic
    // axis (at most 1/32 of their first iteration wide, after the first 64,
    // which stand alone), so that 100000 iterations fit in a few hundred.
    void plainDescentIsTheWindowsDescent_data()
    {
        QTest::addColumn<double>("curveA");
        QTest::addColumn<Parameters>("start");
        QTest::addColumn<Held>("held");
        QTest::addColumn<double>("s");
        QTest::addColumn<bool>("withBest");
        QTest::addColumn<RaceEnd>("end");
        QTest::newRow("from the start values to the best fit")
                << 8.0 << Parameters{5, 1, 0} << Held{} << 0.001 << true << RaceEnd::reached;
        QTest::newRow("with c held") << 8.0 << Parameters{5, 1, 0} << Held{false, true, false}
                                     << 0.001 << true << RaceEnd::reached;
        QTest::newRow("with a and t0 held") << 8.0 << Parameters{5, 1, 5} << Held{true, false, true}
                                            << 0.001 << true << RaceEnd::reached;
        QTest::newRow("points whose best a of 30 lies past the end of a's scroll bar")
                << 30.0 << Parameters{5, 1, 0} << Held{} << 0.001 << true << RaceEnd::reached;
        QTest::newRow("without a best fit, all 100000 iterations")
                << 8.0 << Parameters{5, 1, 0} << Held{} << 0.001 << false << RaceEnd::cap;
        QTest::newRow("a step of 0,02 that overflows")
                << 8.0 << Parameters{5, 1, 0} << Held{} << 0.02 << true << RaceEnd::fault;
    }

    void plainDescentIsTheWindowsDescent()
    {
        QFETCH(double, curveA);
        QFETCH(Parameters, start);
        QFETCH(Held, held);
        QFETCH(double, s);
        QFETCH(bool, withBest);
        QFETCH(RaceEnd, end);
        const Sample data = points(curveA);
        const auto result = runMethod(Method::descent, input(data, start, held, s, withBest));
        QVERIFY(result);
        QCOMPARE(result->end, end);

        std::vector<std::pair<Parameters, double>> window;
        Parameters p = start;
        Sums sums;
        const int steps = result->iterations + (end == RaceEnd::fault ? 2 : 1);
        const bool faulted = faults([&] {
            descentBatch(p, held, data.points(), s, steps, std::numeric_limits<double>::infinity(),
                         sums, [&](const Parameters &at, const Sums &evaluated) {
                             window.emplace_back(at, evaluated.E);
                         });
        });
        QCOMPARE(faulted, end == RaceEnd::fault);
        QCOMPARE(int(window.size()), result->iterations + 1);
        double largestA = 0;
        int next = 0;
        for (const PathStretch &stretch : result->path.stretches()) {
            QCOMPARE(stretch.first, next);
            QVERIFY(stretch.last - stretch.first < std::max(1, stretch.first / 32) + 1);
            QVERIFY(window[size_t(stretch.first)].first == stretch.from);
            QVERIFY(window[size_t(stretch.last)].first == stretch.to);
            QCOMPARE(window[size_t(stretch.first)].second, stretch.firstError);
            QCOMPARE(window[size_t(stretch.last)].second, stretch.lastError);
            const auto [least, most] = std::minmax_element(
                    window.begin() + stretch.first, window.begin() + stretch.last + 1,
                    [](const auto &l, const auto &r) { return l.second < r.second; });
            QVERIFY(least->second == stretch.minError && most->second == stretch.maxError);
            largestA = std::max(largestA, stretch.to.a);
            next = stretch.last + 1;
        }
        QCOMPARE(next, int(window.size()));
        QVERIFY(result->path.stretches().size() <= (end == RaceEnd::cap ? 320u : 200u));
        QCOMPARE(*result->finalError, window.back().second);
        if (end == RaceEnd::cap)
            QCOMPARE(resultWords(*result), "no llega en 100000 iteraciones");
        if (curveA > 20)
            QVERIFY(largestA > 20.05); // where the window's bar for a ends
    }

    // How each method can end, in words, and that a method's fault is its
    // result and never escapes the race.
    void endsInWords_data()
    {
        QTest::addColumn<Method>("method");
        QTest::addColumn<Parameters>("start");
        QTest::addColumn<double>("s"); // the step size, and Adam's α
        QTest::addColumn<bool>("withBest");
        QTest::addColumn<RaceEnd>("end");
        QTest::addColumn<int>("iteration");
        QTest::addColumn<QString>("words");
        const Parameters flat{0, 1, 0}; // a = 0: the curve has no slope in c or t0
        const Parameters startValues{5, 1, 0};
        const Parameters best = bestFit(startValues, {}, points().points()).p;
        QTest::newRow("Gauss-Newton from a = 0 meets a singular matrix at once")
                << Method::gaussNewton << flat << 0.001 << true << RaceEnd::singular << 1
                << "matriz singular en la iteración 1";
        QTest::newRow("so does Levenberg-Marquardt")
                << Method::levenbergMarquardt << flat << 0.001 << true << RaceEnd::singular << 1
                << "matriz singular en la iteración 1";
        QTest::newRow("Newton there meets a Hessian with a zero on its diagonal")
                << Method::newton << flat << 0.001 << true << RaceEnd::notPositiveDefinite << 1
                << "Hessiana no definida positiva en la iteración 1";
        QTest::newRow("the descent with a step of a million overflows in its first iteration")
                << Method::descent << startValues << 1e6 << true << RaceEnd::fault << 1
                << "Desbordamiento en la iteración 1";
        QTest::newRow("Adam moves each parameter by about α, here a million")
                << Method::adam << startValues << 1e6 << true << RaceEnd::fault << 1
                << "Desbordamiento en la iteración 1";
        QTest::newRow("a start where E cannot be evaluated faults before any iteration")
                << Method::levenbergMarquardt << unevaluableStart() << 0.001 << true
                << RaceEnd::fault << 1 << "Desbordamiento en la iteración 1";
        QTest::newRow("without a best fit Levenberg-Marquardt runs to its cap")
                << Method::levenbergMarquardt << startValues << 0.001 << false << RaceEnd::cap
                << 200 << "no llega en 200 iteraciones";
        QTest::newRow("from the best fit itself Newton has arrived before it starts")
                << Method::newton << best << 0.001 << true << RaceEnd::reached << 0
                << "alcanza el mejor ajuste";
    }

    void endsInWords()
    {
        QFETCH(Method, method);
        QFETCH(Parameters, start);
        QFETCH(double, s);
        QFETCH(bool, withBest);
        QFETCH(RaceEnd, end);
        QFETCH(int, iteration);
        QFETCH(QString, words);
        RaceInput in = input(points(), {5, 1, 0}, {}, s, withBest);
        in.start = start;
        in.settings.adamAlpha = s;
        in.settings.enabled = {};
        in.settings.enabled[size_t(method)] = true;
        std::optional<Race> result;
        try {
            result = race(in);
        } catch (...) {
            QFAIL("an exception left the race");
        }
        QVERIFY(result && result->methods.size() == 1);
        const MethodResult &run = result->methods[0];
        QCOMPARE(run.method, method);
        QCOMPARE(run.end, end);
        QCOMPARE(run.iteration, iteration);
        QCOMPARE(QString::fromStdString(resultWords(run)), words);
        const bool failed = end != RaceEnd::reached && end != RaceEnd::cap;
        QCOMPARE(run.iterations, failed ? iteration - 1 : iteration);
        QCOMPARE(bool(run.finalError), start != unevaluableStart());
        if (run.finalError)
            QCOMPARE(*run.finalError, run.path.stretches().back().lastError);
    }

    // A set flag ends the race before its first iteration or during one
    // method's run, and the race then gives nothing.
    void cancellationStopsTheRace()
    {
        RaceInput in = input(points(), {5, 1, 0}, {}, 0.001, false); // every method to its cap
        std::atomic<bool> cancel{true};
        QVERIFY(!race(in, &cancel));
        cancel = false;
        // Nesterov alone makes 200000 evaluations; 10 ms is a small part of them.
        in.settings.enabled = {false, false, true, false, false, false, false};
        std::thread setter([&cancel] {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            cancel = true;
        });
        const std::optional<Race> result = race(in, &cancel);
        setter.join();
        QVERIFY(!result);
    }

private:
    // e^(c (t − t0)) overflows for t ≥ 8.
    static Parameters unevaluableStart() { return {5, 100, 0}; }
};

QTEST_APPLESS_MAIN(tst_Race)
#include "tst_race.moc"
