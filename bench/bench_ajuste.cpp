// Benchmarks of the real handlers on a real window under the offscreen
// platform, held against a plain loop doing the same arithmetic.

#include "platform/message_box.h"
#include "map/error_map.h"
#include "map/map_plot.h"
#include "numeric/best_fit.h"
#include "numeric/descent.h"
#include "numeric/error_surface.h"
#include "numeric/fit_bands.h"
#include "numeric/fit_statistics.h"
#include "numeric/growth_figures.h"
#include "numeric/race.h"
#include "numeric/rounded_result.h"
#include "numeric/vector_state.h"
#include "race/race_panel.h"
#include "report/fit_plot.h"
#include "report/informe_ajuste.h"
#include "window/form1.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLocale>
#include <QPainter>
#include <QPushButton>

#include <benchmark/benchmark.h>

#include <ctime>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <chrono>
#include <memory>
#include <vector>

namespace {

int messages = 0;

// Twenty points from a = 8, c = 0.9, t0 = 6 at t = 0..19, with a small fixed
// perturbation so the fit never lands exactly on the data.
double sampleY(int k)
{
    const double perturbation = 0.05 * ((k * 7) % 5 - 2);
    return 8.0 / (1.0 + std::exp(-0.9 * (k - 6.0))) + perturbation;
}

// Shared by the benchmarks, and destroyed before the application object (the
// error map's window cannot outlive it).
std::unique_ptr<Form1> sharedForm;

Form1 &chartForm()
{
    if (!sharedForm) {
        sharedForm = std::make_unique<Form1>();
        for (int k = 0; k < 20; ++k) {
            sharedForm->xv(k)->setText(QLocale().toString(k));
            sharedForm->yv(k)->setText(QLocale().toString(sampleY(k), 'g', 6));
        }
        sharedForm->Command5_Click();
    }
    return *sharedForm;
}

// Back to the start parameters and a fresh evaluation, so every run of a
// batch starts from the same state.
void resetFit(Form1 &form)
{
    form.ocupado = true;
    form.a = 5.0;
    form.c = 1.0;
    form.t0 = 0.0;
    form.CSCR->writeValue(10);
    form.LSCR->writeValue(-50);
    form.TSCR->writeValue(0);
    form.Text1->setText(QLocale().toString(0.001));
    form.pintar();
}

void requireFullBatch(benchmark::State &state, Form1 &form)
{
    // A full batch leaves the error figure white; an early stop turns it
    // magenta and a fault shows a message.
    if (messages != 0 || form.label10->backColor() != QColor(255, 255, 255)) {
        std::fprintf(stderr, "bench: the batch did not run all its iterations\n");
        state.SkipWithError("the batch did not run all its iterations");
        std::abort();
    }
}

// The same arithmetic as one 10000-step batch on 20 points, with no widgets
// and no checks: the floor the handler is measured against.
struct Kernel
{
    double a = 5, c = 1, t0 = 0;
    double x[20], y[20];

    [[gnu::noinline]] double run(int steps, double s)
    {
        double error = 0;
        for (int k = 0; k < steps; ++k) {
            double sumL = 0, sumC = 0, sumT = 0;
            error = 0;
            for (int i = 0; i < 20; ++i) {
                // The six exponentials of the model and its three derivatives.
                const double d = x[i] - t0;
                const double r = a / (std::exp(d * -c) + 1) - y[i];
                const double pl = 1 / (std::exp(d * -c) + 1);
                const double pc = d * a / (std::exp(d * c) + 2 + std::exp(d * -c));
                const double pt = -c * a / (std::exp(d * c) + 2 + std::exp(d * -c));
                sumL += (r + r) * pl;
                sumC += (r + r) * pc;
                sumT += (r + r) * pt;
                error += r * r;
            }
            c -= s * sumC;
            a -= s * sumL;
            t0 -= s * sumT;
        }
        return error;
    }
};

// Thread CPU time, so that other work on the machine does not skew the ratio.
double cpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + now.tv_nsec * 1e-9;
}

