#include "numeric/race.h"

#include <cmath>
#include <limits>
#include <string>

std::string_view methodName(Method method)
{
    switch (method) {
    case Method::descent:
        return "Descenso del gradiente";
    case Method::momentum:
        return "Momento";
    case Method::nesterov:
        return "Nesterov";
    case Method::adam:
        return "Adam";
    case Method::gaussNewton:
        return "Gauss-Newton";
    case Method::levenbergMarquardt:
        return "Levenberg-Marquardt";
    case Method::newton:
        return "Newton";
    }
    return {};
}

int iterationCap(Method method)
{
    switch (method) {
    case Method::gaussNewton:
    case Method::levenbergMarquardt:
    case Method::newton:
        return kSecondOrderCap;
    default:
        return kFirstOrderCap;
    }
}

void RaceInput::setPoints(const Points &points)
{
    t.assign(points.t.begin(), points.t.end());
    y.assign(points.y.begin(), points.y.end());
    n = points.n;
}

std::optional<Target> raceTarget(const BestFit &best, const Points &points)
{
    if (!best.found())
        return std::nullopt;
    // Over the points there are; a count beyond them faults at the start anyway.
    const size_t count = std::min(size_t(std::max(points.n, 0)), points.y.size());
    double sumOfSquares = 0;
    for (size_t k = 0; k < count; ++k)
        sumOfSquares += points.y[k] * points.y[k];
    return Target{best.E, sumOfSquares};
}

std::string resultWords(const MethodResult &result)
{
    const std::string at = std::to_string(result.iteration);
    switch (result.end) {
    case RaceEnd::reached:
        return "alcanza el mejor ajuste";
    case RaceEnd::cap:
        return "no llega en " + at + " iteraciones";
    case RaceEnd::fault:
        return "Desbordamiento en la iteración " + at;
    case RaceEnd::singular:
        return "matriz singular en la iteración " + at;
    case RaceEnd::notPositiveDefinite:
        return "Hessiana no definida positiva en la iteración " + at;
    }
    return {};
}

std::unique_ptr<RaceMethod> makeMethod(Method method, double s, const RaceSettings &settings)
{
    switch (method) {
    case Method::descent:
        return std::make_unique<PlainDescent>(s);
    case Method::momentum:
        return std::make_unique<Momentum>(s, settings.momentumBeta);
    case Method::nesterov:
        return std::make_unique<Nesterov>(s, settings.nesterovBeta);
    case Method::adam:
        return std::make_unique<Adam>(settings.adamAlpha);
    case Method::gaussNewton:
        return std::make_unique<GaussNewton>();
    case Method::levenbergMarquardt:
        return std::make_unique<LevenbergMarquardt>();
    case Method::newton:
        return std::make_unique<Newton>();
    }
    return std::make_unique<PlainDescent>(s);
}

std::optional<MethodResult> drive(Method method, RaceMethod &stepper, const Parameters &start,
                                  Evaluator &evaluate, int cap, const std::optional<Target> &target,
                                  const std::atomic<bool> *cancel)
{
    const auto cancelled = [cancel] { return cancel && cancel->load(std::memory_order_relaxed); };
    const int evaluationsBefore = evaluate.count();
    MethodResult result;
    result.method = method;
    const auto ended = [&](RaceEnd end, int iteration) {
        result.end = end;
        result.iteration = iteration;
        result.evaluations = evaluate.count() - evaluationsBefore;
        return std::optional<MethodResult>(std::move(result));
    };
    const auto record = [&](const Iterate &at, int iteration) {
        result.path.add(at.sums.E, at.p);
        result.iterations = iteration;
        result.finalError = at.sums.E;
        return target && target->met(at.sums.E);
    };

    if (cancelled())
        return std::nullopt;
    Iterate at{start, {}};
    try {
        at.sums = evaluate(at.p);
    } catch (const Fault &) {
        return ended(RaceEnd::fault, 1);
    }
    if (record(at, 0))
        return ended(RaceEnd::reached, 0);
    for (int k = 1; k <= cap; ++k) {
        if (cancelled())
            return std::nullopt;
        StepEnd step = StepEnd::moved;
        try {
            step = stepper.step(at, evaluate);
        } catch (const Fault &) {
            return ended(RaceEnd::fault, k);
        }
        if (step == StepEnd::singular)
            return ended(RaceEnd::singular, k);
        if (step == StepEnd::notPositiveDefinite)
            return ended(RaceEnd::notPositiveDefinite, k);
        if (record(at, k))
            return ended(RaceEnd::reached, k);
    }
    return ended(RaceEnd::cap, cap);
}

