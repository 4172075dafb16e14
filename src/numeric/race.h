#pragma once

#include "numeric/best_fit.h"
#include "numeric/race_methods.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A race of methods: from one start, on the points in use and with the held
// parameters held, seven methods minimise the same squared error E each on
// its own, and the curvature of E at the best fit says why plain descent
// crawls. Plain arithmetic, meant to run off the window's thread:
//
//   RaceInput input;          // a value: copy it into the task
//   input.start = ...;        // where the descent last started: the `from` of the
//                             // history's first column, or while the history is
//                             // empty the current parameters
//   input.held = view.held();
//   input.setPoints(points);  // copies the arrays
//   input.s = step;           // the step size in "Paso"
//   input.best = view.best(); // E* and the minimiser, or none
//   input.settings = ...;     // β, α and which methods take part
//   auto cancel = std::make_shared<std::atomic<bool>>(false);
//   ... in the task: std::optional<Race> r = race(input, cancel.get());
//
// A newer request sets the older one's flag; race() polls it between
// iterations and then gives nothing, so a result is always complete. race()
// never throws a Fault: a fault of the arithmetic ends that method and is its
// result. Only a failed allocation can throw (std::bad_alloc).

enum class Method {
    descent,            // "Descenso del gradiente"
    momentum,           // "Momento"
    nesterov,           // "Nesterov"
    adam,               // "Adam"
    gaussNewton,        // "Gauss-Newton"
    levenbergMarquardt, // "Levenberg-Marquardt"
    newton,             // "Newton"
};

inline constexpr int kMethodCount = 7;

// In the order the race runs them and the table lists them.
inline constexpr std::array<Method, kMethodCount> kMethods{
        Method::descent,     Method::momentum,           Method::nesterov, Method::adam,
        Method::gaussNewton, Method::levenbergMarquardt, Method::newton};

// The method's name as the panel shows it, in UTF-8.
std::string_view methodName(Method method);

// Iterations a method may make: 100000 for the four first-order methods, 200
// for the three that solve a linear system at every iteration.
inline constexpr int kFirstOrderCap = 100000;
inline constexpr int kSecondOrderCap = 200;
int iterationCap(Method method);

// What the panel lets the user change.
struct RaceSettings
{
    double momentumBeta{0.9};
    double nesterovBeta{0.9};
    double adamAlpha{0.01};
    std::array<bool, kMethodCount> enabled{true, true, true, true, true, true, true}; // by Method
};

// Everything a race depends on, by value.
struct RaceInput
{
    Parameters start{}; // the parameters of the history's first evaluation
    Held held{};
    std::vector<double> t, y; // the point arrays, whole
    int n{0};                 // the points in use: t[k], y[k] for k < n
    double s{0.0};            // the step size of the descent, Momento and Nesterov
    BestFit best{};           // without one, nothing counts as reached
    RaceSettings settings{};

    // Copies the spans whole, so that a count beyond them faults in the race
    // as it does in the window.
    void setPoints(const Points &points);
    Points points() const { return {t, y, n}; }
};

// When a method has reached the best fit: E − E* ≤ 10⁻⁶ E* + 10⁻¹⁸ Σy², the
// second term for a fit with E* = 0, measured on the scale of the data.
struct Target
{
    double bestError{0.0};    // E*
    double sumOfSquares{0.0}; // Σ y² over the points in use

    bool met(double error) const
    {
        return error - bestError <= 1e-6 * bestError + 1e-18 * sumOfSquares;
    }
};

// The target of a race: none without a best fit.
std::optional<Target> raceTarget(const BestFit &best, const Points &points);

// A run of consecutive iterations of one method, in the manner of
// ErrorHistory's columns: E at its first and last iteration, the least and
// the greatest E among them, and where the method stood at the first and the
// last.
struct PathStretch
{
    int first{0}, last{0}; // iterations, inclusive; iteration 0 is the start
    double firstError{0.0}, lastError{0.0}, minError{0.0}, maxError{0.0};
    Parameters from{}, to{};

    bool operator==(const PathStretch &) const = default;
};

// The iterations of one method in bounded memory, spaced for a logarithmic
// axis of the iteration: ErrorHistory's columns are all as wide, which would
// put the first hundreds of a long run (the whole early descent, decades of
// the axis) in one column. Here a stretch that begins at iteration b holds
// max(1, b / kPerOctave) iterations: the first 64 alone, then about 22
// stretches per factor of 2 (75 per factor of 10), so 100000 iterations take
// about 300 stretches. The ends of every stretch are exact samples.
class RacePath
{
public:
    static constexpr int kPerOctave = 32;

    void add(double error, const Parameters &at)
    {
        const int k = next++;
        if (items.empty() || k == end) {
            items.push_back({k, k, error, error, error, error, at, at});
            end = k + std::max(1, k / kPerOctave);
            return;
        }
        PathStretch &stretch = items.back();
        stretch.last = k;
        stretch.lastError = error;
        stretch.to = at;
        stretch.minError = std::min(stretch.minError, error);
        stretch.maxError = std::max(stretch.maxError, error);
    }