double referenceSeconds(int steps)
{
    Kernel kernel;
    for (int i = 0; i < 20; ++i) {
        kernel.x[i] = i;
        kernel.y[i] = sampleY(i);
    }
    // The floor: the loop runs with the vector state clear, as the handler does.
    clearUpperVectorState();
    const double start = cpuSeconds();
    benchmark::DoNotOptimize(kernel.run(steps, 0.001));
    return cpuSeconds() - start;
}

void BM_ReferenceKernel(benchmark::State &state)
{
    Kernel kernel;
    for (int i = 0; i < 20; ++i) {
        kernel.x[i] = i;
        kernel.y[i] = sampleY(i);
    }
    clearUpperVectorState();
    for (auto _ : state) {
        Kernel copy = kernel;
        benchmark::DoNotOptimize(copy.run(int(state.range(0)), 0.001));
    }
}
BENCHMARK(BM_ReferenceKernel)->Arg(10000)->Unit(benchmark::kMillisecond);

// Times the handler, and after each run (untimed) the reference loop for the
// same number of steps, so that the ratio compares the two under the same
// conditions of the moment: this machine's speed drifts from run to run.
void batchBenchmark(benchmark::State &state, void (Form1::*handler)(), int steps,
                    bool verMejor = false, bool informe = false, bool mapa = false,
                    bool carrera = false)
{
    Form1 &form = chartForm();
    form.verMejor->setValue(verMejor);
    if (informe)
        form.verInforme_Click();
    if (mapa || carrera)
        form.verMapa->click();
    int pedidas = 0;
    if (carrera) {
        // The race that showing the panel asks for, run to its end before timing.
        resetFit(form);
        form.mapa->comparar->setChecked(true);
        form.mapa->carrera->esperar();
        pedidas = form.mapa->carrera->carrerasPedidas();
    }
    double handlerSeconds = 0;
    double kernelSeconds = 0;
    for (auto _ : state) {
        state.PauseTiming();
        resetFit(form);
        messages = 0;
        state.ResumeTiming();
        const double start = cpuSeconds();
        (form.*handler)();
        handlerSeconds += cpuSeconds() - start;
        state.PauseTiming();
        requireFullBatch(state, form);
        kernelSeconds += referenceSeconds(steps);
        state.ResumeTiming();
    }
    state.counters["vs_reference"] = kernelSeconds > 0 ? handlerSeconds / kernelSeconds : 0;
    if (carrera) {
        if (form.mapa->carrera->carrerasPedidas() != pedidas)
            state.SkipWithError("a step asked for a race");
        form.mapa->comparar->setChecked(false);
    }
    if (form.informe)
        form.informe->close();
    if (form.mapa)
        form.mapa->close();
}

void BM_paso4_Click(benchmark::State &state)
{
    batchBenchmark(state, &Form1::paso4_Click, 10000);
}
BENCHMARK(BM_paso4_Click)->Unit(benchmark::kMillisecond);

// The same with the best fit on show: the history records every iteration,
// and the best fit is not recomputed, since the points and held values stay.
void BM_paso4_Click_verMejor(benchmark::State &state)
{
    batchBenchmark(state, &Form1::paso4_Click, 10000, true);
}
BENCHMARK(BM_paso4_Click_verMejor)->Unit(benchmark::kMillisecond);

// Painting the history once after a 10000-step batch (the handler asks for
// one paint, which the event loop runs after it).
// The same with the report open: it reads the fit once, after the batch.
void BM_paso4_Click_informe(benchmark::State &state)
{
    batchBenchmark(state, &Form1::paso4_Click, 10000, false, true);
}
BENCHMARK(BM_paso4_Click_informe)->Unit(benchmark::kMillisecond);

