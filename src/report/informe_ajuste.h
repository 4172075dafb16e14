#pragma once

#include "fit/constants.h"
#include "fit/fit_view.h"
#include "numeric/fit_statistics.h"
#include "numeric/growth_figures.h"
#include "report/report_text.h"

#include <QByteArray>
#include <QLocale>
#include <QList>
#include <QStringList>
#include <QWidget>

#include <array>
#include <cstdint>
#include <optional>

class FitPlot;
class QGridLayout;
class QLabel;
class Readout;
class ResidualPlot;

// The fit report: a window of its own, top-level and non-modal, that only
// reads the fit. Two columns, "Ajuste actual" (the descent's a, c, t0) and
// "Mejor ajuste" (the window's best fit, whether or not the panel shows it),
// each with the value, standard error, 95 % interval and rounded result of
// every parameter and growth figure, n, p, n − p, E, s, R² and the
// correlations of the free parameters; under them the residual table of the
// current fit. Beside them, always in sight, the figure of the fit with the
// best fit's bands and, under it, the residual plot. Every figure is a
// read-only readout named for a screen reader ("a, error típico, ajuste
// actual"). It computes only while shown. Esc closes it; "Copiar" and Ctrl+C
// put the whole report on the clipboard as tab-separated text and as an HTML
// table; "Copiar datos de la figura" the best fit and its bands at the points;
// "Guardar PDF…" writes the report as one A4 page.
class InformeAjuste : public QWidget
{
    Q_OBJECT

public:
    // `parent` is the main window: the report is its own window on top of it
    // and closes with it.
    InformeAjuste(const FitView &vista, QWidget *parent);

    // Reads the fit again and redraws, if shown; connected to the main
    // window's estadoCambiado. Never throws: a failure keeps what was shown.
    void actualizar() noexcept;

    // The report as copied, one list of cells per line.
    QList<QStringList> lineas() const;
    void copiar() noexcept;
    // The figure's data as copied, one list of cells per line.
    QList<QStringList> lineasFigura() const;
    void copiarDatosFigura() noexcept;
    // Asks for a name and saves the report there as a PDF; says why when it
    // cannot. The document alone, as saved:
    void guardarPdf();
    QByteArray documentoPdf() const;

    FitPlot *graficaAjuste() const { return figura; }

    const FitStatistics &ajusteActual() const { return actual; }
    const FitStatistics &mejorAjuste() const { return mejor; }

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The rows with a standard error: a, c, t0, then the growth figures.
    static constexpr int kFilas = 3 + kGrowthCount;

    // The figures of one column, in the order they are laid out.
    struct Columna
    {
        // value, error, lower, upper, result
        std::array<std::array<Readout *, kRowCells>, kFilas> filas{};
        std::array<Readout *, 6> resumen{}; // n, p, n − p, E, s, R²
        std::array<std::array<Readout *, 3>, 3> correlacion{};
        std::array<QLabel *, 6> rotulosCorrelacion{}; // three row, then three column headings
    };

    QWidget *crearResultados();
    QWidget *crearResiduos();
    QWidget *crearGraficas();
    void crearColumna(Columna &columna, const QString &titulo, QGridLayout *grid, int col);
    void calcular() noexcept;
    void mostrarColumna(Columna &columna, const FitStatistics &fit);
    void mostrarResiduos();
    void mostrarFigura(const Points &points);

    const FitView &vista;
    FitStatistics actual;
    FitStatistics mejor;
    // What the best fit's column was worked out from: a step changes none of
    // it, so the column is worked out and written again only when it differs.
    struct ClaveMejor
    {
        NoFit whyNot{NoFit::noFiniteMinimum};
        Parameters p{};
        double E{0.0};
        bool heldA{false}, heldC{false}, heldT0{false};
        std::uint64_t puntos{0};
        QLocale locale;
        bool operator==(const ClaveMejor &) const = default;
    };
    std::optional<ClaveMejor> claveMejor;

    std::array<Columna, 2> columnas; // "Ajuste actual", "Mejor ajuste"
    QLabel *aviso{};                 // the warning when the current fit is not a minimum
    std::array<std::array<Readout *, 4>, kRows> residuos{}; // t, y, f(t), y − f(t)
    FitPlot *figura{};
    ResidualPlot *grafica{};
};
