#pragma once

#include "numeric/fault.h"

// The logistic model f(t) = a / (1 + e^(-c(t - t0))) and its partial
// derivatives, in plain values. Every result that can leave the double range
// is checked, so an overflow faults where it happens instead of turning into a
// harmless-looking 0 or a. The quotients need no check: their denominators are
// at least 1 (f, parL) or 4 (parC, parT), and 1 + e^u or e^v + 2 + e^-v cannot
// overflow once both exponentials are finite (their product is 1).

struct Parameters
{
    double a{0.0};  // asymptotic level
    double c{0.0};  // rate
    double t0{0.0}; // abscissa of the midpoint
};

// Which parameters the descent holds fixed. A held parameter's derivative is
// exactly 0, with no arithmetic at all, so the descent never moves it.
struct Held
{
    bool a{false};
    bool c{false};
    bool t0{false};
};

inline double f(const Parameters &p, double t)
{
    const double d = chk(t - p.t0);
    const double u = chk(d * -p.c);
    const double E = expChk(u);
    return p.a / (E + 1);
}

inline double parL(const Parameters &p, bool held, double t)
{
    if (held)
        return 0.0;
    const double d = chk(t - p.t0);
    const double u = chk(d * -p.c);
    const double E = expChk(u);
    return 1 / (E + 1);
}

// e^(-cd) / (1 + e^(-cd))^2 written as 1 / (e^(cd) + 2 + e^(-cd)): both
// exponentials are needed, so these two fault for a large |c(t - t0)| either
// way. d * -c is exactly -(d * c), so one check covers both arguments.
inline double slopeDenominator(double d, double c)
{
    const double E1 = expChk(chk(d * c));
    const double E2 = expChk(d * -c);
    return (E1 + 2) + E2;
}

inline double parC(const Parameters &p, bool held, double t)
{
    if (held)
        return 0.0;
    const double d = chk(t - p.t0);
    const double denominador = slopeDenominator(d, p.c);
    const double numerador = chk(d * p.a);
    return numerador / denominador;
}

inline double parT(const Parameters &p, bool held, double t)
{
    if (held)
        return 0.0;
    const double d = chk(t - p.t0);
    const double denominador = slopeDenominator(d, p.c);
    const double numerador = chk(-p.c * p.a);
    return numerador / denominador;
}

// σ(u) = 1 / (1 + e^-u) with its first two derivatives, written so that no
// exponential overflows: the solver and the statistics may look at any c, and
// only the program's own arithmetic above faults where the classic one did.
struct Logistic
{
    double s, ds, dds;
};

inline Logistic logistic(double u)
{
    const double e = std::exp(-std::fabs(u)); // in (0, 1]
    const double s = u >= 0 ? 1 / (1 + e) : e / (1 + e);
    const double ds = e / ((1 + e) * (1 + e)); // σ (1 − σ), the same for both signs
    return {s, ds, ds * (1 - 2 * s)};
}