void BM_historialPaint(benchmark::State &state)
{
    Form1 &form = chartForm();
    form.verMejor->setValue(1);
    resetFit(form);
    form.paso4_Click();
    QImage image(form.historial->size(), QImage::Format_RGB32);
    for (auto _ : state) {
        form.historial->render(&image);
        benchmark::ClobberMemory();
    }
    form.verMejor->setValue(0);
}
BENCHMARK(BM_historialPaint)->Unit(benchmark::kMicrosecond);

void BM_paso3_Click(benchmark::State &state)
{
    batchBenchmark(state, &Form1::paso3_Click, 100);
}
BENCHMARK(BM_paso3_Click)->Unit(benchmark::kMicrosecond);

void BM_paso_Click(benchmark::State &state)
{
    batchBenchmark(state, &Form1::paso_Click, 1);
}
BENCHMARK(BM_paso_Click)->Unit(benchmark::kMicrosecond);

// The numeric core's batch alone, with the window's bookkeeping left out: the
// difference to BM_paso4_Click is what the window adds.
void BM_descentBatch(benchmark::State &state)
{
    double t[21]{}, y[21]{};
    for (int k = 0; k < 20; ++k) {
        t[k] = k;
        y[k] = sampleY(k);
    }
    const Points points{t, y, 20};
    Sums start;
    sumErrors({5, 1, 0}, {}, points, start);
    double kernelSeconds = 0, coreSeconds = 0;
    for (auto _ : state) {
        Parameters p{5, 1, 0};
        Sums sums;
        const double begin = cpuSeconds();
        const BatchEnd end = descentBatch(p, {}, points, 0.001, 10000, start.E, sums);
        coreSeconds += cpuSeconds() - begin;
        state.PauseTiming();
        if (end.stopped)
            state.SkipWithError("the batch stopped early");
        kernelSeconds += referenceSeconds(10000);
        state.ResumeTiming();
    }
    state.counters["vs_reference"] = kernelSeconds > 0 ? coreSeconds / kernelSeconds : 0;
}
BENCHMARK(BM_descentBatch)->Unit(benchmark::kMillisecond);

// One best-fit computation on the twenty points from the start values: the
// solver from its three starts, the Hessian and its eigenvalues.
void BM_BestFit(benchmark::State &state)
{
    double t[21]{}, y[21]{};
    for (int k = 0; k < 20; ++k) {
        t[k] = k;
        y[k] = sampleY(k);
    }
    const Points points{t, y, 20};
    for (auto _ : state) {
        const BestFit fit = bestFit({5, 1, 0}, {}, points);
        if (!fit.found())
            state.SkipWithError("no best fit found");
        benchmark::DoNotOptimize(fit.maxStep);
    }
}
BENCHMARK(BM_BestFit)->Unit(benchmark::kMicrosecond);

// The race of methods on the twenty points from the start values with the step
// 0,001, as the panel runs it off the window's thread. Arg 0: with the best
// fit, where every method ends before its cap (each reaches it, or stops at
// an overflow or at its Hessian); arg 1: without one, so that the four
// first-order methods make all their 100000 iterations. Timed in this
// thread's CPU time; vs_reference is that time over the reference loop's for
// 10000 steps, taken after each run.
void BM_carrera(benchmark::State &state)
{
    double t[21]{}, y[21]{};
    for (int k = 0; k < 20; ++k) {
        t[k] = k;
        y[k] = sampleY(k);
    }
    const Points points{t, y, 20};
    RaceInput input;
    input.start = {5, 1, 0};
    input.setPoints(points);
    input.s = 0.001;
    const bool toTheCaps = state.range(0) == 1;
    if (!toTheCaps)
        input.best = bestFit(input.start, {}, points);
    double raceSeconds = 0, kernelSeconds = 0;
    for (auto _ : state) {
        const double start = cpuSeconds();
        const std::optional<Race> race = ::race(input);
        const double seconds = cpuSeconds() - start;
        state.SetIterationTime(seconds);
        raceSeconds += seconds;
        int capped = 0;
        for (const MethodResult &method : race->methods)
            capped += method.end == RaceEnd::cap && method.iterations == kFirstOrderCap;
        if (capped != (toTheCaps ? 4 : 0))
            state.SkipWithError("the methods did not end as this race should");
        kernelSeconds += referenceSeconds(10000);
    }
    state.counters["vs_reference"] = kernelSeconds > 0 ? raceSeconds / kernelSeconds : 0;
}
BENCHMARK(BM_carrera)->Arg(0)->Arg(1)->UseManualTime()->Unit(benchmark::kMillisecond);