    const std::vector<PathStretch> &stretches() const { return items; }

private:
    std::vector<PathStretch> items;
    int next{0}; // the number of the next iteration
    int end{0};  // the first iteration after the last stretch
};

enum class RaceEnd {
    reached,             // E met the target
    cap,                 // the method made all the iterations it may
    fault,               // the arithmetic overflowed, as the program's evaluation faults
    singular,            // a matrix of Gauss–Newton, Levenberg–Marquardt or Newton
    notPositiveDefinite, // Newton's Hessian
};

// One method's run. An iteration is one update of the parameters (for
// Levenberg–Marquardt one trial, kept or not) together with the evaluation
// of E where it lands.
struct MethodResult
{
    Method method{Method::descent};
    RaceEnd end{RaceEnd::cap};
    // The iteration it ended at: reached, the first whose E met the target (0
    // when the start already does); cap, the cap; fault, singular or not
    // positive definite, the iteration that could not be made (1 when E
    // cannot even be evaluated at the start).
    int iteration{0};
    int iterations{0};  // iterations made, each one recorded
    int evaluations{0}; // evaluations of E (and its gradient), a faulting one included
    std::optional<double> finalError; // E after the last iteration made; none when the start faults
    RacePath path;                    // the start and every iteration made

    bool reached() const { return end == RaceEnd::reached; }
};

// The result in words, in UTF-8, as the panel shows it: "alcanza el mejor
// ajuste", "no llega en 100000 iteraciones", "Desbordamiento en la iteración
// 312", "matriz singular en la iteración 4", "Hessiana no definida positiva en
// la iteración 2". The counts are plain digits, as the program writes them
// in any locale.
std::string resultWords(const MethodResult &result);

// The stepping object of a method with the step size s and the settings.
std::unique_ptr<RaceMethod> makeMethod(Method method, double s, const RaceSettings &settings);

// The loop that drives any method from `start`: E at the start, then up to
// `cap` iterations, each recorded, until the target is met (with none,
// never), a fault, or a matrix that the method cannot use. Polls `cancel`
// before every iteration and gives nothing once it is set. Faults never
// escape.
std::optional<MethodResult> drive(Method method, RaceMethod &stepper, const Parameters &start,
                                  Evaluator &evaluate, int cap, const std::optional<Target> &target,
                                  const std::atomic<bool> *cancel = nullptr);

// One method of the race, alone (the panel may run them in parallel).
std::optional<MethodResult> runMethod(Method method, const RaceInput &input,
                                      const std::atomic<bool> *cancel = nullptr);

// Why plain descent crawls: the curvature of E at the best fit. Near the
// minimum E − E* is a sum of terms that each shrink by (1 − s λ)² per step, λ
// the eigenvalues of the Hessian over the free parameters; the slowest sets
// the pace.
struct Crawl
{
    std::vector<double> curvatures; // λmin … λmax, all positive
    double condition{0.0};          // κ = λmax / λmin
    double factor{0.0};             // ρ = max |1 − s λ|: each step shrinks the distance by it
    // Steps per factor 10 of E − E*, ln 10 / (−2 ln ρ); none when ρ ≥ 1.
    std::optional<double> predicted;
    double bestStep{0.0};   // the best fixed step, 2 / (λmin + λmax)
    double bestFactor{0.0}; // ρ with it, (κ − 1) / (κ + 1)
    // The race's plain descent (see measuredStepsPerDecade), when it reached
    // the best fit or ρ < 1 says it approaches it. With ρ ≥ 1 the minimum
    // pushes the descent away along its steepest direction, so a descent that
    // has not reached the best fit has fallen, if at all, towards something
    // else, and its last decades say nothing about the minimum.
    std::optional<double> measured;
};

// The figures at the best fit for the step size s; none without a best fit,
// or where its Hessian over the free parameters is not positive definite. A
// step size that is not a finite number never approaches (ρ infinite).
std::optional<Crawl> whyItCrawls(const BestFit &best, Held held, const Points &points,
                                 double s) noexcept;

// The steps per factor 10 that a descent took over its last decades, from
// the exact samples of its path (the ends of its stretches) and D = E − E*:
// with K its last iteration, from the latest sampled iteration k0 < K where
// D was at least 100 times D(K) — two decades before the end — it is
// (K − k0) / log10(D(k0) / D(K)). If D fell by less than two decades over the
// whole run, k0 is the start, provided D fell by at least one decade; else,
// or when D(K) ≤ 0, there is none. On the last decades the fastest modes have
// long died out, so near the minimum this is the rate that ρ predicts.
std::optional<double> measuredStepsPerDecade(const RacePath &path, double bestError);

struct Race
{
    std::vector<MethodResult> methods; // those taking part, in the order of kMethods
    std::optional<Crawl> crawl;        // with the measured rate when the descent took part
};

// The whole race: every method that takes part, one after another, and the
// figures of the crawl. Nothing once `cancel` is set.
std::optional<Race> race(const RaceInput &input, const std::atomic<bool> *cancel = nullptr);
