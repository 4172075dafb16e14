#pragma once

#include "fit/fit_view.h"
#include "numeric/race.h"
#include "race/race_text.h"

#include <QFuture>
#include <QThreadPool>
#include <QWidget>

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class QCheckBox;
class QLabel;
class QPushButton;
class QScrollArea;
class RacePlot;
class Readout;
class TextBox;

// The race of methods, a panel that only reads the fit through `vista`: from
// where the window's descent last started (the first evaluation of the error
// history, or the current parameters while it is empty), with the held
// parameters held, on the points in use and with the step size of "Paso",
// seven methods minimise E each on its own (numeric/race). The panel shows a
// plot of each method's E against the iteration, a table of how each ended
// and why plain descent crawls; the window that hosts it draws the paths.
//
// A race runs off the window's thread, one at a time on a pool of its own,
// whenever what it depends on changes while the panel is shown: a newer
// request cancels an older one, and only the newest complete result replaces
// what the panel shows. A step of the window's own descent changes nothing a
// race depends on, so it starts none. Nothing a race does reaches the window:
// a fault is a method's result, and a failure keeps what the panel showed.
class CarreraMetodos : public QWidget
{
    Q_OBJECT

public:
    CarreraMetodos(const FitView &vista, QWidget *parent);
    // Cancels the race that runs and waits for it, which takes at most one
    // iteration of a method.
    ~CarreraMetodos() override;

    // Reads the fit again and asks for a race if anything it depends on has
    // changed; does nothing while the panel is hidden. Never throws.
    void actualizar() noexcept;
    // Cancels the race that runs, as when the map's window is closed; the
    // next actualizar asks for it again.
    void detener() noexcept;

    // What the last request raced, and how many requests and results there
    // have been: for the tests that a step asks for none and that only the
    // newest result is shown.
    const RaceInput &entrada() const { return pedida; }
    int carrerasPedidas() const { return pedidas; }
    int carrerasMostradas() const { return mostradas; }
    bool enCurso() const { return tarea.isValid() && !aplicada; }
    // Waits for the race asked for last and shows its result: the tests' and
    // the benchmarks' way to see a race through without the event loop.
    void esperar();

    // The race on show (none before the first, or while "Paso" is not a number).
    const std::optional<RaceTable> &resultado() const { return mostrado; }
    // The copied table, as "Copiar tabla" puts it on the clipboard.
    QString textoTabla() const;
    void copiarTabla() noexcept;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    // Puts the panel's controls in the window's tab order after `antes`, in
    // the order they stand: each method's box and its setting, the plot, the copy.
    void ordenarTabulacion(QWidget *antes);

    RacePlot *grafica{};
    Readout *estado{}; // where the race on show started, that one runs, or why there is none
    std::array<QCheckBox *, kMethodCount> participa{}; // by Method
    TextBox *betaMomento{};
    TextBox *betaNesterov{};
    TextBox *alfaAdam{};
    // Iterations, evaluations, final E and the result of each method.
    std::array<std::array<Readout *, 4>, kMethodCount> celdas{};
    // κ, ρ, the predicted and measured steps per factor 10, the best step and its ρ.
    std::array<Readout *, 6> porQue{};
    QPushButton *copiar{};

signals:
    // The race on show has changed, and with it the paths.
    void caminosNuevos();

private:
    struct Resultado
    {
        std::optional<Race> race; // none: cancelled, or an allocation failed
        bool failed{false};
    };

    // Everything a race depends on; a new request only when it differs.
    struct Clave
    {
        Parameters start;
        std::array<bool, 3> held;
        std::uint64_t points;
        std::optional<double> s;
        std::array<std::optional<double>, 3> settings; // β, β, α as read
        std::array<bool, kMethodCount> enabled;
        bool best;
        double bestError;
        Parameters bestAt;

        bool operator==(const Clave &) const = default;
    };

    QWidget *crearTabla();
    QWidget *crearPorQue();
    Clave claveActual() const;
    void pedir(const Clave &clave);
    void recibir(std::uint64_t numero, const Resultado &resultado);
    void mostrar();
    void sinCarrera(const QString &motivo);

    const FitView &vista;
    QWidget *contenido{};
    QScrollArea *desplazable{};
    // β, β, α as last committed
    std::array<std::optional<double>, 3> ajustes{
            RaceSettings{}.momentumBeta, RaceSettings{}.nesterovBeta, RaceSettings{}.adamAlpha};
    std::optional<Clave> ultima; // of the last request; none after a stop
    RaceInput pedida;
    std::array<QString, kMethodCount> ausentes; // why a method without a result did not run
    std::optional<RaceTable> mostrado;

    QThreadPool cola; // one thread: a cancelled race gives way at its next iteration
    std::shared_ptr<std::atomic<bool>> cancelar;
    QFuture<Resultado> tarea;
    std::uint64_t numero{0}; // of the last request
    bool aplicada{true};     // its result has been taken
    int pedidas{0}, mostradas{0};
};