// "10000 pasos" with the error map open: the map reads the state once, at the
// end, and its surface stays as it was (the paint waits for the event loop and
// is timed in BM_mapaActualizar).
void BM_paso4_Click_mapa(benchmark::State &state)
{
    batchBenchmark(state, &Form1::paso4_Click, 10000, false, false, true);
}
BENCHMARK(BM_paso4_Click_mapa)->Unit(benchmark::kMillisecond);

// The same with "Comparar métodos" ticked: the panel reads what a race depends
// on once, at the end, finds it unchanged (a step does not move the start)
// and asks for no race.
void BM_paso4_Click_carrera(benchmark::State &state)
{
    batchBenchmark(state, &Form1::paso4_Click, 10000, false, false, true, true);
}
BENCHMARK(BM_paso4_Click_carrera)->Unit(benchmark::kMillisecond);

// The error surface over the twenty points on a side x side grid around the
// valley, a free: what the map computes when the points, the held set, a held
// value or the framing change. Arg 1: on both cores, as the map does; 0: on
// this thread alone. The surface is timed by the clock on the wall (it runs on
// two threads), and so is the reference loop after each run for vs_reference.
void BM_errorSurface(benchmark::State &state)
{
    double t[21]{}, y[21]{};
    for (int k = 0; k < 20; ++k) {
        t[k] = k;
        y[k] = sampleY(k);
    }
    const int side = int(state.range(0));
    const bool overCores = state.range(1) == 1;
    const SurfaceGrid grid{0.2, 1.6, -1, 8, side, side};
    using Clock = std::chrono::steady_clock;
    double surfaceSeconds = 0, kernelSeconds = 0;
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        const std::vector<double> surface = overCores ? surfaceOverCores(grid, 5, {}, {t, y, 20})
                                                      : errorSurface(grid, 5, {}, {t, y, 20});
        benchmark::DoNotOptimize(surface.data());
        const Clock::time_point end = Clock::now();
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
        surfaceSeconds += std::chrono::duration<double>(end - start).count();
        const Clock::time_point before = Clock::now();
        referenceSeconds(10000);
        kernelSeconds += std::chrono::duration<double>(Clock::now() - before).count();
    }
    state.counters["vs_reference"] = kernelSeconds > 0 ? surfaceSeconds / kernelSeconds : 0;
}
BENCHMARK(BM_errorSurface)
        ->Args({256, 1})
        ->Args({256, 0})
        ->Args({512, 1})
        ->Args({960, 1})
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);

// What the open map does after a step or a batch: its slot (the path, the
// marker, the best fit and the readout, the surface left as it is) and one
// paint, after a 10000-step batch has filled the history's columns. Timed in
// the CPU time of this thread: Qt's raster engine hands large blits to a pool
// of threads, whose waking up on a busy machine is not the map's cost.
void BM_mapaActualizar(benchmark::State &state)
{
    Form1 &form = chartForm();
    resetFit(form);
    form.verMapa->click();
    form.paso4_Click();
    MapPlot &plano = *form.mapa->plano;
    QImage image(plano.size() * plano.devicePixelRatioF(), QImage::Format_RGB32);
    image.setDevicePixelRatio(plano.devicePixelRatioF());
    plano.render(&image); // the background, drawn once per surface
    const int computed = plano.surfacesComputed();
    for (auto _ : state) {
        const double start = cpuSeconds();
        form.mapa->actualizar();
        plano.render(&image);
        state.SetIterationTime(cpuSeconds() - start);
    }
    if (plano.surfacesComputed() != computed)
        state.SkipWithError("the surface was computed again");
    form.mapa->close();
}
BENCHMARK(BM_mapaActualizar)->UseManualTime()->Unit(benchmark::kMicrosecond);

