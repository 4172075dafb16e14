#pragma once

// Helpers for every test, the numeric core's included: Qt Test and the core
// only, no application object.

#include "numeric/descent.h"

#include <QString>
#include <QTest>

#include <cmath>
#include <functional>
#include <vector>

// Relative-plus-absolute tolerance for doubles.
inline bool near(double actual, double expected, double relative = 1e-5, double absolute = 1e-9)
{
    return std::fabs(actual - expected) <= absolute + relative * std::fabs(expected);
}

#define QCOMPARE_NEAR(actual, expected)                                                            \
    do {                                                                                           \
        const double a_ = (actual), e_ = (expected);                                               \
        if (!near(a_, e_))                                                                         \
            QFAIL(qPrintable(QStringLiteral("%1 is %2, expected %3")                               \
                                     .arg(QStringLiteral(#actual))                                 \
                                     .arg(a_, 0, 'g', 17)                                          \
                                     .arg(e_, 0, 'g', 17)));                                       \
    } while (false)

// Whether the action throws the program's Fault.
inline bool faults(const std::function<void()> &action)
{
    try {
        action();
    } catch (const Fault &) {
        return true;
    }
    return false;
}

// A logistic curve sampled at t = 0, 1, ..., count - 1, plus `noise` times a
// fixed pattern of -2 .. 2, so that a fit need not land on the data. By
// default the twenty points the tests and the benchmarks fit: a = 8, c = 0.9,
// t0 = 6, without noise.
struct Sample
{
    std::vector<double> t, y;
    Points points() const { return {t, y, int(t.size())}; }
};

inline Sample logisticSample(double a = 8, double c = 0.9, double t0 = 6, int count = 20,
                             double noise = 0)
{
    Sample sample;
    for (int k = 0; k < count; ++k) {
        sample.t.push_back(k);
        sample.y.push_back(a / (1 + std::exp(-c * (k - t0))) + noise * ((k * 7) % 5 - 2));
    }
    return sample;
}