std::optional<MethodResult> runMethod(Method method, const RaceInput &input,
                                      const std::atomic<bool> *cancel)
{
    const Points points = input.points();
    Evaluator evaluate(input.held, points);
    const std::unique_ptr<RaceMethod> stepper = makeMethod(method, input.s, input.settings);
    return drive(method, *stepper, input.start, evaluate, iterationCap(method),
                 raceTarget(input.best, points), cancel);
}

std::optional<Crawl> whyItCrawls(const BestFit &best, Held held, const Points &points,
                                 double s) noexcept
{
    if (!best.found())
        return std::nullopt;
    Crawl crawl;
    try {
        crawl.curvatures = curvatures(best.p, held, points);
    } catch (...) { // a Fault, or an allocation
        return std::nullopt;
    }
    if (crawl.curvatures.empty() || !(crawl.curvatures.front() > 0))
        return std::nullopt;
    const double smallest = crawl.curvatures.front();
    const double largest = crawl.curvatures.back();
    crawl.condition = largest / smallest;
    crawl.factor = 0;
    for (double lambda : crawl.curvatures)
        crawl.factor = std::max(crawl.factor, std::fabs(1 - s * lambda));
    if (!std::isfinite(s))
        crawl.factor = std::numeric_limits<double>::infinity();
    if (crawl.factor < 1)
        crawl.predicted = crawl.factor == 0 ? 0.0 : std::log(10.0) / (-2 * std::log(crawl.factor));
    crawl.bestStep = 2 / (smallest + largest);
    crawl.bestFactor = (crawl.condition - 1) / (crawl.condition + 1);
    return crawl;
}

std::optional<double> measuredStepsPerDecade(const RacePath &path, double bestError)
{
    struct Sample
    {
        int iteration;
        double above; // E − E*
    };
    std::vector<Sample> samples;
    for (const PathStretch &stretch : path.stretches()) {
        samples.push_back({stretch.first, stretch.firstError - bestError});
        if (stretch.last != stretch.first)
            samples.push_back({stretch.last, stretch.lastError - bestError});
    }
    if (samples.size() < 2 || !(samples.back().above > 0))
        return std::nullopt;
    const Sample end = samples.back();
    const Sample *from = nullptr;
    for (size_t k = samples.size() - 1; k-- > 0;)
        if (samples[k].above >= 100 * end.above) {
            from = &samples[k];
            break;
        }
    if (!from && samples.front().above >= 10 * end.above)
        from = &samples.front();
    if (!from)
        return std::nullopt;
    return (end.iteration - from->iteration) / std::log10(from->above / end.above);
}

std::optional<Race> race(const RaceInput &input, const std::atomic<bool> *cancel)
{
    Race out;
    for (Method method : kMethods) {
        if (!input.settings.enabled[size_t(method)])
            continue;
        std::optional<MethodResult> result = runMethod(method, input, cancel);
        if (!result)
            return std::nullopt;
        out.methods.push_back(std::move(*result));
    }
    out.crawl = whyItCrawls(input.best, input.held, input.points(), input.s);
    if (out.crawl)
        for (const MethodResult &result : out.methods)
            if (result.method == Method::descent && (result.reached() || out.crawl->predicted))
                out.crawl->measured = measuredStepsPerDecade(result.path, input.best.E);
    return out;
}
