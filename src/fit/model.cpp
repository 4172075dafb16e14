#include "window/form1.h"

// The logistic model f(t) = a / (1 + e^(-c(t - t0))) and its partial
// derivatives. Every intermediate result is checked, so an overflow faults
// where it happens instead of turning into a harmless-looking 0 or a.
// A derivative whose check box is ticked (or greyed) holds its parameter
// fixed: it is exactly 0, with no arithmetic at all.

double Form1::f(const double &t) const
{
    const double d = chk(t - t0);
    const double u = chk(d * -c);
    const double E = expChk(u);
    return chk(a / chk(E + 1));
}

double Form1::parL(const double &t) const
{
    if (Check1->value() != 0)
        return 0.0;
    const double d = chk(t - t0);
    const double u = chk(d * -c);
    const double E = expChk(u);
    return chk(1 / chk(E + 1));
}

// e^(cd) / (1 + e^(cd))^2 written as 1 / (e^(cd) + 2 + e^(-cd)): both
// exponentials are needed, so these two fault for a large |c(t - t0)| either way.
double Form1::parC(const double &t) const
{
    if (Check2->value() != 0)
        return 0.0;
    const double E1 = expChk(chk(chk(t - t0) * c));
    const double E2 = expChk(chk(chk(t - t0) * -c));
    const double d = chk(t - t0);
    const double numerador = chk(d * a);
    const double denominador = chk(chk(E1 + 2) + E2);
    return chk(numerador / denominador);
}

double Form1::parT(const double &t) const
{
    if (Check3->value() != 0)
        return 0.0;
    const double E1 = expChk(chk(chk(t - t0) * c));
    const double E2 = expChk(chk(chk(t - t0) * -c));
    const double numerador = chk(-c * a);
    const double denominador = chk(chk(E1 + 2) + E2);
    return chk(numerador / denominador);
}
