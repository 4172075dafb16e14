#include "window/form1.h"

#include "numeric/vector_state.h"

// The logistic model f(t) = a / (1 + e^(-c(t - t0))) and its partial
// derivatives. Every result that can leave the double range is checked, so an
// overflow faults where it happens instead of turning into a harmless-looking
// 0 or a. The quotients need no check: their denominators are at least 1
// (f, parL) or 4 (parC, parT), and 1 + e^u or e^v + 2 + e^-v cannot overflow
// once both exponentials are finite (their product is 1).
// A derivative whose check box is ticked (or greyed) holds its parameter
// fixed: it is exactly 0, with no arithmetic at all.

double Form1::f(const double &t) const
{
    const double d = chk(t - t0);
    const double u = chk(d * -c);
    const double E = expChk(u);
    return a / (E + 1);
}

double Form1::parL(const double &t) const
{
    if (Check1->value() != 0)
        return 0.0;
    const double d = chk(t - t0);
    const double u = chk(d * -c);
    const double E = expChk(u);
    return 1 / (E + 1);
}

// e^(-cd) / (1 + e^(-cd))^2 written as 1 / (e^(cd) + 2 + e^(-cd)): both
// exponentials are needed, so these two fault for a large |c(t - t0)| either
// way. d * -c is exactly -(d * c), so one check covers both arguments.
double Form1::parC(const double &t) const
{
    if (Check2->value() != 0)
        return 0.0;
    const double d = chk(t - t0);
    const double E1 = expChk(chk(d * c));
    const double E2 = expChk(d * -c);
    const double numerador = chk(d * a);
    const double denominador = (E1 + 2) + E2;
    return numerador / denominador;
}

double Form1::parT(const double &t) const
{
    if (Check3->value() != 0)
        return 0.0;
    const double d = chk(t - t0);
    const double E1 = expChk(chk(d * c));
    const double E2 = expChk(d * -c);
    const double numerador = chk(-c * a);
    const double denominador = (E1 + 2) + E2;
    return numerador / denominador;
}

// The squared error and its gradient at the current parameters, summed over
// the points (not divided by n). It lives beside the model so the compiler can
// inline the four functions into the descent's innermost loop, and it sums in
// locals that stay in registers across the exponentials; a fault stores them
// before it unwinds, so the fields end exactly as point-by-point updates leave them.
[[gnu::flatten]] void Form1::evaluar()
{
    clearUpperVectorState();
    double L = 0, C = 0, T = 0, E = 0;
    int k = 0;
    const int last = n - 1;
    auto guardarSumas = [&] {
        i = int16_t(k);
        sumL = L;
        sumC = C;
        sumT = T;
        errorCuad = E;
    };
    try {
        for (k = 0; k <= last; ++k) {
            const double &t = x(k);
            const double r = chk(f(t) - y(k));
            const double dosR = chk(r + r);
            L = chk(L + chk(dosR * parL(t)));
            C = chk(C + chk(dosR * parC(t)));
            T = chk(T + chk(dosR * parT(t)));
            E = chk(E + chk(r * r));
        }
    } catch (const Fault &) {
        guardarSumas();
        throw;
    }
    guardarSumas();
}