// One frame of "Animar" at 10000 pasos/s: the 167 steps due in a sixtieth of a
// second, the window's redraw and the views' (the map and the report open),
// then the paints of the three windows that the event loop runs after it.
// Timed in this thread's CPU time, as BM_mapaActualizar. A full run of the
// descent settles on these points within 3000 steps (and the run ends there),
// so the fit starts again every 10 frames, untimed.
void BM_animacionFotograma(benchmark::State &state)
{
    constexpr int kPasos = 167;
    Form1 &form = chartForm();
    resetFit(form);
    form.verMapa->click();
    form.verInforme_Click();
    form.velocidad->setCurrentIndex(4);
    form.animar->click();
    QImage ventana(form.size(), QImage::Format_RGB32);
    QImage mapa(form.mapa->size(), QImage::Format_RGB32);
    QImage informe(form.informe->size(), QImage::Format_RGB32);
    int fotogramas = 0;
    double frameSeconds = 0; // fotograma alone, the paints left out
    for (auto _ : state) {
        if (++fotogramas % 10 == 0)
            resetFit(form);
        const double start = cpuSeconds();
        form.fotograma(kPasos);
        const double stepped = cpuSeconds();
        form.render(&ventana);
        form.mapa->render(&mapa);
        form.informe->render(&informe);
        const double end = cpuSeconds();
        state.SetIterationTime(end - start);
        frameSeconds += stepped - start;
        if (!form.animando() || messages != 0) {
            state.SkipWithError("the run ended");
            break;
        }
    }
    state.counters["fotograma_ms"] = 1e3 * frameSeconds / std::max<double>(1, fotogramas);
    form.detenerAnimacion();
    form.velocidad->setCurrentIndex(kVelocidadInicial);
    form.informe->close();
    form.mapa->close();
}
BENCHMARK(BM_animacionFotograma)->UseManualTime()->Unit(benchmark::kMillisecond);

// The report's statistics on twenty points, both columns: the current
// parameters and the best fit (solved once, outside the loop, as the window
// keeps it).
void BM_fitStatistics(benchmark::State &state)
{
    double t[21]{}, y[21]{};
    for (int k = 0; k < 20; ++k) {
        t[k] = k;
        y[k] = sampleY(k);
    }
    const Points points{t, y, 20};
    const BestFit best = bestFit({5, 1, 0}, {}, points);
    for (auto _ : state) {
        const FitStatistics current = fitStatistics({7.5, 0.8, 5.5}, {}, points);
        const FitStatistics atBest = bestFitStatistics(best, {}, points);
        if (!current.hasErrors() || !atBest.hasErrors())
            state.SkipWithError("no standard errors");
        benchmark::DoNotOptimize(atBest.standardError);
    }
}
BENCHMARK(BM_fitStatistics)->Unit(benchmark::kMicrosecond);

// The figures the report adds to those statistics on the same twenty points,
// the statistics themselves computed once outside the loop: the best fit's
// bands at 200 t across the points and a margin, as the figure samples them;
// the growth figures of both columns; and the results of both columns'
// parameters and growth figures rounded to their errors and written.
struct ReportFigures
{
    double t[21]{}, y[21]{};
    FitStatistics current, atBest;

    ReportFigures()
    {
        for (int k = 0; k < 20; ++k) {
            t[k] = k;
            y[k] = sampleY(k);
        }
        const Points points{t, y, 20};
        current = fitStatistics({7.5, 0.8, 5.5}, {}, points);
        atBest = bestFitStatistics(bestFit({5, 1, 0}, {}, points), {}, points);
    }
};

void BM_fitBands(benchmark::State &state)
{
    const ReportFigures figures;
    for (auto _ : state) {
        int drawn = 0;
        for (int k = 0; k < 200; ++k)
            drawn += fitBandsAt(figures.atBest, -2 + 23 * k / 199.0).has_value();
        if (drawn != 200)
            state.SkipWithError("a band is missing");
        benchmark::DoNotOptimize(drawn);
    }
}
BENCHMARK(BM_fitBands)->Unit(benchmark::kMicrosecond);

void BM_growthFigures(benchmark::State &state)
{
    const ReportFigures figures;
    for (auto _ : state) {
        const GrowthFigures current = growthFigures(figures.current);
        const GrowthFigures atBest = growthFigures(figures.atBest);
        if (!current[0].standardError || !atBest[0].standardError)
            state.SkipWithError("no standard errors");
        benchmark::DoNotOptimize(current);
        benchmark::DoNotOptimize(atBest);
    }
}
BENCHMARK(BM_growthFigures)->Unit(benchmark::kMicrosecond);

void BM_roundedResults(benchmark::State &state)
{
    const ReportFigures figures;
    for (auto _ : state) {
        size_t length = 0;
        for (const FitStatistics *fit : {&figures.current, &figures.atBest}) {
            const GrowthFigures growth = growthFigures(*fit);
            for (int j = 0; j < 3; ++j)
                if (const auto r
                    = roundToUncertainty(parameterValue(fit->p, j), fit->standardError[size_t(j)]))
                    length += resultText(*r, ',').size();
            for (const GrowthFigure &g : growth)
                if (g.value && g.standardError)
                    if (const auto r = roundToUncertainty(*g.value, *g.standardError))
                        length += resultText(*r, ',').size();
        }
        if (length == 0)
            state.SkipWithError("no result");
        benchmark::DoNotOptimize(length);
    }
}
BENCHMARK(BM_roundedResults)->Unit(benchmark::kMicrosecond);

// The open report's whole refresh after a change: both columns' statistics
// and every cell written (the parameters alternate, so every figure changes).
void BM_informeActualizar(benchmark::State &state)
{
    Form1 &form = chartForm();
    resetFit(form);
    form.verInforme_Click();
    bool flip = false;
    for (auto _ : state) {
        form.a = flip ? 7.5 : 7.6;
        flip = !flip;
        form.informe->actualizar();
    }
    form.informe->close();
}
BENCHMARK(BM_informeActualizar)->Unit(benchmark::kMicrosecond);

// Painting the open report once, as the event loop does after a handler.
void BM_informePaint(benchmark::State &state)
{
    Form1 &form = chartForm();
    resetFit(form);
    form.verInforme_Click();
    QApplication::processEvents();
    QImage image(form.informe->size(), QImage::Format_RGB32);
    for (auto _ : state) {
        form.informe->render(&image);
        benchmark::ClobberMemory();
    }
    form.informe->close();
}
BENCHMARK(BM_informePaint)->Unit(benchmark::kMillisecond);

// The figure of the fit alone in the open report, on the same twenty points:
// its refresh (the curves and the bands sampled at 401 t, the axes framed),
// which the report's refresh above includes, and one paint at a device pixel
// ratio of 1 or 2 (the curves and the band antialiased, the legend placed).
void BM_figuraActualizar(benchmark::State &state)
{
    Form1 &form = chartForm();
    resetFit(form);
    form.verInforme_Click();
    FitPlot &plot = *form.informe->graficaAjuste();
    const FitFigure figure = plot.figure();
    if (!plot.hasBands())
        state.SkipWithError("no bands");
    for (auto _ : state) {
        plot.setFigure(figure);
        benchmark::DoNotOptimize(plot.yRange());
    }
    form.informe->close();
}
BENCHMARK(BM_figuraActualizar)->Unit(benchmark::kMicrosecond);

void BM_figuraPaint(benchmark::State &state)
{
    Form1 &form = chartForm();
    resetFit(form);
    form.verInforme_Click();
    QApplication::processEvents();
    const FitPlot &plot = *form.informe->graficaAjuste();
    const qreal ratio = qreal(state.range(0));
    QImage image(plot.size() * ratio, QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    for (auto _ : state) {
        QPainter painter(&image);
        plot.drawInto(painter);
        painter.end();
        benchmark::ClobberMemory();
    }
    form.informe->close();
}
BENCHMARK(BM_figuraPaint)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

void BM_evaluar(benchmark::State &state)
{
    Form1 &form = chartForm();
    resetFit(form);
    for (auto _ : state) {
        form.evaluar();
        benchmark::DoNotOptimize(form.errorCuad);
    }
}
BENCHMARK(BM_evaluar)->Unit(benchmark::kMicrosecond);

void BM_pintar(benchmark::State &state)
{
    Form1 &form = chartForm();
    resetFit(form);
    for (auto _ : state) {
        form.ocupado = true;
        form.pintar();
    }
}
BENCHMARK(BM_pintar)->Unit(benchmark::kMicrosecond);

void BM_capturar(benchmark::State &state)
{
    Form1 &form = chartForm();
    for (auto _ : state) {
        form.capturar();
        if (form.n != 20)
            state.SkipWithError("capture did not take all twenty rows");
    }
}
BENCHMARK(BM_capturar)->Unit(benchmark::kMicrosecond);

// Storing one undoable action around a change of a: the state before is the
// last action's state after, shared as it is between two clicks, and the
// state after is copied. The history is empty (0) or as full as a 10000-step
// batch leaves it (1). The stack is at its limit, so each run also drops the
// oldest action.
void BM_guardarAccion(benchmark::State &state)
{
    Form1 &form = chartForm();
    resetFit(form);
    form.paso4_Click();
    if (state.range(0) == 0)
        form.reiniciarHistorial();
    double nudge = 1e-9;
    for (auto _ : state) {
        const Form1::Accion accion(form, QStringLiteral("bench"));
        form.a += nudge;
        nudge = -nudge;
    }
    state.counters["columns"] = double(form.historia.columns().size());
}
BENCHMARK(BM_guardarAccion)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// The copy of that full history alone.
void BM_copiaHistorial(benchmark::State &state)
{
    Form1 &form = chartForm();
    resetFit(form);
    form.paso4_Click();
    for (auto _ : state) {
        ErrorHistory copia = form.historia;
        benchmark::DoNotOptimize(copia);
    }
}
BENCHMARK(BM_copiaHistorial)->Unit(benchmark::kMicrosecond);

// Undoing "10000 pasos" and redoing it: each puts a state back and redraws.
void BM_deshacerRehacer(benchmark::State &state)
{
    Form1 &form = chartForm();
    resetFit(form);
    messages = 0;
    form.paso4_Click();
    for (auto _ : state) {
        form.deshacer();
        form.rehacer();
    }
    if (messages != 0 || form.ocupado)
        state.SkipWithError("the undo did not run cleanly");
}
BENCHMARK(BM_deshacerRehacer)->Unit(benchmark::kMicrosecond);

long residentKilobytes()
{
    FILE *status = std::fopen("/proc/self/status", "r");
    if (!status)
        return 0;
    char line[256];
    long kb = 0;
    while (std::fgets(line, sizeof line, status))
        if (std::sscanf(line, "VmRSS: %ld", &kb) == 1)
            break;
    std::fclose(status);
    return kb;
}

// Constructing the window (which runs start-up), showing it and its first paint.
void BM_Startup(benchmark::State &state)
{
    for (auto _ : state) {
        Form1 form;
        form.show();
        form.repaint();
        benchmark::ClobberMemory();
    }
    state.counters["rss_MB"] = residentKilobytes() / 1024.0;
}
BENCHMARK(BM_Startup)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::Spanish, QLocale::Spain));
    messageBoxHook = [](const QString &) { ++messages; };
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    sharedForm.reset();
    return 0;
}
